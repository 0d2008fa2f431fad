// Frames drawn a piece at a time, as the viewer draws a slow picture between turns of
// its event loop, and the quick frames it draws while the view moves: the pieces give
// exactly the frame drawn at once, whatever the context went through between them;
// a frame of reduced copies draws them at its own size; off-screen pictures are shown
// unchanged.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>
#include <vector>

#include "GlSceneTest.h"
#include "render/FrameJob.h"
#include "render/FrameTarget.h"

namespace talan {
namespace {

constexpr int32_t kWidth = 160, kHeight = 120;
using Picture = std::vector<uint8_t>;

// What a toolkit may do to the context between two pieces.
void Disturb() {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glViewport(0, 0, 3, 3);
    glDisable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
    glEnable(GL_BLEND);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, 1, 1);
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    glDisable(GL_CLIP_DISTANCE0);
    glUseProgram(0);
    glBindVertexArray(0);
    glPointSize(1.0f);
}

class FramePiecesTest : public testing::GlSceneTest<kWidth, kHeight> {
protected:
    Picture Whole() {
        DrawFrame(graphics, view, scene);
        return ReadHeadlessPixels(headless_);
    }
    // The frame drawn in pieces of a few records or rows each; `pieces` counts them.
    Picture InPieces(int& pieces) {
        FrameJob job = BeginFrame(graphics, view, scene, {headless_.target.framebuffer, kWidth, kHeight, false});
        for (pieces = 1;; ++pieces) {
            graphics.pieces = {3 * 97, 5, 7};
            if (DrawFramePieces(graphics, job, 1e-9)) break;
            Disturb();
        }
        EXPECT_EQ(job.workDone, job.workTotal);
        return ReadHeadlessPixels(headless_);
    }
};

TEST_F(FramePiecesTest, PiecesDrawExactlyTheFrameDrawnAtOnce) {
    ASSERT_EQ(ReadSceneFile(scene, TALAN_SAMPLES_DIR "/open_pit.KDX", nullptr).Status(), kStatusOk);
    ASSERT_EQ(CompleteSceneLoad(scene, view, {true, false, false}, false,
                                [&] { return UploadSceneVertices(graphics, scene); }),
              kStatusOk);
    FitCameraMatrices(graphics, view, kWidth, kHeight);
    using enum FillMode;
    // Fill, transparent objects, slab axis, measurement marks, yaw, vertical exaggeration,
    // the overlay of axes and scale.
    const std::tuple<FillMode, std::vector<size_t>, int, int, float, float, bool> cases[] = {
        {Solid, {}, -1, 0, 0, 1, false},   {Solid, {0, 3}, -1, 0, 130, 1, true},    {Wireframe, {}, -1, 2, 60, 1, false},
        {Solid, {}, 2, 1, 300, 1, false},  {Solid, {1, 8, 11}, 0, 2, 200, 1, false}, {Wireframe, {0}, 1, 0, 90, 1, true},
        {Solid, {}, -1, 2, 30, 3, false},  {Solid, {3}, 2, 0, 250, 5, true}};
    for (const auto& [fill, transparent, slabAxis, marks, yaw, exaggeration, overlay] : cases) {
        SCOPED_TRACE(::testing::Message() << "yaw " << yaw);
        graphics.opaqueRasterDesc.fillMode = graphics.transparentRasterDesc.fillMode = fill;
        std::fill(scene.objectTransparent.begin(), scene.objectTransparent.end(), false);
        for (size_t k : transparent) scene.objectTransparent[k] = true;
        view.section = slabAxis < 0 ? SectionSlab{} : SectionSlab{slabAxis, slabAxis == 2 ? 330.0 : 2400.0, 150.0};
        view.measure = {false, marks, {{{1500, 2500, 300}, {2500, 3500, 400}}}};
        view.cameraYaw = yaw;
        view.exaggeration = exaggeration;
        view.overlay = overlay;
        const Picture whole = Whole();
        const int32_t castAtOnce = graphics.cast.objectsDrawn;
        int pieces = 0;
        const Picture pieced = InPieces(pieces);
        EXPECT_GT(pieces, 20);
        EXPECT_EQ(graphics.cast.objectsDrawn, castAtOnce);
        EXPECT_TRUE(pieced == whole);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
    // The opaque block model was cast in bands of rows.
    graphics.opaqueRasterDesc.fillMode = Solid;
    std::fill(scene.objectTransparent.begin(), scene.objectTransparent.end(), false);
    Whole();
    EXPECT_EQ(graphics.cast.objectsDrawn, 1);
}

// A flat square of 2 x n x n triangles in one colour over x, y in 0..20 at elevation z.
std::string Square(int n, double z, int colour) {
    std::string text = testing::TagLine("T3", 2LL * n * n) + "1," + std::to_string(colour) + "," +
                       std::to_string(colour) + ",\nSquare,\n";
    const auto corner = [&](int i, int j) {
        return std::to_string(20.0 * i / n) + "," + std::to_string(20.0 * j / n) + "," + std::to_string(z) + ",";
    };
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            text += corner(i, j) + corner(i + 1, j) + corner(i + 1, j + 1) + "\n";
            text += corner(i, j) + corner(i + 1, j + 1) + corner(i, j + 1) + "\n";
        }
    }
    return text;
}

