// Pictures drawn by RenderFrame in a headless llvmpipe context, checked pixel by
// pixel: the background, culling, wireframe, transparency, block models, points,
// lines, smoothing, and the camera matrices of a fit.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include <glm/glm.hpp>

#include "TestHelpers.h"
#include "render/Graphics.h"
#include "render/HeadlessContext.h"
#include "render/NormalSmoothing.h"
#include "render/SceneLoad.h"
#include "scene/SceneFileReader.h"

namespace talan {
namespace {

using testing::TagLine;

constexpr int32_t kWidth = 96, kHeight = 72;
using Rgba = std::array<int, 4>;
const Rgba kBackground{51, 102, 153, 0};  // the clear colour (0.2, 0.4, 0.6); alpha stays 0

constexpr int32_t ColourInteger(int r, int g, int b) { return r | (g << 8) | (b << 16); }

// Scene text. Every scene declares its bounds, so that the fit frames the cube
// -10..10 on each axis from 40 units away, whatever the objects.
std::string Numbers(std::initializer_list<float> values) {
    std::ostringstream out;
    for (float v : values) out << v << ',';
    return out.str();
}
const std::string kBounds = "\"Tavrin\"  MAX\n10,-10\n10,-10\n10,-10\n";

using Triangle = std::array<float, 9>;  // three corners (x, y, elevation) in file order
std::string T3(const std::vector<Triangle>& triangles, int32_t colour, const char* name = "Surface") {
    std::string text = TagLine("T3", static_cast<long long>(triangles.size())) + "1," + std::to_string(colour) + "," +
                       std::to_string(colour) + ",\n" + name + ",\n";
    for (const Triangle& t : triangles) {
        text += Numbers({t[0], t[1], t[2], t[3], t[4], t[5], t[6], t[7], t[8]}) + "\n";
    }
    return text;
}

// Seen from the fitted camera (above, looking north) plan orientation is screen
// orientation: these run counter-clockwise on screen (left) and clockwise (right).
const Triangle kLeftCounterClockwise{-9, -5, 0, -1, -5, 0, -5, 5, 0};
const Triangle kRightClockwise{1, -5, 0, 5, 5, 0, 9, -5, 0};

struct Picture {
    std::vector<uint8_t> bytes;
    Rgba At(int x, int y) const {
        const uint8_t* p = bytes.data() + (static_cast<size_t>(y) * kWidth + static_cast<size_t>(x)) * 4;
        return {p[0], p[1], p[2], p[3]};
    }
    bool IsBackground(int x, int y) const { return At(x, y) == kBackground; }
    int CountNotBackground() const {
        int n = 0;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) n += IsBackground(x, y) ? 0 : 1;
        }
        return n;
    }
    // Some pixel within one pixel of (x, y) satisfies `test`: rasterisation rules may
    // put a thin line or a dot one pixel beside the projected point.
    template <typename Test>
    bool Near(glm::ivec2 at, Test test) const {
        for (int dy = -1; dy <= 1; ++dy) {
            for (int dx = -1; dx <= 1; ++dx) {
                const int x = at.x + dx, y = at.y + dy;
                if (x >= 0 && y >= 0 && x < kWidth && y < kHeight && test(At(x, y))) return true;
            }
        }
        return false;
    }
};

bool SameColour(const Rgba& a, const Rgba& b, int tolerance) {
    for (int c = 0; c < 4; ++c) {
        if (std::abs(a[c] - b[c]) > tolerance) return false;
    }
    return true;
}

// D3DXMatrixLookAtLH and D3DXMatrixPerspectiveFovLH written out, row-major for row
// vectors: the same sixteen floats in memory as glm's column-major matrices.
using Matrix = std::array<std::array<double, 4>, 4>;

Matrix LookAtLH(glm::dvec3 eye, glm::dvec3 at, glm::dvec3 up) {
    const glm::dvec3 z = glm::normalize(at - eye);
    const glm::dvec3 x = glm::normalize(glm::cross(up, z));
    const glm::dvec3 y = glm::cross(z, x);
    return {{{x.x, y.x, z.x, 0}, {x.y, y.y, z.y, 0}, {x.z, y.z, z.z, 0},
             {-glm::dot(x, eye), -glm::dot(y, eye), -glm::dot(z, eye), 1}}};
}

