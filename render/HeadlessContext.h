// An OpenGL 3.3 core context without a display: EGL on Mesa's surfaceless platform,
// drawing into an off-screen framebuffer of a chosen size. It hosts the same drawing
// code as the viewer's window, for pictures made from the command line and tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "render/FrameTarget.h"
#include "scene/Status.h"

namespace talan {

struct HeadlessContext {
    void* display = nullptr;  // EGLDisplay
    void* context = nullptr;  // EGLContext
    FrameTarget target;  // what is drawn goes here
};

// Creates the context, makes it current and binds a framebuffer of width x height
// (8-bit RGBA colour, 32-bit float depth). Fails with FailureKind::NoContext, the
// message saying which step failed with its EGL error code, when no context can be
// had.
Failure CreateHeadlessContext(HeadlessContext& headless, int32_t width, int32_t height);

// Gives the framebuffer a new size (its contents are lost) and sets the viewport to
// all of it. Fails with FailureKind::NoContext when the driver refuses that size.
Failure ResizeHeadlessFramebuffer(HeadlessContext& headless, int32_t width, int32_t height);

// The framebuffer's pixels as RGBA bytes, top row first.
std::vector<uint8_t> ReadHeadlessPixels(const HeadlessContext& headless);

void DestroyHeadlessContext(HeadlessContext& headless);

}  // namespace talan
