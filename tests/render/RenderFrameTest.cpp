// Pictures drawn by RenderFrame in a headless llvmpipe context, checked pixel by
// pixel against shades and blends worked out from the lights and colours: the
// background, transparency, block models, points, lines, measurements, and the
// camera matrices of a fit.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <string>
#include <tuple>
#include <vector>

#include <glm/glm.hpp>
#include <glm/ext/matrix_transform.hpp>

#include "GlSceneTest.h"
#include "render/Picking.h"

namespace talan {
namespace {

using testing::TagLine;

constexpr int32_t kWidth = 96, kHeight = 72;
using Rgba = std::array<int, 4>;
const Rgba kBackground{51, 102, 153, 0};  // the clear colour (0.2, 0.4, 0.6); alpha stays 0

using Triangle = std::array<float, 9>;  // three corners (x, y, elevation) in file order
// A T3 section of the triangles in one colour (red + 256 green + 65536 blue).
std::string T3(const std::vector<Triangle>& triangles, int32_t colour) {
    const std::string c = std::to_string(colour);
    std::string text = TagLine("T3", static_cast<long long>(triangles.size())) + "1," + c + "," + c + ",\nSurface,\n";
    for (size_t i = 0; i < 9 * triangles.size(); ++i) {
        text += std::to_string(triangles[i / 9][i % 9]) + (i % 9 == 8 ? ",\n" : ",");
    }
    return text;
}

struct Picture {
    std::vector<uint8_t> bytes;
    Rgba At(glm::ivec2 at) const {
        const uint8_t* p = bytes.data() + (static_cast<size_t>(at.y) * kWidth + static_cast<size_t>(at.x)) * 4;
        return {p[0], p[1], p[2], p[3]};
    }
    int Count(const Rgba& colour) const {
        int n = 0;
        for (size_t i = 0; i < bytes.size(); i += 4) n += std::equal(colour.begin(), colour.end(), &bytes[i]);
        return n;
    }
    // The mean column and row of the pixels in which channel c (0 red, 1 green, 2 blue)
    // is lit and the others at most half of it; NaN when there are none.
    glm::vec2 Where(int c) const {
        glm::dvec2 sum(0);
        int n = 0;
        for (size_t i = 0; i < bytes.size(); i += 4) {
            const int v = bytes[i + static_cast<size_t>(c)];
            if (v > 40 && 2 * bytes[i + (c + 1) % 3] < v && 2 * bytes[i + (c + 2) % 3] < v) {
                sum += glm::dvec2(static_cast<double>(i / 4 % kWidth), static_cast<double>(i / 4 / kWidth));
                ++n;
            }
        }
        return glm::vec2(sum / static_cast<double>(n));
    }
};

// `front` drawn over `behind` with the share `level` of what lies behind; the blend writes alpha 0.
Rgba Blend(const Rgba& front, const Rgba& behind, float level) {
    const auto mix = [&](int c) { return static_cast<int>(std::lround(front[c] * (1 - level) + behind[c] * level)); };
    return {mix(0), mix(1), mix(2), 0};
}

::testing::AssertionResult SameColour(const Rgba& a, const Rgba& b, int tolerance) {
    const bool same = std::ranges::equal(a, b, [&](int x, int y) { return std::abs(x - y) <= tolerance; });
    if (same) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << ::testing::PrintToString(a) << " expected " << ::testing::PrintToString(b);
}

// D3DXMatrixLookAtLH and D3DXMatrixPerspectiveFovLH written out, row-major for row
// vectors: the same sixteen floats in memory as glm's column-major matrices.
using Matrix = std::array<std::array<double, 4>, 4>;

Matrix LookAtLH(glm::dvec3 eye, glm::dvec3 at, glm::dvec3 up) {
    const glm::dvec3 z = glm::normalize(at - eye), x = glm::normalize(glm::cross(up, z)), y = glm::cross(z, x);
    return {{{x.x, y.x, z.x, 0}, {x.y, y.y, z.y, 0}, {x.z, y.z, z.z, 0},
             {-glm::dot(x, eye), -glm::dot(y, eye), -glm::dot(z, eye), 1}}};
}

Matrix PerspectiveFovLH(double fovY, double aspect, double zn, double zf) {
    const double yScale = 1.0 / std::tan(fovY / 2), xScale = yScale / aspect;
    return {{{xScale, 0, 0, 0}, {0, yScale, 0, 0}, {0, 0, zf / (zf - zn), 1}, {0, 0, -zn * zf / (zf - zn), 0}}};
}

void ExpectSameMatrix(const glm::mat4& actual, const Matrix& expected, double tolerance) {
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            EXPECT_NEAR(actual[r][c], expected[r][c], tolerance * std::max(1.0, std::abs(expected[r][c]))) << r << c;
        }
    }
}