// 0 for the background, 1 for a reddish pixel, 2 for a greenish one.
int What(const uint8_t* p) {
    if (std::abs(p[0] - 51) + std::abs(p[1] - 102) + std::abs(p[2] - 153) < 12) return 0;
    return p[0] > p[1] ? 1 : 2;
}

TEST_F(FramePiecesTest, AReducedFrameDrawsTheCopiesOfBigObjectsAtItsOwnSizeUntilTheNextUpload) {
    ASSERT_EQ(LoadText("\"Tavrin\"\n" + Square(40, 0, 255) + Square(1, -5, 65280)), kStatusOk);
    UploadReducedCopies(graphics, scene, {.triangles = 1200, .segments = 10, .points = 10, .blocks = 10});
    ASSERT_EQ(graphics.reducedCopies.size(), 2u);
    EXPECT_GT(graphics.reducedCopies[0].count, 0);
    EXPECT_LT(graphics.reducedCopies[0].count, 3 * 3200);
    EXPECT_EQ(graphics.reducedCopies[1].count, 0);  // small objects are drawn whole

    // Half the size, from the copy: about the square the whole objects give at that
    // size (the copy reaches the square's edges), and the small one whole.
    FrameTarget half;
    ASSERT_FALSE(SizeFrameTarget(half, kWidth / 2, kHeight / 2).Failed());
    const auto draw = [&](bool reduced) {
        FrameJob job = BeginFrame(graphics, view, scene, {half.framebuffer, kWidth / 2, kHeight / 2, reduced});
        EXPECT_TRUE(DrawFramePieces(graphics, job, 0));
        EXPECT_EQ(job.steps.at(0).reduced, reduced);
        EXPECT_FALSE(job.steps.at(1).reduced);
        return ReadFrameTarget(half);
    };
    const Picture whole = draw(false), reduced = draw(true);
    int alike = 0, lit = 0;
    for (size_t i = 0; i < whole.size(); i += 4) {
        alike += What(&whole[i]) == What(&reduced[i]);
        lit += What(&reduced[i]) == 1;
    }
    EXPECT_GT(lit, kWidth * kHeight / 4 / 10);
    EXPECT_GT(alike, kWidth * kHeight / 4 * 97 / 100);
    // Shown at its own size the picture is copied pixel for pixel.
    FrameTarget copy;
    ASSERT_FALSE(SizeFrameTarget(copy, kWidth / 2, kHeight / 2).Failed());
    ShowFrameTarget(half, copy.framebuffer, kWidth / 2, kHeight / 2);
    EXPECT_TRUE(ReadFrameTarget(copy) == reduced);

    // The next upload (New, then Open) drops the copies: a reduced frame of the new
    // scene draws it whole.
    SceneModel next;
    ASSERT_EQ(ReadSceneText(next, "\"Tavrin\"\n" + Square(2, 0, 255), nullptr).Status(), kStatusOk);
    ASSERT_EQ(UploadSceneVertices(graphics, next), kStatusOk);
    EXPECT_TRUE(graphics.reducedCopies.empty());
    next.objectCount = CountObjects(next);
    const FrameJob job = BeginFrame(graphics, view, next, {half.framebuffer, kWidth / 2, kHeight / 2, true});
    ASSERT_EQ(job.steps.size(), 1u);
    EXPECT_FALSE(job.steps[0].reduced);
    EXPECT_EQ(job.steps[0].count, 3 * 8);
    ReleaseFrameTarget(half);
    ReleaseFrameTarget(copy);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
}  // namespace talan
