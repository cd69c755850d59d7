#pragma once
// The merged groups that hold a copy, the most recently drawn first. A group
// that lives on but is not drawn for a while (hidden behind what stands in
// front of it, or under a picture of a larger subtree) gives its copy back
// and is merged again when it is drawn again.
#include <cstddef>

class MergedGroup;

class MergedCopies {
public:
    MergedCopies() = default;
    MergedCopies(const MergedCopies&) = delete;
    MergedCopies& operator=(const MergedCopies&) = delete;
    // The groups still listed forget the list.
    ~MergedCopies();

    // The group's copy was drawn in frame: it goes first.
    void drawn(MergedGroup& group, long frame);
    // The group holds no copy any more (it goes, or released its copy).
    void remove(MergedGroup& group);
    // Releases the copies of the groups not drawn since frame - idleFrames;
    // returns how many.
    int releaseIdle(long frame, long idleFrames);

    size_t bytes() const { return bytes_; }
    int count() const { return count_; }
    long released = 0;  // copies given back while their group lived, since construction

private:
    MergedGroup* first_ = nullptr;  // not owned
    MergedGroup* last_ = nullptr;   // not owned
    size_t bytes_ = 0;
    int count_ = 0;
};