class RenderFrameTest : public testing::GlSceneTest<kWidth, kHeight> {
protected:
    // Reads scene text behind bounds that make the fit frame the cube -10..10 on each
    // axis from 40 units away; without them (`bounds` false) the fit frames what it holds.
    int32_t Load(const std::string& text, bool bounds = true) {
        return LoadText((bounds ? "\"Tavrin\"  MAX\n10,-10\n10,-10\n10,-10\n" : "\"Tavrin\"\n") + text);
    }
    Picture Render(SceneModel* drawn = nullptr) {
        RenderFrame(graphics, view, drawn != nullptr ? *drawn : scene);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        return {ReadHeadlessPixels(headless_)};
    }
    // Pixel column and row (top row 0) of a triangle's centroid through the matrices of the last frame.
    glm::ivec2 Centroid(const Triangle& t) const {
        const glm::vec4 clip = graphics.projectionMatrix * graphics.viewMatrix * graphics.worldMatrix *
            glm::vec4((t[0] + t[3] + t[6]) / 3, (t[2] + t[5] + t[8]) / 3, (t[1] + t[4] + t[7]) / 3, 1);
        return glm::ivec2(glm::floor(glm::vec2((clip.x / clip.w * 0.5f + 0.5f) * kWidth,
                                               (0.5f - clip.y / clip.w * 0.5f) * kHeight)));
    }
};

TEST_F(RenderFrameTest, FrameWithNothingToDrawIsAllBackground) {
    // The only object has no triangles, so the upload is refused and there is no buffer at all.
    ASSERT_EQ(Load(T3({}, 255)), kStatusInvalidArg);
    EXPECT_EQ(Render().Count(kBackground), kWidth * kHeight);
    // A buffer left from an earlier scene is not drawn for a new scene whose object is empty.
    ResetScene(scene);
    ASSERT_EQ(Load(T3({{-9, -5, 0, 9, -5, 0, 0, 9, 0}}, 255)), kStatusOk);
    ASSERT_LT(Render().Count(kBackground), kWidth * kHeight);
    ResetScene(scene);
    ASSERT_EQ(Load(T3({}, 255)), kStatusInvalidArg);
    view.backgroundColor = {1.0f, 0.0f, 0.5f, 0.0f};
    EXPECT_EQ(Render().Count(Rgba{255, 0, 128, 0}), kWidth * kHeight);
}

