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
    int CountDifferent(const Picture& other) const {
        int n = 0;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) n += At(x, y) == other.At(x, y) ? 0 : 1;
        }
        return n;
    }
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
    static void SetUpTestSuite() {
        const Failure failure = CreateHeadlessContext(headless_, kWidth, kHeight);
        contextReady_ = !failure.Failed();
        contextError_ = failure.message;
    }
    static void TearDownTestSuite() {
        if (contextReady_) DestroyHeadlessContext(headless_);
    }

    void SetUp() override {
        if (!contextReady_) TALAN_WITHOUT_GL() << "no headless OpenGL context (EGL surfaceless / llvmpipe): " << contextError_;
        const Failure failure = InitGraphics(graphics, TALAN_EFFECT_FILE, kWidth, kHeight);
        ASSERT_FALSE(failure.Failed()) << failure.message;
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

TEST_F(RenderFrameTest, LinesAndPointsKeepTheirOwnColourWhateverTheLight) {
    const int32_t orange = ColourInteger(255, 128, 0), yellow = ColourInteger(255, 255, 0);
    const std::string text = kBounds + TagLine("LIN", 1) + std::to_string(orange) + ",\nContour,\nskipped\n" +
                             Numbers({1, 0, 0, 9, 0}) + "0\n" + TagLine("PTS", 1) + std::to_string(yellow) +
                             ",\nMarker,\nskipped\n-6,-6,0\n";
    ASSERT_EQ(Load(text), kStatusOk);
    const auto count = [](const Picture& frame, const Rgba& colour) {
        int n = 0;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) n += frame.At(x, y) == colour ? 1 : 0;
        }
        return n;
    };
    for (float ambient : {0.8f, 0.2f}) {
        view.ambientIntensity = ambient;
        view.lightElevation = ambient * 50.0f;
        const Picture frame = Render();
        EXPECT_GE(count(frame, {255, 128, 0, 255}), 15) << ambient;  // the segment spans about 18 pixels
        EXPECT_GE(count(frame, {255, 255, 0, 255}), 9) << ambient;   // a dot a few pixels wide
    }
}

