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

// One pass of the effect's "Render" technique: a linked program and the locations
// of the effect variables in it (-1 where the program does not use a variable).
struct EffectPass {
    std::string name;
    GLuint program = 0;
    GLint world = -1, view = -1, projection = -1;
    GLint lightDir = -1, lightColor = -1, ambientIntensity = -1;
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

struct GraphicsState {
    Effect effect;
    GLuint vertexArray = 0;        // the input layout of SceneVertex
    GLuint sceneVertexBuffer = 0;  // copy of sceneVertices, replaced by every upload
    int64_t uploadedVertexCount = 0;

    RasterDesc opaqueRasterDesc{FillMode::Solid, CullMode::None, true, true, false};
    RasterDesc transparentRasterDesc{FillMode::Solid, CullMode::Back, true, false, false};

    glm::mat4 worldMatrix{1.0f};
    glm::mat4 viewMatrix{1.0f};
    glm::mat4 projectionMatrix{1.0f};  // depth 0..1, as the view space is left-handed

    int32_t viewportWidth = 0, viewportHeight = 0;
    bool clipControl = false;  // depth 0..1 natively (glClipControl)
    bool anyTransparent = false;  // some object was once drawn transparent: run the transparent sweeps
    AppliedState applied;
};

}  // namespace talan