// A flat box (20 x 20 x 6) seen at 30 degrees: the ray through the middle of the
// picture enters the top face and leaves through the bottom one. Box faces turned
// towards the viewer run clockwise on screen, so culling the front (counter-clockwise)
// faces leaves the near sides, culling the back the far ones (lit alike, as light
// falls on both sides). Transparent, each winding is drawn in one of two sweeps: the
// far side over the background, then the near side over that. The sweeps start once
// some object was transparent, hidden or not, and go on after it is opaque again.
TEST_F(RenderFrameTest, TransparentBoxShowsItsNearSidesOverItsFarSides) {
    // An orange box.
    ASSERT_EQ(Load(TagLine("BLKKDX", 1) + "20,20,6,\nskipped\nskipped\n0,0,0,33023,\n"), kStatusOk);
    const glm::ivec2 middle(kWidth / 2, kHeight / 2);
    view.cameraYaw = 30.0f;
    graphics.opaqueRasterDesc.cullMode = CullMode::Front;
    const Rgba nearSide = Render().At(middle);
    graphics.opaqueRasterDesc.cullMode = CullMode::Back;
    const Rgba farSide = Render().At(middle);
    ASSERT_TRUE(nearSide != kBackground && farSide != kBackground);
    const auto sweeps = [&g = graphics] {  // whether the sweeps run, and the winding the last one left
        return std::pair(g.anyTransparent, g.transparentRasterDesc.frontCounterClockwise);
    };
    EXPECT_EQ(sweeps(), std::pair(false, true));  // no sweep has run or touched the winding

    graphics.opaqueRasterDesc.cullMode = CullMode::None;
    scene.objectTransparent[0] = true;
    scene.objectVisible[0] = false;  // a hidden transparent object is enough
    EXPECT_EQ(Render().At(middle), kBackground);
    EXPECT_EQ(sweeps(), std::pair(true, false));  // the second sweep ran last
    scene.objectVisible[0] = true;
    for (float level : {0.4f, 0.95f}) {
        view.transparencyLevel = level;
        const Rgba expected = Blend(nearSide, Blend(farSide, kBackground, level), level);
        EXPECT_TRUE(SameColour(Render().At(middle), expected, 3)) << level;
    }
    scene.objectTransparent[0] = false;
    graphics.transparentRasterDesc.frontCounterClockwise = true;
    EXPECT_EQ(Render().At(middle), nearSide);      // drawn opaque again
    EXPECT_EQ(sweeps(), std::pair(true, false));  // but the sweeps keep running
}

// Lines, points and a measurement's marks are drawn in their own colour whatever the
// light; the marks over everything, inside a section or not.
TEST_F(RenderFrameTest, LinesPointsAndMeasurementsKeepTheirOwnColour) {
    const Triangle low{-9, -5, -4, 9, -5, -4, 0, 9, -4};  // over the marks, under the line and the point
    ASSERT_EQ(Load(TagLine("LIN", 1) + "33023,\nContour,\nskipped\n1,0,0,9,0,0\n" +  // orange
                   TagLine("PTS", 1) + "16776960,\nMarker,\nskipped\n-6,-6,0\n" + T3({low}, 16711680)),  // cyan, blue
              kStatusOk);
    view.ambientIntensity = 0.2f;  // a dim light, low in the sky, would darken anything lit
    view.lightElevation = 10.0f;
    view.measure.count = 2;
    view.measure.points = {{{-5, 0, -8}, {5, 0, -8}}};
    const Picture frame = Render();
    EXPECT_GE(frame.Count(Rgba{255, 128, 0, 255}), 15);  // the segment spans about 18 pixels
    EXPECT_GE(frame.Count(Rgba{0, 255, 255, 255}), 9);   // a dot a few pixels wide
    EXPECT_GE(frame.Count(Rgba{255, 255, 0, 255}), 25);  // two dots and the line between them
    view.section = {2, 5, 1};                            // outside any section
    EXPECT_GE(Render().Count(Rgba{255, 255, 0, 255}), 25);
}

