// Block models on a lattice drawn by casting rays, against the same models drawn as
// boxes: the pictures from several cameras, with and without a section slab, the
// walk with and without skipping empty bricks, the models that must stay boxes, and
// what a pick names at each pixel.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include <glm/glm.hpp>

#include "GlSceneTest.h"
#include "render/Picking.h"

namespace talan {
namespace {

using testing::TagLine;

constexpr int32_t kWidth = 480, kHeight = 360;

// An ore body of blocks 10 x 10 x 5 around (1150, 2110, 330), hollow inside, with a
// floor of scattered blocks; 30 x 22 x 12 cells, so that bricks are full, partly
// filled and empty. Colours vary with the cell.
std::string OreBody(double shift = 0) {
    std::string lines;
    int count = 0;
    for (int k = 0; k < 12; ++k) {
        for (int j = 0; j < 22; ++j) {
            for (int i = 0; i < 30; ++i) {
                const double x = (i - 14.5) / 14.0, y = (j - 10.5) / 10.0, z = (k - 5.5) / 5.0;
                const double r = x * x + y * y + z * z;
                const bool shell = r < 1.0 && r > 0.45;
                const bool floor = k == 0 && (i * 7 + j * 3) % 5 == 0;
                if (!shell && !floor) continue;
                const int colour = (i * 8) | (j * 11) << 8 | (k * 20 + 10) << 16;
                lines += std::to_string(1005 + 10 * i + (count == 0 ? shift : 0)) + "," + std::to_string(2005 + 10 * j) +
                         "," + std::to_string(302.5 + 5 * k) + "," + std::to_string(colour) + ",\n";
                ++count;
            }
        }
    }
    return TagLine("BLKKDX", count) + "10,10,5,\nskipped\nskipped\n" + lines;
}

// A sloping surface that cuts through the ore body: surfaces and blocks hide each
// other by their depth.
std::string Slope() {
    return TagLine("T3", 2) + "1,8421504,8421504,\nSlope,\n" +
           "1000,2000,300,1300,2000,360,1300,2220,360,\n1000,2000,300,1300,2220,360,1000,2220,300,\n";
}

using Picture = std::vector<uint8_t>;

// Pixels that differ by more than `level` in a channel, and of those the ones that lie
// on no edge: whose colour differs from none of the pixels around them in either
// picture. Rays through the pixel centres and rasterized boxes part only where an
// edge passes within rounding of a centre.
struct Difference {
    int differing = 0;
    int offEdges = 0;
};
Difference Compare(const Picture& a, const Picture& b, int level = 3) {
    const auto close = [level](const uint8_t* p, const uint8_t* q) {
        return std::abs(p[0] - q[0]) <= level && std::abs(p[1] - q[1]) <= level && std::abs(p[2] - q[2]) <= level;
    };
    const auto at = [](const Picture& p, int x, int y) { return p.data() + (static_cast<size_t>(y) * kWidth + x) * 4; };
    const auto onEdge = [&](const Picture& in, int x, int y) {
        for (int dy = -1; dy <= 1; ++dy) {
            for (int dx = -1; dx <= 1; ++dx) {
                const int u = x + dx, v = y + dy;
                if (u >= 0 && v >= 0 && u < kWidth && v < kHeight && !close(at(in, u, v), at(in, x, y))) return true;
            }
        }
        return false;
    };
    Difference d;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            if (close(at(a, x, y), at(b, x, y))) continue;
            ++d.differing;
            if (!onEdge(a, x, y) && !onEdge(b, x, y)) ++d.offEdges;
        }
    }
    return d;
}

class BlockCastTest : public testing::GlSceneTest<kWidth, kHeight> {
protected:
    void SetUp() override {
        GlSceneTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        ASSERT_NE(graphics.cast.program, 0u) << graphics.cast.programLog;
    }
    int32_t Load(const std::string& text) {
        const int32_t status = LoadText("\"Tavrin\"  MAX\n1300,1000\n2220,2000\n360,300\n" + text);
        view.cameraDistance *= 0.4f;  // blocks some twenty pixels wide
        return status;
    }
    Picture Render(BlockDrawing drawing) {
        graphics.blockDrawing = drawing;
        RenderFrame(graphics, view, scene);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        return ReadHeadlessPixels(headless_);
    }
};

