#include "render/HeadlessContext.h"

#include <cstdio>

#include <epoxy/egl.h>
#include <epoxy/gl.h>

namespace talan {

namespace {

EGLDisplay OpenDisplay() {
    // Mesa's surfaceless platform needs no display server; fall back to the default
    // display where the client extensions do not offer it.
    if (epoxy_has_egl_extension(EGL_NO_DISPLAY, "EGL_MESA_platform_surfaceless")) {
        EGLDisplay display = eglGetPlatformDisplayEXT(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
        if (display != EGL_NO_DISPLAY) return display;
    }
    return eglGetDisplay(EGL_DEFAULT_DISPLAY);
}

// A failure to get a context, with the EGL error code of the call that failed.
Failure NoContext(const std::string& what) {
    char code[32];
    std::snprintf(code, sizeof code, " (EGL error 0x%04X)", static_cast<unsigned>(eglGetError()));
    return {FailureKind::NoContext, kStatusFail, what + code};
}

}  // namespace

Failure CreateHeadlessContext(HeadlessContext& headless, int32_t width, int32_t height) {
    headless = HeadlessContext{};
    EGLDisplay display = OpenDisplay();
    EGLint major = 0, minor = 0;
    if (display == EGL_NO_DISPLAY || !eglInitialize(display, &major, &minor)) {
        return NoContext("no EGL display could be opened");
    }
    if (!eglBindAPI(EGL_OPENGL_API)) {
        Failure failure = NoContext("EGL offers no desktop OpenGL");
        eglTerminate(display);
        return failure;
    }
    const EGLint contextAttributes[] = {EGL_CONTEXT_MAJOR_VERSION, 3, EGL_CONTEXT_MINOR_VERSION, 3,
                                        EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT,
                                        EGL_NONE};
    EGLContext context = eglCreateContext(display, EGL_NO_CONFIG_KHR, EGL_NO_CONTEXT, contextAttributes);
    if (context == EGL_NO_CONTEXT || !eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context)) {
        Failure failure = NoContext("no OpenGL 3.3 core context could be created");
        if (context != EGL_NO_CONTEXT) eglDestroyContext(display, context);
        eglTerminate(display);
        return failure;
    }
    headless.display = display;
    headless.context = context;

    Failure failure = ResizeHeadlessFramebuffer(headless, width, height);
    if (failure.Failed()) DestroyHeadlessContext(headless);
    return failure;
}

Failure ResizeHeadlessFramebuffer(HeadlessContext& headless, int32_t width, int32_t height) {
    return SizeFrameTarget(headless.target, width, height);
}

std::vector<uint8_t> ReadHeadlessPixels(const HeadlessContext& headless) { return ReadFrameTarget(headless.target); }

void DestroyHeadlessContext(HeadlessContext& headless) {
    if (headless.context == nullptr) return;
    ReleaseFrameTarget(headless.target);
    auto display = static_cast<EGLDisplay>(headless.display);
    eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglDestroyContext(display, static_cast<EGLContext>(headless.context));
    // The display is left initialised: it is one per process and the next context
    // reuses it. Terminating it unloads Mesa's driver, which loses an allocation on
    // every initialise/terminate cycle (LeakSanitizer reports it at exit, after the
    // driver that still pointed to it is gone).
    headless = HeadlessContext{};
}

}  // namespace talan