// A surface is lit by the key light and its mirror in x and elevation, each taken
// on both sides, on top of a constant share: 0.8 x (0.3 + 0.7 |n.key| + 0.15 |n.fill|)
// of its colour, with the key light (sin a cos e, sin e, cos a cos e) and the fill
// light (-x, -y, z) of it in stored axes.
TEST_F(RenderFrameTest, SurfaceShadeFollowsTheKeyAndFillLights) {
    const Triangle tilted{0, 0, 0, 10, 0, 5, 0, 10, 3};  // stored face normal along (50, -100, 30)
    ASSERT_EQ(Load(kBounds + T3({tilted}, ColourInteger(255, 255, 255))), kStatusOk);
    const glm::dvec3 n = glm::normalize(glm::dvec3(50, -100, 30));
    for (const auto& [elevation, azimuth] : {std::pair{50.0, 240.0}, std::pair{40.0, 150.0}, std::pair{20.0, 300.0}}) {
        view.lightElevation = static_cast<float>(elevation);
        view.lightAzimuth = static_cast<float>(azimuth);
        const double e = elevation * 0.017453292, a = azimuth * 0.017453292;
        const glm::dvec3 key(std::sin(a) * std::cos(e), std::sin(e), std::cos(a) * std::cos(e));
        const glm::dvec3 fill(-key.x, -key.y, key.z);
        const double light = 0.8 * (0.3 + 0.7 * std::abs(glm::dot(n, key)) + 0.15 * std::abs(glm::dot(n, fill)));
        const int expected = static_cast<int>(std::lround(light * 255.0));
        const glm::ivec2 at = Centroid(tilted);
        const Rgba shown = Render().At(at.x, at.y);
        EXPECT_TRUE(SameColour(shown, {expected, expected, expected, 255}, 1))
            << "light " << elevation << "," << azimuth << ": " << shown[0] << " expected " << expected;
    }
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

// The scene with every block model replaced by a triangulated object of the same 36
// vertices per block, as block models were once kept and drawn.
SceneModel WithBlocksExpanded(const SceneModel& scene) {
    SceneModel expanded;
    for (size_t k = 0; k < scene.firstVertex.size(); ++k) {
        const bool blocks = IsBlockModel(scene, k);
        const int32_t elements = blocks ? 12 * scene.elementCounts[k] : scene.elementCounts[k];
        const int32_t perElement = blocks ? 3 : scene.verticesPerElement[k];
        EXPECT_TRUE(ReserveObjectStorage(expanded, perElement, elements));
        BeginObject(expanded, ObjectKind::T3, elements, perElement);
        SceneVertex* out = expanded.sceneVertices.data() + expanded.firstStored.back();
        for (int32_t e = 0; e < scene.elementCounts[k]; ++e) {
            if (blocks) {
                ExpandBlock(scene.blockRecords[static_cast<size_t>(scene.firstStored[k] + e)], out);
                out += kVerticesPerBlock;
            } else {
                for (int32_t v = 0; v < perElement; ++v) *out++ = VertexAt(scene, scene.firstVertex[k] + e * perElement + v);
            }
        }
        expanded.objectNames.push_back(scene.objectNames[k]);
        expanded.objectVisible.back() = scene.objectVisible[k];
        expanded.objectTransparent.back() = scene.objectTransparent[k];
        expanded.kindCount[0] += 1;
    }
    expanded.objectCount = CountObjects(expanded);
    return expanded;
}

// Block models are drawn by instancing one box over their records; the picture is
// the one their 36 vertices per block give, pixel for pixel, however they are drawn:
// solid or wireframe, each culling, both transparent sweeps, hidden, with sizes that
// are zero or negative, and across vertex buffers cut small.
TEST_F(RenderFrameTest, BlockRecordsDrawExactlyAsTheirExpandedVertices) {
    ASSERT_EQ(ReadSceneFile(scene, TALAN_TEST_SCENES_DIR "/blocks.KDX", nullptr).Status(), kStatusOk);
    ASSERT_EQ(ReadSceneFile(scene, TALAN_TEST_SCENES_DIR "/windings.KDX", nullptr).Status(), kStatusOk);
    ASSERT_EQ(CompleteSceneLoad(scene, view, {true, false, false}, false, [&] { return UploadSceneVertices(graphics, scene); }),
              kStatusOk);
    FitCameraMatrices(graphics, view, kWidth, kHeight);
    ASSERT_EQ(scene.storedBlockCount, 20);

    GraphicsState cut;  // the same scene from buffers of a few records each
    ASSERT_FALSE(InitGraphics(cut, TALAN_EFFECT_FILE, kWidth, kHeight).Failed());
    cut.maxBufferBytes = 3 * sizeof(BlockRecord) + 1;
    ASSERT_EQ(UploadSceneVertices(cut, scene), kStatusOk);
    FitCameraMatrices(cut, view, kWidth, kHeight);
    ASSERT_GT(cut.blockPieces.size(), 6u);
    ASSERT_GT(cut.vertexPieces.size(), 1u);

    struct Setting {
        FillMode fill;
        CullMode cull;
        bool transparent, hidden;
        float yaw, pitch;
    };
    for (const Setting& s : {Setting{FillMode::Solid, CullMode::None, false, false, 20, 30},
                             Setting{FillMode::Solid, CullMode::Front, false, false, 200, 50},
                             Setting{FillMode::Solid, CullMode::Back, false, false, 110, -40},
                             Setting{FillMode::Wireframe, CullMode::None, false, false, 20, 30},
                             Setting{FillMode::Wireframe, CullMode::Back, false, false, 300, 10},
                             Setting{FillMode::Solid, CullMode::None, true, false, 20, 30},
                             Setting{FillMode::Wireframe, CullMode::Front, true, false, 250, 60},
                             Setting{FillMode::Solid, CullMode::None, false, true, 20, 30}}) {
        SCOPED_TRACE(::testing::Message() << "fill " << static_cast<int>(s.fill) << ", cull " << static_cast<int>(s.cull)
                                          << ", transparent " << s.transparent << ", hidden " << s.hidden);
        for (GraphicsState* g : {&graphics, &cut}) {
            g->opaqueRasterDesc.fillMode = g->transparentRasterDesc.fillMode = s.fill;
            g->opaqueRasterDesc.cullMode = s.cull;
        }
        scene.objectTransparent[0] = scene.objectTransparent[1] = s.transparent;
        scene.objectVisible[1] = !s.hidden;
        view.cameraYaw = s.yaw;
        view.cameraPitch = s.pitch;
        const Picture instanced = Render();

        SceneModel expanded = WithBlocksExpanded(scene);
        GraphicsState& g = graphics;
        ASSERT_EQ(UploadSceneVertices(g, expanded), kStatusOk);
        RenderFrame(g, view, expanded);
        const Picture fromVertices{ReadHeadlessPixels(headless_)};
        ASSERT_EQ(UploadSceneVertices(g, scene), kStatusOk);

        RenderFrame(cut, view, scene);
        const Picture fromPieces{ReadHeadlessPixels(headless_)};
        EXPECT_EQ(instanced.CountDifferent(fromVertices), 0);
        EXPECT_EQ(instanced.CountDifferent(fromPieces), 0);
        EXPECT_GT(Picture{fromVertices}.CountNotBackground(), 0);
    }
    ReleaseGraphics(cut);
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