// A surface is lit by the key light and its mirror in x and elevation, each taken
// on both sides, on top of a constant share: 0.8 x (0.3 + 0.7 |n.key| + 0.15 |n.fill|)
// of its colour, with the key light (sin a cos e, sin e, cos a cos e) and the fill
// light (-x, -y, z) of it in stored axes.
TEST_F(RenderFrameTest, SurfaceShadeFollowsTheKeyAndFillLightsAndAPickFindsTheSurface) {
    const Triangle tilted{0, 0, 0, 10, 0, 5, 0, 10, 3};  // stored face normal along (50, -100, 30)
    ASSERT_EQ(Load(T3({tilted}, 0xFFFFFF)), kStatusOk);
    const glm::ivec2 at = Centroid(tilted);
    const glm::dvec3 n = glm::normalize(glm::dvec3(50, -100, 30));
    for (const auto& [elevation, azimuth] : {std::pair{50.0, 240.0}, std::pair{40.0, 150.0}, std::pair{20.0, 300.0}}) {
        view.lightElevation = static_cast<float>(elevation);
        view.lightAzimuth = static_cast<float>(azimuth);
        const double e = glm::radians(elevation), a = glm::radians(azimuth);
        const glm::dvec3 key(std::sin(a) * std::cos(e), std::sin(e), std::cos(a) * std::cos(e));
        const glm::dvec3 fill(-key.x, -key.y, key.z);
        const int shade = static_cast<int>(
            std::lround(255 * 0.8 * (0.3 + 0.7 * std::abs(glm::dot(n, key)) + 0.15 * std::abs(glm::dot(n, fill)))));
        EXPECT_TRUE(SameColour(Render().At(at), {shade, shade, shade, 255}, 1)) << elevation << azimuth;
    }
    // A pick there unprojects the pixel through the frame's matrices onto the surface, within a pixel or so.
    const PickResult pick = PickPixel(graphics, view, scene, at.x, at.y, headless_.target.framebuffer);
    EXPECT_TRUE(pick.hit && pick.element.object == 0);
    EXPECT_LT(std::hypot(pick.point[0] - 10 / 3.0, pick.point[1] - 10 / 3.0, pick.point[2] - 8 / 3.0), 1.0);
}

// The fit of the example scene gives its view and projection matrices, and every
// frame rebuilds the view from the camera's angles, turning the camera and the light.
TEST_F(RenderFrameTest, FitAndEachFrameGiveTheDirect3DMatrices) {
    view.cameraYaw = 10.0f;  // a new scene does not turn the view
    ASSERT_EQ(LoadText(std::string(testing::kExampleScene)), kStatusOk);
    ExpectSameMatrix(graphics.projectionMatrix, PerspectiveFovLH(glm::radians(45.0), 4.0 / 3.0, 0.1, 2000), 1e-6);
    // The world matrix moves the target, (1000, 2000, 300) in file axes, to the origin;
    // the view matrix looks from there.
    EXPECT_EQ(graphics.worldMatrix, glm::translate(glm::mat4(1.0f), glm::vec3(-1000, -300, -2000)));
    const auto expectViewFrom = [&](double yaw, double pitch) {
        const double w = glm::radians(yaw), c = std::cos(glm::radians(pitch)), s = std::sin(glm::radians(pitch));
        const glm::dvec3 target(1000, 300, 2000);  // (tx, tz, ty)
        const glm::dvec3 eye = target + 40.0 * glm::dvec3(-std::sin(w) * c, s, -std::cos(w) * c);
        ExpectSameMatrix(graphics.viewMatrix * graphics.worldMatrix, LookAtLH(eye, target, {0, 1, 0}), 1e-5);
    };
    expectViewFrom(10, 45);
    view.cameraPitch = 30.0f;
    view.autoTurnSpeed = view.lightSpinSpeed = 5.0f;
    for (int frame = 0; frame < 2; ++frame) Render();
    EXPECT_FLOAT_EQ(view.cameraYaw, 10.05f);  // 0.025 degrees a frame
    EXPECT_FLOAT_EQ(view.lightAzimuth, 240.05f);
    expectViewFrom(view.cameraYaw, 30);
}