TEST_F(BlockCastTest, CastAndBoxesDrawTheSamePictureFromEveryCameraAndInEverySlab) {
    ASSERT_EQ(Load(OreBody() + Slope()), kStatusOk);
    ASSERT_EQ(graphics.cast.objects.size(), 2u);
    EXPECT_GT(graphics.cast.objects[0].lattice.poolBricks, 0);
    EXPECT_LT(graphics.cast.objects[0].lattice.poolBricks,
              int64_t{graphics.cast.objects[0].lattice.bricks[0]} * graphics.cast.objects[0].lattice.bricks[1] *
                  graphics.cast.objects[0].lattice.bricks[2]);  // some bricks are empty and skipped
    const std::array<std::array<float, 2>, 4> cameras{{{20, 30}, {135, -25}, {250, 60}, {300, 89}}};
    const std::array<SectionSlab, 4> slabs{SectionSlab{}, SectionSlab{0, 1152, 40}, SectionSlab{1, 2100, 33},
                                           SectionSlab{2, 331, 12}};
    for (const auto& [yaw, pitch] : cameras) {
        for (const SectionSlab& slab : slabs) {
            view.cameraYaw = yaw;
            view.cameraPitch = pitch;
            view.section = slab;
            const Picture boxes = Render(BlockDrawing::Boxes);
            EXPECT_EQ(graphics.cast.objectsDrawn, 0);
            const Picture cast = Render(BlockDrawing::Cast);
            EXPECT_EQ(graphics.cast.objectsDrawn, 1);
            const Difference d = Compare(boxes, cast);
            SCOPED_TRACE(::testing::Message() << "yaw " << yaw << " pitch " << pitch << " slab " << slab.axis);
            // The rasterizer snaps corners to 1/256 of a pixel, so where an edge passes
            // that near a pixel's centre either picture may show either side; looking
            // along rows of thin gaps between blocks makes that up to 0.1 %.
            EXPECT_LE(d.differing, kWidth * kHeight / 1000);
            EXPECT_EQ(d.offEdges, 0);
            int drawn = 0;  // not the background
            for (size_t p = 0; p < boxes.size(); p += 4) drawn += boxes[p] != 51 || boxes[p + 1] != 102;
            EXPECT_GT(drawn, kWidth * kHeight / 20);
            // Skipping empty bricks changes nothing at all.
            graphics.skipEmptyBricks = false;
            EXPECT_TRUE(Render(BlockDrawing::Cast) == cast);
            graphics.skipEmptyBricks = true;
        }
    }
}

TEST_F(BlockCastTest, CullingKeepsTheSameFacesAsTheBoxesDo) {
    ASSERT_EQ(Load(OreBody()), kStatusOk);
    view.cameraYaw = 60;
    view.cameraPitch = 20;
    view.section = SectionSlab{0, 1152, 40};
    for (bool counterClockwise : {true, false}) {
        for (CullMode cull : {CullMode::Front, CullMode::Back}) {
            graphics.opaqueRasterDesc.cullMode = cull;
            graphics.opaqueRasterDesc.frontCounterClockwise = counterClockwise;
            const Picture boxes = Render(BlockDrawing::Boxes);
            const Picture cast = Render(BlockDrawing::Cast);
            EXPECT_EQ(graphics.cast.objectsDrawn, 1);
            const Difference d = Compare(boxes, cast);
            EXPECT_LE(d.differing, kWidth * kHeight * 5 / 10000) << static_cast<int>(cull) << counterClockwise;  // 0.05 %
            EXPECT_EQ(d.offEdges, 0);
        }
    }
}

