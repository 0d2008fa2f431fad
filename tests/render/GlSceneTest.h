// A fixture for tests that draw: one headless OpenGL context for the suite, the
// graphics of the shipped effect for each test, and a load completed as the viewer
// completes it.
#pragma once

#include <string>

#include "TestHelpers.h"
#include "render/Graphics.h"
#include "render/HeadlessContext.h"
#include "render/SceneLoad.h"
#include "scene/SceneFileReader.h"

namespace talan::testing {

template <int32_t Width, int32_t Height>
class GlSceneTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { context_ = CreateHeadlessContext(headless_, Width, Height); }
    static void TearDownTestSuite() {
        if (!context_.Failed()) DestroyHeadlessContext(headless_);
    }
    void SetUp() override {
        if (context_.Failed()) TALAN_WITHOUT_GL() << "no headless OpenGL context (EGL, llvmpipe): " << context_.message;
        const Failure failure = InitGraphics(graphics, TALAN_EFFECT_FILE, Width, Height);
        ASSERT_FALSE(failure.Failed()) << failure.message;
        view.backgroundColor = {0.2f, 0.4f, 0.6f, 0.0f};
        view.overlay = false;  // the tests look at the scene's pixels; those of the overlay opt in
    }
    void TearDown() override {
        if (!context_.Failed()) ReleaseGraphics(graphics);
    }

    // Reads a whole scene text and completes the load: upload, then fit.
    int32_t LoadText(const std::string& text) {
        const SceneReadResult read = ReadSceneText(scene, text, nullptr);
        const int32_t status =
            CompleteSceneLoad(scene, view, read, false, [&] { return UploadSceneVertices(graphics, scene); });
        if (status == kStatusOk) FitCameraMatrices(graphics, view, Width, Height);
        return status;
    }

    static inline HeadlessContext headless_;
    static inline Failure context_;
    GraphicsState graphics;
    ViewState view;
    SceneModel scene;
};

}  // namespace talan::testing