// A flat scene seen straight down has north up and east right, seen straight up south
// up and east right, as the orbit reaches those views from just short of them; past
// the vertical the picture goes on without a flip.
TEST_F(RenderFrameTest, AFlatSceneSeenStraightDownOrUpIsDrawnTheWayTheOrbitComesToIt) {
    const auto at = [](float x, float y) { return Triangle{x - 2, y - 2, 7, x + 2, y - 2, 7, x, y + 2, 7}; };
    ASSERT_EQ(Load(T3({at(0, 6)}, 255) + T3({at(6, 0)}, 65280) + T3({at(0, -6)}, 16711680), false), kStatusOk);
    view.backgroundColor = {0, 0, 0, 0};
    const glm::vec2 centre(kWidth / 2.0f, kHeight / 2.0f);
    struct Case {
        float yaw, pitch;
        glm::vec2 north, east;  // which way on the picture (rows grow downwards) they lie from the centre
    };
    for (const Case& c : {Case{0, 90, {0, -1}, {1, 0}}, Case{0, 89.9f, {0, -1}, {1, 0}}, Case{0, 91, {0, -1}, {1, 0}},
                          Case{0, -90, {0, 1}, {1, 0}}, Case{0, -91, {0, 1}, {1, 0}}, Case{90, 90, {-1, 0}, {0, -1}},
                          Case{0, 60, {0, -1}, {1, 0}}}) {
        SCOPED_TRACE(::testing::Message() << "yaw " << c.yaw << ", pitch " << c.pitch);
        view.cameraYaw = c.yaw;
        view.cameraPitch = c.pitch;
        const Picture frame = Render();
        const glm::vec2 north = frame.Where(0) - centre, east = frame.Where(1) - centre;
        const glm::vec2 south = frame.Where(2) - centre;
        EXPECT_GT(glm::dot(north, c.north), 10.0f) << north.x << "," << north.y;
        EXPECT_GT(glm::dot(east, c.east), 10.0f) << east.x << "," << east.y;
        EXPECT_LT(glm::dot(south, c.north), -10.0f) << south.x << "," << south.y;
        if (c.yaw != 90) continue;
        // East is up here and nothing lies west: a pick reads the depth of its own row,
        // not of the row as far from the bottom.
        const glm::ivec2 pixel(glm::round(frame.Where(1)));
        const PickResult pick = PickPixel(graphics, view, scene, pixel.x, pixel.y, headless_.target.framebuffer);
        EXPECT_TRUE(pick.hit && pick.element.object == 1);
        EXPECT_NEAR(pick.point[2], 7.0, 1e-6);
    }
}

// An outline of the world in metres, 4,999 segments with coordinates up to 2e7, draws
// as the same outline a hundredth of its size: seen from above and at the fit's 45
// degrees, they light nearly the same pixels.
TEST_F(RenderFrameTest, LinesTheSizeOfTheWorldDrawAsTheSameLinesScaledDown) {
    constexpr int32_t kWide = 500, kHigh = 300, kSegments = 4999;
    const auto outline = [](double scale) {
        std::string text = TagLine("LIN", kSegments) + "65535,\nWorld,\nskipped\n";
        const auto corner = [scale](int i) {
            const double a = 2 * 3.141592653589793 * i / kSegments, r = 1 + 0.15 * std::sin(7 * a);
            return std::to_string(1.6e7 * r * std::cos(a) / scale) + "," +
                   std::to_string(8e6 * r * std::sin(a) / scale) + "," + std::to_string(3e3 / scale);
        };
        for (int i = 0; i < kSegments; ++i) text += corner(i) + "," + corner(i + 1) + "\n";
        return text;
    };
    struct Restore {
        HeadlessContext& headless;
        ~Restore() { EXPECT_FALSE(ResizeHeadlessFramebuffer(headless, kWidth, kHeight).Failed()); }
    } restore{headless_};
    ASSERT_FALSE(ResizeHeadlessFramebuffer(headless_, kWide, kHigh).Failed());
    const auto litPixels = [&] {
        RenderFrame(graphics, view, scene);
        const std::vector<uint8_t> pixels = ReadHeadlessPixels(headless_);
        int n = 0;
        for (size_t i = 0; i < pixels.size(); i += 4) {
            n += pixels[i] == 255 && pixels[i + 1] == 255 && pixels[i + 2] == 0;
        }
        return n;
    };
    int lit[2][2] = {};
    for (int big = 0; big < 2; ++big) {
        ResetScene(scene);
        ASSERT_EQ(Load(outline(big ? 1 : 100), false), kStatusOk);
        ResizeGraphics(graphics, view, kWide, kHigh);
        for (int from = 0; from < 2; ++from) {
            view.cameraPitch = from == 0 ? 90.0f : 45.0f;
            lit[big][from] = litPixels();
        }
    }
    // Zoomed in from 40,000 km to 10 km above the coast, the near plane comes along:
    // the coast crosses the picture.
    view.cameraPitch = 90;
    view.cameraTarget = {1.6e7f, 0, 3e3f};
    view.cameraDistance = 1e4f;
    EXPECT_GT(litPixels(), kWide / 2);
    for (int from = 0; from < 2; ++from) {
        SCOPED_TRACE(from == 0 ? "from above" : "at 45 degrees");
        EXPECT_GT(lit[0][from], 800);  // the outline runs round most of the picture
        EXPECT_NEAR(lit[1][from], lit[0][from], lit[0][from] / 50);
    }
}