TEST_F(BlockCastTest, ModelsOffTheirLatticeTransparentOrWireframeStayBoxes) {
    // One block half a cell off: the whole section is drawn as boxes.
    ASSERT_EQ(Load(OreBody(5)), kStatusOk);
    EXPECT_EQ(graphics.cast.objects[0].pool, 0u);
    view.cameraYaw = 20;
    const Picture boxes = Render(BlockDrawing::Boxes);
    EXPECT_TRUE(Render(BlockDrawing::Cast) == boxes);
    EXPECT_EQ(graphics.cast.objectsDrawn, 0);

    EXPECT_EQ(graphics.uploadedBlocks, scene.storedBlockCount);

    // On its lattice the model's records wait until a frame draws its boxes: here
    // the first transparent one.
    ResetScene(scene);
    ASSERT_EQ(Load(OreBody()), kStatusOk);
    ASSERT_NE(graphics.cast.objects[0].pool, 0u);
    EXPECT_EQ(std::pair(graphics.uploadedBlocks, graphics.blocksAwaitingUpload), std::pair(int64_t{0}, scene.storedBlockCount));
    scene.objectTransparent[0] = true;
    const Picture transparent = Render(BlockDrawing::Cast);
    EXPECT_EQ(graphics.cast.objectsDrawn, 0);
    EXPECT_EQ(std::pair(graphics.uploadedBlocks, graphics.blocksAwaitingUpload), std::pair(scene.storedBlockCount, int64_t{0}));
    EXPECT_TRUE(Render(BlockDrawing::Boxes) == transparent);
    scene.objectTransparent[0] = false;
    graphics.opaqueRasterDesc.fillMode = FillMode::Wireframe;
    const Picture wireframe = Render(BlockDrawing::Boxes);
    EXPECT_TRUE(Render(BlockDrawing::Cast) == wireframe);
    EXPECT_EQ(graphics.cast.objectsDrawn, 0);
    // Auto casts a lattice whose textures are smaller than its records.
    graphics.opaqueRasterDesc.fillMode = FillMode::Solid;
    Render(BlockDrawing::Auto);
    EXPECT_EQ(graphics.cast.objectsDrawn, 1);
    // Uploaded for boxes only, no lattice is looked for.
    graphics.blockDrawing = BlockDrawing::Boxes;
    ASSERT_EQ(UploadSceneVertices(graphics, scene), kStatusOk);
    EXPECT_TRUE(graphics.cast.objects.empty());
    Render(BlockDrawing::Cast);
    EXPECT_EQ(graphics.cast.objectsDrawn, 0);
}

// One block in every brick: its cells would cost far more than its records, so it is
// cast only when asked for.
TEST_F(BlockCastTest, SparseLatticesAreCastOnlyWhenAskedFor) {
    std::string lines;
    for (int k = 0; k < 2; ++k) {
        for (int j = 0; j < 4; ++j) {
            for (int i = 0; i < 5; ++i) {
                lines += std::to_string(1005 + 80 * i) + "," + std::to_string(2005 + 80 * j) + "," +
                         std::to_string(302.5 + 40 * k) + "," + std::to_string(40 * i | (50 * j) << 8 | 200 << 16) + ",\n";
            }
        }
    }
    const std::string section = TagLine("BLKKDX", 40) + "10,10,5,\nskipped\nskipped\n" + lines;
    ASSERT_EQ(Load(section), kStatusOk);
    EXPECT_EQ(graphics.cast.objects[0].pool, 0u);
    EXPECT_EQ(graphics.uploadedBlocks, 40);  // boxes from the start
    view.cameraYaw = 25;
    const Picture boxes = Render(BlockDrawing::Auto);
    EXPECT_EQ(graphics.cast.objectsDrawn, 0);

    ResetScene(scene);
    graphics.blockDrawing = BlockDrawing::Cast;
    ASSERT_EQ(Load(section), kStatusOk);
    ASSERT_NE(graphics.cast.objects[0].pool, 0u);
    EXPECT_EQ(graphics.cast.objects[0].lattice.poolBricks, 40);
    const Picture cast = Render(BlockDrawing::Cast);
    EXPECT_EQ(graphics.cast.objectsDrawn, 1);
    const Difference d = Compare(boxes, cast);
    EXPECT_LE(d.differing, kWidth * kHeight * 5 / 10000);
    EXPECT_EQ(d.offEdges, 0);
}

