// The graphics objects every frame uses, owned from InitGraphics to ReleaseGraphics.
// Drawing goes to whatever OpenGL 3.3 core context is current: the viewer's window
// or a headless EGL context.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <epoxy/gl.h>
#include <glm/mat4x4.hpp>

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

struct GraphicsState {
    Effect effect;
    // Copies of sceneVertices and blockRecords, replaced whole by every upload.
    std::vector<VertexBufferPiece> vertexPieces;
    std::vector<VertexBufferPiece> blockPieces;
    int64_t uploadedVertices = 0;  // records the pieces hold; objects beyond are not drawn
    int64_t uploadedBlocks = 0;
    int64_t maxBufferBytes = kMaxVertexBufferBytes;  // tests lower it to cut small scenes
    VertexBufferPiece marks;  // the measurement's points and line, drawn over the scene

    RasterDesc opaqueRasterDesc{FillMode::Solid, CullMode::None, true, true, false};
    RasterDesc transparentRasterDesc{FillMode::Solid, CullMode::Back, true, false, false};

    glm::mat4 worldMatrix{1.0f};  // moves the camera's target to the origin
    glm::mat4 viewMatrix{1.0f};   // from the target's place; the whole view is view × world
    glm::mat4 projectionMatrix{1.0f};  // depth 0..1, as the view space is left-handed

    int32_t viewportWidth = 0, viewportHeight = 0;
    bool clipControl = false;  // depth 0..1 natively (glClipControl)
    bool anyTransparent = false;  // some object was once drawn transparent: run the transparent sweeps
    AppliedState applied;
};

}  // namespace talan
