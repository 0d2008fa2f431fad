#include "render/FrameTarget.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace talan {

Failure SizeFrameTarget(FrameTarget& target, int32_t width, int32_t height) {
    if (target.framebuffer == 0) {
        glGenFramebuffers(1, &target.framebuffer);
        glGenRenderbuffers(1, &target.colour);
        glGenRenderbuffers(1, &target.depth);
    }
    target.width = width;
    target.height = height;
    glBindFramebuffer(GL_FRAMEBUFFER, target.framebuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, target.colour);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, target.colour);
    glBindRenderbuffer(GL_RENDERBUFFER, target.depth);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT32F, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, target.depth);
    if (const GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER); status != GL_FRAMEBUFFER_COMPLETE) {
        char code[48];
        std::snprintf(code, sizeof code, " (framebuffer status 0x%04X)", status);
        return {FailureKind::NoContext, kStatusFail,
                "no off-screen framebuffer of " + std::to_string(width) + "x" + std::to_string(height) + code};
    }
    glViewport(0, 0, width, height);
    return {};
}

std::vector<uint8_t> ReadFrameTarget(const FrameTarget& target) {
    const size_t row = static_cast<size_t>(target.width) * 4;
    std::vector<uint8_t> pixels(row * static_cast<size_t>(target.height));
    glFinish();
    glBindFramebuffer(GL_READ_FRAMEBUFFER, target.framebuffer);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, target.width, target.height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    // GL's rows run bottom up; pictures run top down.
    std::vector<uint8_t> line(row);
    for (int32_t y = 0; y < target.height / 2; ++y) {
        uint8_t* top = pixels.data() + static_cast<size_t>(y) * row;
        uint8_t* bottom = pixels.data() + static_cast<size_t>(target.height - 1 - y) * row;
        std::memcpy(line.data(), top, row);
        std::memcpy(top, bottom, row);
        std::memcpy(bottom, line.data(), row);
    }
    return pixels;
}

void ReleaseFrameTarget(FrameTarget& target) {
    if (target.depth != 0) glDeleteRenderbuffers(1, &target.depth);
    if (target.colour != 0) glDeleteRenderbuffers(1, &target.colour);
    if (target.framebuffer != 0) glDeleteFramebuffers(1, &target.framebuffer);
    target = FrameTarget{};
}

void ShowFrameTarget(const FrameTarget& target, GLuint framebuffer, int32_t width, int32_t height) {
    glBindFramebuffer(GL_READ_FRAMEBUFFER, target.framebuffer);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffer);
    glDisable(GL_SCISSOR_TEST);
    const bool same = target.width == width && target.height == height;
    glBlitFramebuffer(0, 0, target.width, target.height, 0, 0, width, height, GL_COLOR_BUFFER_BIT,
                      same ? GL_NEAREST : GL_LINEAR);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
}

}  // namespace talan