Matrix PerspectiveFovLH(double fovY, double aspect, double zn, double zf) {
    const double yScale = 1.0 / std::tan(fovY / 2), xScale = yScale / aspect;
    return {{{xScale, 0, 0, 0}, {0, yScale, 0, 0}, {0, 0, zf / (zf - zn), 1}, {0, 0, -zn * zf / (zf - zn), 0}}};
}

void ExpectSameMatrix(const glm::mat4& actual, const Matrix& expected, double tolerance, const char* what) {
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            EXPECT_NEAR(actual[r][c], expected[r][c], tolerance * std::max(1.0, std::abs(expected[r][c])))
                << what << " element " << r << "," << c;
        }
    }
}

class RenderFrameTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { contextReady_ = CreateHeadlessContext(headless_, kWidth, kHeight, contextError_); }
    static void TearDownTestSuite() {
        if (contextReady_) DestroyHeadlessContext(headless_);
    }

    void SetUp() override {
        if (!contextReady_) GTEST_SKIP() << "no headless OpenGL context (EGL surfaceless / llvmpipe): " << contextError_;
        std::string error;
        ASSERT_EQ(InitGraphics(graphics, TALAN_EFFECT_FILE, kWidth, kHeight, error), kStatusOk) << error;
        view.backgroundColor = {0.2f, 0.4f, 0.6f, 0.0f};
    }
    void TearDown() override {
        if (contextReady_) ReleaseGraphics(graphics);
    }

    // Reads scene text and completes the load as the viewer does: upload, then fit.
    int32_t Load(const std::string& text) {
        const SceneReadResult read = ReadSceneText(scene, text, nullptr);
        const int32_t status =
            CompleteSceneLoad(scene, view, read, false, [&] { return UploadSceneVertices(graphics, scene); });
        if (status == kStatusOk) FitCameraMatrices(graphics, view, kWidth, kHeight);
        return status;
    }

    Picture Render() {
        RenderFrame(graphics, view, scene);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        return {ReadHeadlessPixels(headless_)};
    }

    // Pixel column and row (top row 0) of a point in file axes, through the matrices
    // of the last frame.
    glm::vec2 Screen(float x, float y, float z) const {
        const glm::vec4 clip =
            graphics.projectionMatrix * graphics.viewMatrix * graphics.worldMatrix * glm::vec4(x, z, y, 1.0f);
        return {(clip.x / clip.w * 0.5f + 0.5f) * kWidth, (0.5f - clip.y / clip.w * 0.5f) * kHeight};
    }
    glm::ivec2 Pixel(float x, float y, float z) const { return glm::ivec2(glm::floor(Screen(x, y, z))); }
    glm::ivec2 Centroid(const Triangle& t) const {
        return Pixel((t[0] + t[3] + t[6]) / 3, (t[1] + t[4] + t[7]) / 3, (t[2] + t[5] + t[8]) / 3);
    }
    // Twice the signed area on screen, positive for counter-clockwise as the viewer sees it.
    float ScreenWinding(const Triangle& t) const {
        const glm::vec2 a = Screen(t[0], t[1], t[2]), b = Screen(t[3], t[4], t[5]), c = Screen(t[6], t[7], t[8]);
        return -((b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x));  // rows run downwards
    }

    static inline HeadlessContext headless_;
    static inline bool contextReady_ = false;
    static inline std::string contextError_;

    GraphicsState graphics;
    ViewState view;
    SceneModel scene;
};

