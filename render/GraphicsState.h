// The graphics objects every frame uses, owned from InitGraphics to ReleaseGraphics.
// Drawing goes to whatever OpenGL 3.3 core context is current: the viewer's window
// or a headless EGL context.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include <epoxy/gl.h>
#include <glm/mat4x4.hpp>

#include "scene/BlockLattice.h"

namespace talan {

enum class FillMode { Solid, Wireframe };
enum class CullMode { None, Front, Back };

// How triangles are rasterised: plain data that menu commands change between frames.
struct RasterDesc {
    FillMode fillMode = FillMode::Solid;
    CullMode cullMode = CullMode::None;
    bool frontCounterClockwise = true;  // counter-clockwise on screen is the front
    bool depthClipEnable = true;        // false: depth is clamped instead of clipped
    bool antialiasedLineEnable = false;
    bool operator==(const RasterDesc&) const = default;
};

// A linked program of the effect and the locations of the effect variables in it
// (-1 where the program does not use a variable).
struct EffectProgram {
    GLuint program = 0;
    GLint world = -1, view = -1, projection = -1;
    GLint lightDir = -1, lightColor = -1, ambientIntensity = -1;
    GLint sectionPlanes = -1;
};

// One pass of the effect's "Render" technique: its vertex and fragment programs for
// scene vertices, and its block and fragment programs for block models.
struct EffectPass {
    std::string name;
    EffectProgram vertices;
    EffectProgram blocks;
};

struct Effect {
    std::vector<EffectPass> passes;  // of the technique "Render", in order
    std::string common;              // the @common text, which the block cast program builds on
};

// What the GL pipeline was last set to, so that drawing many objects does not
// repeat state changes that change nothing.
struct AppliedState {
    bool valid = false;
    RasterDesc raster;
    bool blending = false;
    float blendFactor = -1.0f;
};

// One vertex buffer and its input layout: a run of the scene's vertices, cut at an
// element boundary, or a run of its block records.
struct VertexBufferPiece {
    GLuint buffer = 0;
    GLuint vertexArray = 0;
    int64_t first = 0;  // index of its first record in sceneVertices or blockRecords
    int64_t count = 0;  // records it holds
};

// Drivers address one buffer only so far (some not beyond 2 GiB), so the scene's
// records go to buffers of at most this size.
inline constexpr int64_t kMaxVertexBufferBytes = int64_t{256} << 20;

// How block models are drawn: one box per block from their records, or, for a model
// on a lattice, by casting one ray per pixel through its cells (Auto: the cast where
// the lattice takes no more memory than the records).
enum class BlockDrawing { Auto, Boxes, Cast };

// A block model on a lattice as the cast draws it: its brick table and brick pool as
// 3D textures, and where the lattice lies. Objects off a lattice have no textures.
struct BlockCastObject {
    GLuint brickTable = 0;  // R32UI, one texel per brick: 0 empty, else 1 + its place in the pool
    GLuint pool = 0;        // RGBA8UI, 8 x 8 x 8 texels per brick; alpha 0 for an empty cell
    std::array<int32_t, 2> poolBricks{};  // bricks along x and y of the pool texture
    int64_t textureBytes = 0;
    BlockLattice lattice;  // also walked on the CPU by picking
};

// The cast's program, its uniforms, and one entry per object of the last upload.
struct BlockCastState {
    GLuint program = 0;  // 0 when the effect's @common gives no ShadeSurface: boxes only
    std::string programLog;
    GLuint vertexArray = 0;  // empty: the box is made from gl_VertexID
    GLint world = -1, lightDir = -1, lightColor = -1, ambientIntensity = -1;
    GLint latticeToDepth = -1, inverseProjection = -1, viewToLattice = -1, latticeEye = -1, nearFar = -1;
    GLint depthFromView = -1, latticePlanes = -1, boxLow = -1, boxHigh = -1, cells = -1;
    GLint poolBricks = -1, viewport = -1, keepFaces = -1, skipBricks = -1, brickTable = -1, pool = -1;
    std::vector<BlockCastObject> objects;
    int32_t maxTextureSize = 0;  // GL_MAX_3D_TEXTURE_SIZE
    int32_t objectsDrawn = 0;    // block models the last frame drew by casting
};

// How much a piece of a frame drawn in pieces holds, per kind of draw: learnt from
// the pieces drawn so far, so that each takes a few hundredths of a second.
struct PieceSizes {
    int64_t vertices = int64_t{1} << 18;
    int64_t blocks = int64_t{1} << 14;
    int64_t rows = 64;  // of a block model drawn by casting
};

// The overlay's own program and the buffer its triangles go through every frame.
struct OverlayState {
    GLuint program = 0;
    GLuint vertexArray = 0;
    GLuint buffer = 0;
};

struct GraphicsState {
    bool ready = false;  // InitGraphics has succeeded; ReleaseGraphics empties the state again
    Effect effect;
    // Copies of sceneVertices and blockRecords, replaced whole by every upload.
    std::vector<VertexBufferPiece> vertexPieces;
    std::vector<VertexBufferPiece> blockPieces;
    int64_t uploadedVertices = 0;  // records the pieces hold; objects beyond are not drawn
    int64_t uploadedBlocks = 0;
    int64_t blocksAwaitingUpload = 0;  // block records left for the first frame that draws boxes
    int64_t maxBufferBytes = kMaxVertexBufferBytes;  // tests lower it to cut small scenes
    VertexBufferPiece marks;  // the measurement's points and line, drawn over the scene
    OverlayState overlay;     // the axes triad and scale bar, drawn over everything

    RasterDesc opaqueRasterDesc{FillMode::Solid, CullMode::None, true, true, false};
    RasterDesc transparentRasterDesc{FillMode::Solid, CullMode::Back, true, false, false};

    glm::mat4 worldMatrix{1.0f};  // moves the camera's target to the origin
    glm::mat4 viewMatrix{1.0f};   // from the target's place; the whole view is view × world
    glm::mat4 projectionMatrix{1.0f};  // depth 0..1, as the view space is left-handed

    int32_t viewportWidth = 0, viewportHeight = 0;
    bool clipControl = false;  // depth 0..1 natively (glClipControl)
    bool anyTransparent = false;  // some object was once drawn transparent: run the transparent sweeps
    AppliedState applied;

    BlockDrawing blockDrawing = BlockDrawing::Auto;  // set before the upload: Boxes finds no lattice
    bool skipEmptyBricks = true;  // tests turn it off: the cast then walks every cell
    BlockCastState cast;

    // Per object, the stand-in a frame drawn while the view moves draws instead
    // (ReducedCopy.h); an empty entry where the object is drawn whole.
    std::vector<VertexBufferPiece> reducedCopies;
    PieceSizes pieces;
};

}  // namespace talan