// Map coordinates are large (a northing of 7,000 km) while a pit is small: a few
// metres seen from a few metres away draw the same picture there as at the origin,
// and so do the section slab and a pick. Every coordinate here is exact in float.
TEST_F(RenderFrameTest, ASmallSceneFarFromTheOriginDrawsAsAtTheOrigin) {
    const auto scene = [](float x, float y, float z) {
        // A 12 x 12 surface of 2 m cells, each corner at a height of its own.
        const auto corner = [&](int i, int j) {
            return std::array<float, 3>{x + 2.0f * i, y + 2.0f * j, z + static_cast<float>((i * 7 + j * 3) % 4)};
        };
        std::vector<Triangle> cells;
        for (int i = 0; i < 6; ++i) {
            for (int j = 0; j < 6; ++j) {
                const auto a = corner(i, j), b = corner(i + 1, j), c = corner(i + 1, j + 1), d = corner(i, j + 1);
                cells.push_back({a[0], a[1], a[2], b[0], b[1], b[2], c[0], c[1], c[2]});
                cells.push_back({a[0], a[1], a[2], c[0], c[1], c[2], d[0], d[1], d[2]});
            }
        }
        return T3(cells, 0x40C0FF);
    };
    std::vector<uint8_t> pictures[2];
    PickResult picks[2];
    for (int far = 0; far < 2; ++far) {
        ResetScene(this->scene);
        const glm::vec3 at = far ? glm::vec3(500000, 7000000, 300) : glm::vec3(0);
        ASSERT_EQ(Load(scene(at.x, at.y, at.z), false), kStatusOk);
        view.cameraYaw = 30;
        view.cameraPitch = 50;
        view.cameraDistance = 9;
        view.section = {0, at.x + 7.5, 9};
        pictures[far] = Render().bytes;
        picks[far] = PickPixel(graphics, view, this->scene, 40, 30, headless_.target.framebuffer);
        picks[far].point = {picks[far].point[0] - at.x, picks[far].point[1] - at.y, picks[far].point[2] - at.z};
    }
    int differ = 0;
    for (size_t i = 0; i < pictures[0].size(); i += 4) {
        differ += !std::equal(pictures[0].data() + i, pictures[0].data() + i + 4, pictures[1].data() + i);
    }
    EXPECT_LE(differ, kWidth * kHeight / 1000);  // the same to the pixel, but for a stray edge
    EXPECT_LT(Picture{pictures[0]}.Count(kBackground), kWidth * kHeight / 2);
    ASSERT_TRUE(picks[0].hit && picks[1].hit);
    EXPECT_EQ(picks[0].element.element, picks[1].element.element);
    EXPECT_LT(std::hypot(picks[0].point[0] - picks[1].point[0], picks[0].point[1] - picks[1].point[1],
                         picks[0].point[2] - picks[1].point[2]),
              0.05);
}