TEST_F(RenderFrameTest, FrameWithNothingToDrawIsAllBackground) {
    // No vertex buffer at all: the only object has no triangles, so the upload is refused.
    ASSERT_EQ(Load(kBounds + T3({}, ColourInteger(255, 0, 0))), kStatusInvalidArg);
    Picture frame = Render();
    EXPECT_EQ(frame.CountNotBackground(), 0);

    // A buffer left from an earlier scene is not drawn for a new scene whose object is empty.
    ResetScene(scene);
    ASSERT_EQ(Load(kBounds + T3({kLeftCounterClockwise}, ColourInteger(255, 0, 0))), kStatusOk);
    ASSERT_GT(Render().CountNotBackground(), 0);
    ResetScene(scene);
    ASSERT_EQ(Load(kBounds + T3({}, ColourInteger(255, 0, 0))), kStatusInvalidArg);
    view.backgroundColor = {1.0f, 0.0f, 0.5f, 0.0f};
    frame = Render();
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) ASSERT_EQ(frame.At(x, y), (Rgba{255, 0, 128, 0})) << x << "," << y;
    }
}

TEST_F(RenderFrameTest, ObjectIsDrawnWhereTheFitAimsAndNotWhenHidden) {
    ASSERT_EQ(Load(kBounds + T3({{-5, -5, 0, -5, 5, 0, 5, 5, 0}, {-5, -5, 0, 5, 5, 0, 5, -5, 0}},
                                ColourInteger(255, 0, 0))),
              kStatusOk);
    const glm::ivec2 centre = Pixel(0, 0, 0);
    EXPECT_LE(std::abs(centre.x - kWidth / 2) + std::abs(centre.y - kHeight / 2), 1);  // the target is in the middle
    const Rgba shown = Render().At(kWidth / 2, kHeight / 2);
    EXPECT_GT(shown[0], 60);  // lit red: no green or blue creeps in, and it is opaque
    EXPECT_EQ(shown[1], 0);
    EXPECT_EQ(shown[2], 0);
    EXPECT_EQ(shown[3], 255);

    scene.objectVisible[0] = false;
    EXPECT_EQ(Render().CountNotBackground(), 0);
    scene.objectTransparent[0] = true;  // hidden counts in the transparent sweeps too
    EXPECT_EQ(Render().CountNotBackground(), 0);
    scene.objectVisible[0] = true;
    EXPECT_FALSE(Render().IsBackground(kWidth / 2, kHeight / 2));
}

TEST_F(RenderFrameTest, CullModesRemoveTrianglesByTheirWindingOnScreen) {
    ASSERT_EQ(Load(kBounds + T3({kLeftCounterClockwise, kRightClockwise}, ColourInteger(0, 255, 0))), kStatusOk);
    ASSERT_GT(ScreenWinding(kLeftCounterClockwise), 0.0f);
    ASSERT_LT(ScreenWinding(kRightClockwise), 0.0f);
    struct Case {
        CullMode cull;
        bool leftShown, rightShown;
    };
    // "Front face" alone removes the counter-clockwise ones, "Back face" alone the clockwise ones.
    for (const Case& c : {Case{CullMode::None, true, true}, Case{CullMode::Front, false, true},
                          Case{CullMode::Back, true, false}}) {
        graphics.opaqueRasterDesc.cullMode = c.cull;
        const Picture frame = Render();
        EXPECT_EQ(!frame.IsBackground(Centroid(kLeftCounterClockwise).x, Centroid(kLeftCounterClockwise).y),
                  c.leftShown)
            << "cull mode " << static_cast<int>(c.cull);
        EXPECT_EQ(!frame.IsBackground(Centroid(kRightClockwise).x, Centroid(kRightClockwise).y), c.rightShown)
            << "cull mode " << static_cast<int>(c.cull);
    }
}

TEST_F(RenderFrameTest, WireframeDrawsOnlyTheEdges) {
    const Triangle large{-10, -8, 0, 0, 10, 0, 10, -8, 0};
    ASSERT_EQ(Load(kBounds + T3({large}, ColourInteger(255, 255, 255))), kStatusOk);
    const Picture solid = Render();
    const glm::ivec2 inside = Centroid(large);
    ASSERT_FALSE(solid.IsBackground(inside.x, inside.y));

    graphics.opaqueRasterDesc.fillMode = graphics.transparentRasterDesc.fillMode = FillMode::Wireframe;
    const Picture wire = Render();
    EXPECT_TRUE(wire.IsBackground(inside.x, inside.y));
    EXPECT_LT(wire.CountNotBackground() * 4, solid.CountNotBackground());
    for (int corner = 0; corner < 3; ++corner) {
        const int a = corner * 3, b = (corner + 1) % 3 * 3;
        const glm::ivec2 middle =
            Pixel((large[a] + large[b]) / 2, (large[a + 1] + large[b + 1]) / 2, (large[a + 2] + large[b + 2]) / 2);
        EXPECT_TRUE(wire.Near(middle, [](const Rgba& p) { return p != kBackground; })) << "edge " << corner;
    }
}

