// Block models on a lattice drawn by casting one ray per pixel through their cells,
// at a cost bounded by the pixels the lattice covers rather than by its blocks. The
// lattice's box is drawn; each of its pixels walks the cells along its ray, skipping
// bricks without blocks, and shows the first block box it meets (at 0.92 of the cell,
// as the boxes are drawn), lit as the boxes are and at the depth the box would have.
#pragma once

#include <cstdint>
#include <vector>

#include "render/GraphicsState.h"
#include "render/ViewState.h"
#include "scene/BlockLattice.h"
#include "scene/SceneModel.h"

namespace talan {

// Compiles the cast program from the effect's @common text (which must give
// ShadeSurface). On failure the program stays 0, with the log kept: every block
// model is then drawn as boxes.
void BuildBlockCastProgram(BlockCastState& cast, const std::string& common);

// Finds the lattice of every block model of the scene and makes its textures, as
// graphics.blockDrawing allows (Boxes: none): one entry per object, without
// textures for an object off a lattice.
std::vector<BlockCastObject> MakeBlockCasts(const GraphicsState& graphics, const SceneModel& scene);

// Frees the textures of `objects` and empties it.
void ReleaseBlockCastObjects(std::vector<BlockCastObject>& objects);

// Whether an object's cast is drawn instead of its boxes, as blockDrawing chooses:
// Auto where its textures take no more memory than its block records.
bool CastChosen(BlockDrawing drawing, const BlockCastObject& object);

// Frees the textures and the program.
void ReleaseBlockCasts(BlockCastState& cast);

// Whether object k is drawn by casting in a sweep of this rasterizer description:
// an opaque, solid model with textures, as blockDrawing chooses.
bool DrawsByCasting(const GraphicsState& graphics, size_t k, const RasterDesc& raster, bool transparent);

// The frame's values the cast needs besides the object: the matrices are the
// graphics state's; `planes` are the section slab's in stored axes.
struct CastFrame {
    float lightDir[8];
    float lightColor[8];
    float ambient;
    float sectionPlanes[8];
    int32_t width, height;  // of the frame
};

// Draws object k by casting, with `raster`'s culling; leaves the GL state for the
// next object to set again.
void DrawBlockCast(GraphicsState& graphics, size_t k, const RasterDesc& raster, const CastFrame& frame);

}  // namespace talan
