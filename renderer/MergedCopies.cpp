#include "renderer/MergedCopies.h"

#include "core/Assert.h"
#include "renderer/MergedGroup.h"

MergedCopies::~MergedCopies() {
    while (first_)
        remove(*first_);
}

void MergedCopies::drawn(MergedGroup& group, long frame) {
    group.lastDrawn_ = frame;
    if (first_ == &group)
        return;
    if (group.copies_)
        group.copies_->remove(group);
    group.copies_ = this;
    group.previous_ = nullptr;
    group.next_ = first_;
    (first_ ? first_->previous_ : last_) = &group;
    first_ = &group;
    bytes_ += group.bytes_;
    ++count_;
}

void MergedCopies::remove(MergedGroup& group) {
    if (group.copies_ != this)
        return;
    (group.previous_ ? group.previous_->next_ : first_) = group.next_;
    (group.next_ ? group.next_->previous_ : last_) = group.previous_;
    CALLI_ASSERT(bytes_ >= group.bytes_ && count_ > 0);
    bytes_ -= group.bytes_;
    --count_;
    group.copies_ = nullptr;
    group.previous_ = group.next_ = nullptr;
}

int MergedCopies::releaseIdle(long frame, long idleFrames) {
    int count = 0;
    while (last_ && frame - last_->lastDrawn_ >= idleFrames) {
        MergedGroup* idle = last_;
        idle->release();
        CALLI_ASSERT(last_ != idle);  // release() takes the group off the list
        ++count;
    }
    released += count;
    return count;
}