TEST_F(RenderFrameTest, TransparentTrianglesBlendOnceWithWhatLiesBehind) {
    // One triangle of each winding: each is drawn in exactly one of the two transparent sweeps.
    ASSERT_EQ(Load(kBounds + T3({kLeftCounterClockwise, kRightClockwise}, ColourInteger(255, 200, 0))), kStatusOk);
    const Picture opaque = Render();
    scene.objectTransparent[0] = true;
    for (float level : {0.4f, 0.95f}) {
        view.transparencyLevel = level;
        const Picture blended = Render();
        for (const Triangle& t : {kLeftCounterClockwise, kRightClockwise}) {
            const glm::ivec2 at = Centroid(t);
            const Rgba own = opaque.At(at.x, at.y);
            Rgba expected{};
            for (int c = 0; c < 3; ++c) {
                expected[c] = static_cast<int>(std::lround(own[c] * (1.0f - level) + kBackground[c] * level));
            }
            expected[3] = 0;  // the blend writes alpha 0
            EXPECT_TRUE(SameColour(blended.At(at.x, at.y), expected, 2))
                << "level " << level << " at " << at.x << "," << at.y;
        }
    }
}

// A flat box (blocks 20 x 20 x 6) seen at 45 degrees: the ray through the middle of
// the picture enters the top face and leaves through the bottom one.
std::string FlatBlock(int32_t colour) {
    return kBounds + TagLine("BLKKDX", 1) + "20,20,6,\nskipped\nskipped\n0,0,0," + std::to_string(colour) + ",\n";
}

TEST_F(RenderFrameTest, BlockModelBoxesAreClosedFromEveryDirectionAndCulling) {
    ASSERT_EQ(Load(FlatBlock(ColourInteger(0, 255, 0))), kStatusOk);
    for (float yaw : {0.0f, 45.0f, 100.0f, 190.0f, 275.0f}) {
        for (CullMode cull : {CullMode::None, CullMode::Front, CullMode::Back}) {
            view.cameraYaw = yaw;
            graphics.opaqueRasterDesc.cullMode = cull;
            const Rgba middle = Render().At(kWidth / 2, kHeight / 2);
            EXPECT_TRUE(middle[0] == 0 && middle[1] > 40 && middle[2] == 0 && middle[3] == 255)
                << "yaw " << yaw << ", cull mode " << static_cast<int>(cull);
        }
    }
}

TEST_F(RenderFrameTest, TransparentBoxShowsItsNearSidesOverItsFarSides) {
    ASSERT_EQ(Load(FlatBlock(ColourInteger(255, 128, 0))), kStatusOk);
    view.cameraYaw = 30.0f;
    // Box faces turned towards the viewer run clockwise on screen: culling the front
    // (counter-clockwise) faces leaves the near sides, culling the back the far ones.
    graphics.opaqueRasterDesc.cullMode = CullMode::Front;
    const Rgba nearSide = Render().At(kWidth / 2, kHeight / 2);
    graphics.opaqueRasterDesc.cullMode = CullMode::Back;
    const Rgba farSide = Render().At(kWidth / 2, kHeight / 2);
    ASSERT_NE(nearSide, kBackground);
    ASSERT_NE(farSide, kBackground);

    graphics.opaqueRasterDesc.cullMode = CullMode::None;
    scene.objectTransparent[0] = true;
    const Rgba blended = Render().At(kWidth / 2, kHeight / 2);
    // First sweep: far side over the background; second sweep: near side over that.
    Rgba expected{0, 0, 0, 0};
    for (int c = 0; c < 3; ++c) {
        const float behind = farSide[c] * 0.6f + kBackground[c] * 0.4f;
        expected[c] = static_cast<int>(std::lround(nearSide[c] * 0.6f + behind * 0.4f));
    }
    EXPECT_TRUE(SameColour(blended, expected, 3))
        << blended[0] << "," << blended[1] << "," << blended[2] << " expected " << expected[0] << "," << expected[1]
        << "," << expected[2];
}