// What the ray of pixel (x, y) shows of the lattice, walked on the CPU, and how far
// from the near plane, in lattice units.
struct Shown {
    bool hit = false;
    std::array<int32_t, 3> cell{};
    double distance = 0;
};
std::array<double, 3> InLattice(const BlockLattice& lattice, const std::array<double, 3>& file) {
    std::array<double, 3> q{};
    for (int a = 0; a < 3; ++a) q[a] = (file[a] - lattice.origin[a]) / lattice.cell[a];
    return q;
}
std::array<double, 3> NearPoint(const GraphicsState& g, int x, int y, double depth) {
    const glm::dmat4 inverse = glm::inverse(glm::dmat4(g.projectionMatrix) * glm::dmat4(g.viewMatrix) * glm::dmat4(g.worldMatrix));
    const double nx = 2.0 * (x + 0.5) / kWidth - 1.0, ny = 1.0 - 2.0 * (y + 0.5) / kHeight;
    const glm::dvec4 s = inverse * glm::dvec4(nx, ny, depth, 1.0);
    return {s.x / s.w, s.z / s.w, s.y / s.w};
}
double Apart(const std::array<double, 3>& a, const std::array<double, 3>& b) {
    return std::hypot(a[0] - b[0], a[1] - b[1], a[2] - b[2]);
}
// Distances in file units from the near plane.
Shown ShownAtPixel(const GraphicsState& g, const BlockLattice& lattice, int x, int y) {
    const auto from = InLattice(lattice, NearPoint(g, x, y, 0.0)), to = InLattice(lattice, NearPoint(g, x, y, 0.5));
    const std::array<double, 3> d{to[0] - from[0], to[1] - from[1], to[2] - from[2]};
    const LatticeHit hit = CastLatticeRay(lattice, from, d, 0.0, 1e9, 0);
    std::array<double, 3> along{};
    for (int a = 0; a < 3; ++a) along[a] = d[a] * hit.t * lattice.cell[a];
    return {hit.hit, hit.cell, hit.hit ? std::hypot(along[0], along[1], along[2]) : 0.0};
}

// How far from the near plane the ray of pixel (x, y) meets the slope; infinity
// where it passes by.
double SlopeAtPixel(const GraphicsState& g, int x, int y) {
    const auto p0 = NearPoint(g, x, y, 0.0), p1 = NearPoint(g, x, y, 0.5);
    const auto above = [](const std::array<double, 3>& p) { return p[2] - (300 + 0.2 * (p[0] - 1000)); };
    const double t = above(p0) / (above(p0) - above(p1));
    const std::array<double, 3> at{p0[0] + (p1[0] - p0[0]) * t, p0[1] + (p1[1] - p0[1]) * t, p0[2] + (p1[2] - p0[2]) * t};
    if (!(t >= 0) || at[0] < 1000 || at[0] > 1300 || at[1] < 2000 || at[1] > 2220) return INFINITY;
    return Apart(at, p0);
}

// The slope passes through the ore body: each pixel shows either a block or the
// slope, whichever is nearer; the pick names the same, whichever way the blocks
// are drawn.
TEST_F(BlockCastTest, APickNamesTheBlockOrTheSurfaceDrawnAtThePixelEitherWay) {
    ASSERT_EQ(Load(OreBody() + Slope()), kStatusOk);
    view.cameraYaw = 35;
    view.cameraPitch = 25;
    const BlockLattice& lattice = graphics.cast.objects[0].lattice;
    for (BlockDrawing drawing : {BlockDrawing::Boxes, BlockDrawing::Cast}) {
        Render(drawing);
        int blocks = 0, agreeing = 0, slope = 0, slopeInFront = 0;
        for (int y = 2; y < kHeight; y += 7) {
            for (int x = 3; x < kWidth; x += 7) {
                const Shown shown = ShownAtPixel(graphics, lattice, x, y);
                const PickResult pick = PickPixel(graphics, view, scene, x, y, headless_.target.framebuffer);
                if (!pick.hit) {
                    EXPECT_FALSE(shown.hit) << x << "," << y;
                    continue;
                }
                const double toSlope = SlopeAtPixel(graphics, x, y);
                if (pick.element.object == 1) {
                    // The slope, where no block lies in front of it.
                    ++slope;
                    slopeInFront += !shown.hit || toSlope <= shown.distance + 1e-3;
                    continue;
                }
                ASSERT_EQ(pick.element.object, 0);
                ++blocks;
                const auto cell = LatticeCellOf(lattice, scene.blockRecords[static_cast<size_t>(pick.element.element)]);
                agreeing += shown.hit && cell[0] == shown.cell[0] && cell[1] == shown.cell[1] &&
                            cell[2] == shown.cell[2] && shown.distance <= toSlope + 1e-3;
            }
        }
        EXPECT_GT(blocks, 200);
        EXPECT_GT(slope, 100);
        EXPECT_EQ(agreeing, blocks) << static_cast<int>(drawing);
        EXPECT_EQ(slopeInFront, slope) << static_cast<int>(drawing);
    }
}

}  // namespace
}  // namespace talan
