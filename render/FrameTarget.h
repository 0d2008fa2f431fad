// An off-screen picture: 8-bit RGBA colour and 32-bit float depth in a framebuffer
// of its own. The command line draws into one; the viewer draws its pictures into
// them, a piece at a time if need be, and shows the latest finished one.
#pragma once

#include <cstdint>
#include <vector>

#include <epoxy/gl.h>

#include "scene/Status.h"

namespace talan {

struct FrameTarget {
    GLuint framebuffer = 0, colour = 0, depth = 0;
    int32_t width = 0, height = 0;
};

// Makes the target width x height (its contents are lost), creating its objects the
// first time; leaves it bound with the viewport on all of it. Fails with
// FailureKind::NoContext when the driver refuses that size.
Failure SizeFrameTarget(FrameTarget& target, int32_t width, int32_t height);

// The target's pixels as RGBA bytes, top row first.
std::vector<uint8_t> ReadFrameTarget(const FrameTarget& target);

// Frees the target's objects; it is empty again.
void ReleaseFrameTarget(FrameTarget& target);

// Copies the target's colour onto all of `framebuffer`, width x height: pixel for
// pixel at the same size, smoothly stretched otherwise.
void ShowFrameTarget(const FrameTarget& target, GLuint framebuffer, int32_t width, int32_t height);

}  // namespace talan
