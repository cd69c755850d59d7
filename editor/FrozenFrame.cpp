#include "editor/FrozenFrame.h"

#include <stb/stb_image_write.h>

#include <vector>

void FrozenFrame::capture(int width, int height) {
    if (width <= 0 || height <= 0)
        return;
    if (!frame_ || width != width_ || height != height_) {
        release();
        frame_ = GlFramebuffer(genFramebuffer());
        colour_ = GlRenderbuffer(genRenderbuffer());
        glBindRenderbuffer(GL_RENDERBUFFER, colour_.id());
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
        glBindRenderbuffer(GL_RENDERBUFFER, 0);
        glBindFramebuffer(GL_FRAMEBUFFER, frame_.id());
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour_.id());
        const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        if (!complete) {
            release();
            return;
        }
        width_ = width;
        height_ = height;
    }
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, frame_.id());
    glBlitFramebuffer(0, 0, width, height, 0, 0, width, height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

bool FrozenFrame::show(int width, int height) const {
    if (!frame_ || width != width_ || height != height_)
        return false;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, frame_.id());
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glBlitFramebuffer(0, 0, width, height, 0, 0, width, height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    return true;
}

void FrozenFrame::release() {
    frame_.reset();
    colour_.reset();
    width_ = height_ = 0;
}

bool FrozenFrame::saveWindow(const char* path, int width, int height) {
    if (width <= 0 || height <= 0)
        return false;
    std::vector<unsigned char> rows(static_cast<size_t>(width) * height * 3);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rows.data());
    // GL counts rows from the bottom.
    stbi_flip_vertically_on_write(1);
    const bool ok = stbi_write_bmp(path, width, height, 3, rows.data()) != 0;
    stbi_flip_vertically_on_write(0);
    return ok;
}