TEST_F(RenderFrameTest, PointsAreSeparateDotsOfTheirOwnColour) {
    // Three points: an odd count, so that drawing them in pairs as segments would lose one.
    const std::array<glm::vec3, 3> points{glm::vec3(-6, -6, 0), glm::vec3(6, -6, 0), glm::vec3(0, 6, 0)};
    std::string text = kBounds + TagLine("PTS", 3) + std::to_string(ColourInteger(255, 255, 0)) + ",\nMarkers,\nskipped\n";
    for (const glm::vec3& p : points) text += Numbers({p.x, p.y}) + std::to_string(p.z) + "\n";
    ASSERT_EQ(Load(text), kStatusOk);
    view.ambientIntensity = 0.3f;  // points are not lit
    const Picture frame = Render();
    const auto yellow = [](const Rgba& p) { return SameColour(p, {255, 255, 0, 255}, 1); };
    for (const glm::vec3& p : points) EXPECT_TRUE(frame.Near(Pixel(p.x, p.y, p.z), yellow)) << p.x << "," << p.y;
    EXPECT_FALSE(frame.Near(Pixel(0, -6, 0), yellow));  // not joined
    EXPECT_GE(frame.CountNotBackground(), 3 * 9);     // dots a few pixels wide
    EXPECT_LE(frame.CountNotBackground(), 3 * 36);
}

TEST_F(RenderFrameTest, LinesKeepTheirOwnColourWhateverTheLight) {
    const int32_t orange = ColourInteger(255, 128, 0);
    std::string text = kBounds + T3({kLeftCounterClockwise}, ColourInteger(255, 255, 255)) + TagLine("LIN", 1) +
                       std::to_string(orange) + ",\nContour,\nskipped\n" + Numbers({1, 0, 0, 9, 0}) + "0\n";
    ASSERT_EQ(Load(text), kStatusOk);
    const auto onLine = [](const Picture& frame) {
        int n = 0;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) n += SameColour(frame.At(x, y), {255, 128, 0, 255}, 1) ? 1 : 0;
        }
        return n;
    };
    const glm::ivec2 surface = Centroid(kLeftCounterClockwise);
    const Picture bright = Render();
    view.ambientIntensity = 0.2f;
    view.lightElevation = 10.0f;
    view.lightAzimuth = 30.0f;
    const Picture dim = Render();
    EXPECT_GE(onLine(bright), 15);  // the segment spans about 18 pixels
    EXPECT_EQ(onLine(dim), onLine(bright));
    EXPECT_GT(bright.At(surface.x, surface.y)[0], dim.At(surface.x, surface.y)[0] + 40);  // the surface is lit
}

TEST_F(RenderFrameTest, SmoothedSurfaceIsShadedDifferentlyOverTheSamePixels) {
    // A roof: two slopes of two triangles meeting at a ridge along y, corners clockwise in plan.
    ASSERT_EQ(Load(kBounds + T3({{-10, -8, 0, -10, 8, 0, 0, 8, 6},
                                 {-10, -8, 0, 0, 8, 6, 0, -8, 6},
                                 {0, -8, 6, 0, 8, 6, 10, 8, 0},
                                 {0, -8, 6, 10, 8, 0, 10, -8, 0}},
                                ColourInteger(200, 200, 200))),
              kStatusOk);
    const Picture faceted = Render();
    SmoothTriangulatedNormals(scene);
    ASSERT_EQ(UploadSceneVertices(graphics, scene), kStatusOk);
    const Picture smooth = Render();
    int largest = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            ASSERT_EQ(faceted.IsBackground(x, y), smooth.IsBackground(x, y)) << x << "," << y;
            for (int c = 0; c < 3; ++c) largest = std::max(largest, std::abs(faceted.At(x, y)[c] - smooth.At(x, y)[c]));
        }
    }
    EXPECT_GT(largest, 8);
}