// The scene with every block model replaced by a triangulated object of the same 36
// vertices per block, as block models were once kept and drawn.
SceneModel WithBlocksExpanded(const SceneModel& scene) {
    SceneModel expanded;
    for (size_t k = 0; k < scene.firstVertex.size(); ++k) {
        const int32_t perElement = IsBlockModel(scene, k) ? 3 : scene.verticesPerElement[k];
        const int32_t vertices = scene.elementCounts[k] * scene.verticesPerElement[k];
        EXPECT_TRUE(ReserveObjectStorage(expanded, perElement, vertices / perElement));
        BeginObject(expanded, ObjectKind::T3, vertices / perElement, perElement);
        SceneVertex* out = expanded.sceneVertices.data() + expanded.firstStored.back();
        for (int32_t v = 0; v < vertices; ++v) out[v] = VertexAt(scene, scene.firstVertex[k] + v);
        expanded.objectNames.push_back(scene.objectNames[k]);
        expanded.kindCount[0] += 1;
    }
    expanded.objectCount = CountObjects(expanded);
    return expanded;
}

// Block models are drawn by instancing one box over their records; the picture is
// the one their 36 vertices per block give, pixel for pixel, however they are drawn:
// solid or wireframe, each culling, both transparent sweeps, hidden, with sizes that
// are zero or negative, and from vertex and block buffers cut small.
TEST_F(RenderFrameTest, BlockRecordsDrawExactlyAsTheirExpandedVertices) {
    ASSERT_EQ(ReadSceneFile(scene, TALAN_TEST_SCENES_DIR "/blocks.KDX", nullptr).Status(), kStatusOk);
    ASSERT_EQ(ReadSceneFile(scene, TALAN_TEST_SCENES_DIR "/windings.KDX", nullptr).Status(), kStatusOk);
    ASSERT_EQ(CompleteSceneLoad(scene, view, {true, false, false}, false), kStatusOk);
    SceneModel expanded = WithBlocksExpanded(scene);
    ASSERT_EQ(UploadSceneVertices(graphics, expanded), kStatusOk);
    GraphicsState cut;  // the block records from buffers of a few records each
    ASSERT_FALSE(InitGraphics(cut, TALAN_EFFECT_FILE, kWidth, kHeight).Failed());
    cut.maxBufferBytes = 3 * sizeof(BlockRecord) + 1;
    ASSERT_EQ(UploadSceneVertices(cut, scene), kStatusOk);
    ASSERT_TRUE(cut.blockPieces.size() > 6 && cut.vertexPieces.size() > 1);

    using enum FillMode;
    using enum CullMode;
    const std::tuple<FillMode, CullMode, bool, bool, float, float> settings[] = {
        {Solid, None, false, false, 20, 30},     {Solid, Front, false, false, 200, 50},
        {Solid, Back, false, false, 110, -40},   {Wireframe, None, false, false, 20, 30},
        {Wireframe, Back, false, false, 300, 10}, {Solid, None, true, false, 20, 30},
        {Wireframe, Front, true, false, 250, 60}, {Solid, None, false, true, 20, 30}};
    for (const auto& [fill, cull, transparent, hidden, yaw, pitch] : settings) {
        SCOPED_TRACE(::testing::Message() << "at yaw " << yaw << ", pitch " << pitch);
        for (GraphicsState* g : {&graphics, &cut}) {
            g->opaqueRasterDesc.fillMode = g->transparentRasterDesc.fillMode = fill;
            g->opaqueRasterDesc.cullMode = cull;
            FitCameraMatrices(*g, view, kWidth, kHeight);
        }
        scene.objectTransparent[0] = scene.objectTransparent[1] = transparent;
        scene.objectVisible[1] = !hidden;
        expanded.objectTransparent = scene.objectTransparent;
        expanded.objectVisible = scene.objectVisible;
        view.cameraYaw = yaw;
        view.cameraPitch = pitch;
        RenderFrame(cut, view, scene);
        const std::vector<uint8_t> instanced = ReadHeadlessPixels(headless_);
        const Picture fromVertices = Render(&expanded);
        EXPECT_TRUE(instanced == fromVertices.bytes);
        EXPECT_LT(fromVertices.Count(kBackground), kWidth * kHeight);
    }
    ReleaseGraphics(cut);
}

}  // namespace
}  // namespace talan