TEST_F(RenderFrameTest, TransparentSweepsRunOnlyOnceSomeObjectWasTransparent) {
    ASSERT_EQ(Load(kBounds + T3({kRightClockwise}, ColourInteger(255, 0, 0))), kStatusOk);
    Render();
    EXPECT_FALSE(graphics.anyTransparent);
    EXPECT_TRUE(graphics.transparentRasterDesc.frontCounterClockwise);  // no sweep has touched it

    scene.objectTransparent[0] = true;
    scene.objectVisible[0] = false;  // a hidden transparent object is enough
    Render();
    EXPECT_TRUE(graphics.anyTransparent);
    EXPECT_FALSE(graphics.transparentRasterDesc.frontCounterClockwise);  // the second sweep ran last

    scene.objectTransparent[0] = false;
    scene.objectVisible[0] = true;
    graphics.transparentRasterDesc.frontCounterClockwise = true;
    const glm::ivec2 at = Centroid(kRightClockwise);
    EXPECT_EQ(Render().At(at.x, at.y)[3], 255);  // drawn opaque again
    EXPECT_TRUE(graphics.anyTransparent);        // but the sweeps keep running
    EXPECT_FALSE(graphics.transparentRasterDesc.frontCounterClockwise);
}

TEST_F(RenderFrameTest, EachFrameTurnsTheCameraAndLooksFromItsAngles) {
    ASSERT_EQ(Load(kBounds + T3({kRightClockwise}, ColourInteger(255, 0, 0))), kStatusOk);
    view.cameraYaw = 10.0f;
    view.cameraPitch = 30.0f;
    view.autoTurnSpeed = 5.0f;
    view.lightSpinSpeed = 5.0f;
    Render();
    Render();
    EXPECT_FLOAT_EQ(view.cameraYaw, 10.05f);  // 0.025 degrees a frame
    EXPECT_FLOAT_EQ(view.lightAzimuth, 240.05f);
    const double w = view.cameraYaw * 0.017453292, p = 30 * 0.017453292, d = 40.0;
    const glm::dvec3 eye(-std::sin(w) * std::cos(p) * d, std::sin(p) * d, -std::cos(w) * std::cos(p) * d);
    ExpectSameMatrix(graphics.viewMatrix, LookAtLH(eye, {0, 0, 0}, {0, 1, 0}), 1e-5, "view");
}

TEST(RenderCameraMatrices, FitOfTheExampleSceneGivesTheDirect3DMatrices) {
    for (float yaw : {0.0f, 33.0f, -120.0f}) {
        SceneModel scene;
        ViewState view;
        view.cameraYaw = yaw;
        const SceneReadResult read = ReadSceneText(scene, testing::kExampleScene, nullptr);
        ASSERT_EQ(CompleteSceneLoad(scene, view, read, false), kStatusOk);
        GraphicsState graphics;
        FitCameraMatrices(graphics, view, 160, 120);

        const double w = yaw * 0.017453292, p = 0.7853982, d = 40.0;
        const glm::dvec3 target(1000, 300, 2000);  // (tx, tz, ty)
        const glm::dvec3 eye(1000 - std::sin(w) * std::cos(p) * d, 300 + std::sin(p) * d,
                             2000 - std::cos(w) * std::cos(p) * d);
        ExpectSameMatrix(graphics.viewMatrix, LookAtLH(eye, target, {0, 1, 0}), 1e-5, "view");
        ExpectSameMatrix(graphics.projectionMatrix, PerspectiveFovLH(0.7853982, 160.0 / 120.0, 0.1, 2000), 1e-6,
                         "projection");
        EXPECT_EQ(graphics.worldMatrix, glm::mat4(1.0f));
    }
}

}  // namespace
}  // namespace talan
