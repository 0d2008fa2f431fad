#include <algorithm>
#include <cmath>
#include <cstddef>

#include <glm/gtc/type_ptr.hpp>

#include "render/BlockCast.h"
#include "render/CameraMath.h"
#include "render/Graphics.h"

namespace talan {

namespace {

constexpr float kPointSize = 4.0f;  // a point set is drawn as dots a few pixels wide

// One sweep's way of drawing: its rasterizer description and, for the transparent
// sweeps, blending with the transparency level.
struct SweepState {
    const RasterDesc* raster;
    bool transparent;
    float blendFactor;
};

void ApplyRaster(AppliedState& applied, const RasterDesc& desc) {
    const bool all = !applied.valid;
    const RasterDesc& old = applied.raster;
    if (all || desc.fillMode != old.fillMode) {
        glPolygonMode(GL_FRONT_AND_BACK, desc.fillMode == FillMode::Wireframe ? GL_LINE : GL_FILL);
    }
    if (all || desc.cullMode != old.cullMode) {
        if (desc.cullMode == CullMode::None) {
            glDisable(GL_CULL_FACE);
        } else {
            glEnable(GL_CULL_FACE);
            glCullFace(desc.cullMode == CullMode::Front ? GL_FRONT : GL_BACK);
        }
    }
    if (all || desc.frontCounterClockwise != old.frontCounterClockwise) {
        glFrontFace(desc.frontCounterClockwise ? GL_CCW : GL_CW);
    }
    if (all || desc.depthClipEnable != old.depthClipEnable) {
        if (desc.depthClipEnable) {
            glDisable(GL_DEPTH_CLAMP);
        } else {
            glEnable(GL_DEPTH_CLAMP);
        }
    }
    if (all || desc.antialiasedLineEnable != old.antialiasedLineEnable) {
        if (desc.antialiasedLineEnable) {
            glEnable(GL_LINE_SMOOTH);
        } else {
            glDisable(GL_LINE_SMOOTH);
        }
    }
    applied.raster = desc;
}

// Blending for one object: the transparency blend for transparent sweeps; for opaque
// ones none, except that antialiased lines blend their edge coverage.
void ApplyBlend(AppliedState& applied, const SweepState& sweep, bool smoothLines) {
    const bool blending = sweep.transparent || smoothLines;
    const float factor = sweep.transparent ? sweep.blendFactor : (smoothLines ? -2.0f : -1.0f);
    if (applied.valid && applied.blending == blending && applied.blendFactor == factor) return;
    if (!blending) {
        glDisable(GL_BLEND);
    } else if (sweep.transparent) {
        // colour = source x (1 - level) + destination x level; alpha becomes 0.
        glEnable(GL_BLEND);
        glBlendColor(sweep.blendFactor, sweep.blendFactor, sweep.blendFactor, sweep.blendFactor);
        glBlendEquation(GL_FUNC_ADD);
        glBlendFuncSeparate(GL_ONE_MINUS_CONSTANT_COLOR, GL_CONSTANT_COLOR, GL_ZERO, GL_ZERO);
    } else {
        glEnable(GL_BLEND);
        glBlendEquation(GL_FUNC_ADD);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    }
    applied.blending = blending;
    applied.blendFactor = factor;
}

GLenum Topology(int32_t verticesPerElement, GLenum previous) {
    switch (verticesPerElement) {
        case 3:
        case 36: return GL_TRIANGLES;
        case 2: return GL_LINES;
        case 1: return GL_POINTS;
        default: return previous;
    }
}

// The effect values of a frame, given to the programs of a pass.
struct FrameValues {
    glm::mat4 projection;  // as the pipeline's depth range needs it
    float lightDir[8];
    float lightColor[8];
    float ambient;
    float sectionPlanes[8];
};

// The planes of the section slab in stored axes (x, elevation, y); without a slab
// they keep everything.
void SectionPlanes(const SectionSlab& slab, float planes[8]) {
    std::fill(planes, planes + 8, 0.0f);
    planes[3] = planes[7] = 1.0f;
    if (!slab.Active()) return;
    static constexpr int kStoredAxis[3] = {0, 2, 1};
    const int axis = kStoredAxis[slab.axis];
    planes[axis] = 1.0f;  // coordinate - low >= 0
    planes[3] = static_cast<float>(-(slab.centre - slab.thickness / 2));
    planes[4 + axis] = -1.0f;  // high - coordinate >= 0
    planes[7] = static_cast<float>(slab.centre + slab.thickness / 2);
}

void SetEffectValues(const GraphicsState& graphics, const EffectProgram& program, const FrameValues& values) {
    glUseProgram(program.program);
    if (program.world >= 0) glUniformMatrix4fv(program.world, 1, GL_FALSE, glm::value_ptr(graphics.worldMatrix));
    if (program.view >= 0) glUniformMatrix4fv(program.view, 1, GL_FALSE, glm::value_ptr(graphics.viewMatrix));
    if (program.projection >= 0) glUniformMatrix4fv(program.projection, 1, GL_FALSE, glm::value_ptr(values.projection));
    if (program.lightDir >= 0) glUniform4fv(program.lightDir, 2, values.lightDir);
    if (program.lightColor >= 0) glUniform4fv(program.lightColor, 2, values.lightColor);
    if (program.ambientIntensity >= 0) glUniform1f(program.ambientIntensity, values.ambient);
    if (program.sectionPlanes >= 0) glUniform4fv(program.sectionPlanes, 2, values.sectionPlanes);
}

// Applying a pass gives both its programs the frame's effect values.
void ApplyPass(const GraphicsState& graphics, const EffectPass& pass, const FrameValues& values) {
    SetEffectValues(graphics, pass.blocks, values);
    SetEffectValues(graphics, pass.vertices, values);
}

// Draws the records [first, first + count) of an object from the pieces that hold
// them, piece by piece in order; `draw(piece, offset, n)` draws n records from
// `offset` in a piece whose input layout is bound.
template <typename Draw>
void DrawFromPieces(const std::vector<VertexBufferPiece>& pieces, int64_t first, int64_t count, Draw draw) {
    const int64_t end = first + count;
    for (const VertexBufferPiece& piece : pieces) {
        const int64_t from = std::max(first, piece.first), to = std::min(end, piece.first + piece.count);
        if (from >= to) continue;
        glBindVertexArray(piece.vertexArray);
        glBindBuffer(GL_ARRAY_BUFFER, piece.buffer);
        draw(from - piece.first, to - from);
    }
}

// A range of blocks: one box of 36 vertices instanced over the block records.
void DrawBlocks(int64_t offset, int64_t blocks) {
    constexpr GLsizei kStride = sizeof(BlockRecord);
    const auto at = [&](size_t field) { return reinterpret_cast<const void*>(offset * kStride + static_cast<int64_t>(field)); };
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, kStride, at(offsetof(BlockRecord, low)));
    glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, kStride, at(offsetof(BlockRecord, high)));
    glVertexAttribIPointer(2, 4, GL_UNSIGNED_BYTE, kStride, at(offsetof(BlockRecord, colour)));
    glDrawArraysInstanced(GL_TRIANGLES, 0, kVerticesPerBlock, static_cast<GLsizei>(blocks));
}

// Draws every visible object whose transparency matches the sweep, in load order:
// scene vertices with the pass's vertex program, block models with its block program.
void DrawObjects(GraphicsState& graphics, const SceneModel& scene, int32_t objectCount, const EffectPass& pass,
                 const SweepState& sweep, const CastFrame& cast, GLenum& topology) {
    const size_t objects = std::min(static_cast<size_t>(std::max(objectCount, 0)), scene.firstVertex.size());
    for (size_t i = 0; i < objects; ++i) {
        if (!scene.objectVisible[i] || scene.objectTransparent[i] != sweep.transparent) continue;
        topology = Topology(scene.verticesPerElement[i], topology);
        const bool blocks = IsBlockModel(scene, i);
        const int64_t first = scene.firstStored[i];
        const int64_t count = blocks ? int64_t{scene.elementCounts[i]}
                                     : int64_t{scene.verticesPerElement[i]} * scene.elementCounts[i];
        if (blocks && count > 0 && DrawsByCasting(graphics, i, *sweep.raster, sweep.transparent)) {
            DrawBlockCast(graphics, i, *sweep.raster, cast);
            ++graphics.cast.objectsDrawn;
            continue;
        }
        if (blocks && first + count > graphics.uploadedBlocks) UploadAwaitingBlocks(graphics, scene);
        // Only what the buffers hold is drawn (they are made at the end of a load).
        if (count <= 0 || first + count > (blocks ? graphics.uploadedBlocks : graphics.uploadedVertices)) continue;
        ApplyBlend(graphics.applied, sweep, topology == GL_LINES && sweep.raster->antialiasedLineEnable);
        ApplyRaster(graphics.applied, *sweep.raster);
        graphics.applied.valid = true;
        if (blocks) {
            glUseProgram(pass.blocks.program);
            DrawFromPieces(graphics.blockPieces, first, count, DrawBlocks);
        } else {
            glUseProgram(pass.vertices.program);
            DrawFromPieces(graphics.vertexPieces, first, count, [&](int64_t offset, int64_t n) {
                glDrawArrays(topology, static_cast<GLint>(offset), static_cast<GLsizei>(n));
            });
        }
    }
}

// The opaque objects, then, once any object has been transparent, the two
// transparent sweeps.
void DrawSweeps(GraphicsState& graphics, const ViewState& view, const SceneModel& scene, const FrameValues& values) {
    const int32_t objects = scene.objectCount;
    CastFrame cast{};
    std::copy(values.lightDir, values.lightDir + 8, cast.lightDir);
    std::copy(values.lightColor, values.lightColor + 8, cast.lightColor);
    cast.ambient = values.ambient;
    std::copy(values.sectionPlanes, values.sectionPlanes + 8, cast.sectionPlanes);
    GLenum topology = GL_TRIANGLES;
    const float level = view.transparencyLevel;
    for (const EffectPass& pass : graphics.effect.passes) {
        ApplyPass(graphics, pass, values);
        DrawObjects(graphics, scene, objects, pass, {&graphics.opaqueRasterDesc, false, level}, cast, topology);
    }
    if (!graphics.anyTransparent) return;

    // First the triangles that face away (counter-clockwise on screen) with the last
    // pass still applied, then, pass by pass, the ones that face the viewer over them.
    graphics.transparentRasterDesc.frontCounterClockwise = true;
    DrawObjects(graphics, scene, objects, graphics.effect.passes.back(), {&graphics.transparentRasterDesc, true, level},
                cast, topology);
    graphics.transparentRasterDesc.frontCounterClockwise = false;
    for (const EffectPass& pass : graphics.effect.passes) {
        ApplyPass(graphics, pass, values);
        DrawObjects(graphics, scene, objects, pass, {&graphics.transparentRasterDesc, true, level}, cast, topology);
    }
}

// A measurement's points, and the line between them once there are two, in a
// colour of their own over everything else and outside any section.
void DrawMeasureMarks(GraphicsState& graphics, const MeasureMarks& marks, const FrameValues& values) {
    if (marks.count == 0) return;
    constexpr float kMarkColour[4] = {1.0f, 1.0f, 0.0f, 1.0f};
    SceneVertex vertices[2] = {};
    for (int i = 0; i < marks.count; ++i) {
        const auto& p = marks.points[static_cast<size_t>(i)];
        vertices[i] = {{static_cast<float>(p[0]), static_cast<float>(p[2]), static_cast<float>(p[1])}, {0, 0, 0}, {}};
        std::copy(kMarkColour, kMarkColour + 4, vertices[i].colour);
    }
    VertexBufferPiece& piece = graphics.marks;
    if (piece.buffer == 0) {
        glGenVertexArrays(1, &piece.vertexArray);
        glGenBuffers(1, &piece.buffer);
        glBindVertexArray(piece.vertexArray);
        glBindBuffer(GL_ARRAY_BUFFER, piece.buffer);
        glBufferData(GL_ARRAY_BUFFER, sizeof vertices, nullptr, GL_DYNAMIC_DRAW);
        SetSceneVertexLayout();
    }
    glBindVertexArray(piece.vertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, piece.buffer);
    glBufferSubData(GL_ARRAY_BUFFER, 0, sizeof vertices, vertices);
    // Planes that keep everything: the marks are not cut by the slab.
    FrameValues unclipped = values;
    SectionPlanes(SectionSlab{}, unclipped.sectionPlanes);
    ApplyPass(graphics, graphics.effect.passes.front(), unclipped);
    glUseProgram(graphics.effect.passes.front().vertices.program);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    if (marks.count == 2) glDrawArrays(GL_LINES, 0, 2);
    glDrawArrays(GL_POINTS, 0, marks.count);
    glEnable(GL_DEPTH_TEST);
    graphics.applied.valid = false;
}

}  // namespace

void AdvanceFrame(ViewState& view, SceneModel& scene) {
    view.lightAzimuth = static_cast<float>(view.lightAzimuth + view.lightSpinSpeed * kTurnPerFrame);
    view.cameraYaw = static_cast<float>(view.cameraYaw + view.autoTurnSpeed * kTurnPerFrame);
    scene.objectCount = CountObjects(scene);
}

void DrawFrame(GraphicsState& graphics, const ViewState& view, const SceneModel& scene) {
    // The light direction from its elevation and azimuth.
    const float e = view.lightElevation * kDegreesToRadians;
    const float a = view.lightAzimuth * kDegreesToRadians;
    const float r = 2.0f * view.sceneSize;
    float x = std::sin(a) * std::cos(e) * r, y = std::sin(e) * r, z = std::cos(a) * std::cos(e) * r;
    const float length = std::sqrt(x * x + y * y + z * z);
    if (length > 0.0f) {
        x = x / length;
        y = y / length;
        z = z / length;
    } else {
        x = y = z = 0.0f;
    }

    // The frame starts from a known state: whatever else used the context may have
    // changed it.
    graphics.applied.valid = false;
    graphics.cast.objectsDrawn = 0;
    glDisable(GL_SCISSOR_TEST);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glDepthMask(GL_TRUE);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glPointSize(kPointSize);
    glClearColor(view.backgroundColor[0], view.backgroundColor[1], view.backgroundColor[2], 0.0f);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    graphics.worldMatrix = BuildWorldMatrix(view);
    graphics.viewMatrix =
        BuildViewMatrix(view, view.cameraPitch * kDegreesToRadians, view.cameraYaw * kDegreesToRadians);
    // The near plane follows the camera's distance, which a zoom changes between fits.
    if (view.cameraFitted && graphics.viewportWidth > 0 && graphics.viewportHeight > 0) {
        graphics.projectionMatrix = BuildProjectionMatrix(graphics.viewportWidth, graphics.viewportHeight,
                                                          view.farPlane, NearPlane(view.cameraDistance, view.farPlane));
    }

    FrameValues values{graphics.projectionMatrix, {x, y, z, 1.0f, -x, -y, z, 1.0f}, {}, view.ambientIntensity, {}};
    SectionPlanes(view.section, values.sectionPlanes);
    for (GLenum plane : {GL_CLIP_DISTANCE0, GL_CLIP_DISTANCE1}) {
        view.section.Active() ? glEnable(plane) : glDisable(plane);
    }
    if (!graphics.clipControl) {
        // Without native 0..1 depth, map it to -1..1 so that the same planes clip.
        glm::mat4 toMinusOneOne(1.0f);
        toMinusOneOne[2][2] = 2.0f;
        toMinusOneOne[3][2] = -1.0f;
        values.projection = toMinusOneOne * values.projection;
    }

    const int32_t objects = scene.objectCount;
    if (!graphics.anyTransparent) {
        for (size_t i = 0; i < scene.objectTransparent.size() && i < static_cast<size_t>(objects); ++i) {
            if (scene.objectTransparent[i]) {
                graphics.anyTransparent = true;
                break;
            }
        }
    }
    if (graphics.effect.passes.empty()) return;
    if (!graphics.vertexPieces.empty() || !graphics.blockPieces.empty() || !graphics.cast.objects.empty()) {
        DrawSweeps(graphics, view, scene, values);
    }
    DrawMeasureMarks(graphics, view.measure, values);
}

void RenderFrame(GraphicsState& graphics, ViewState& view, SceneModel& scene) {
    AdvanceFrame(view, scene);
    DrawFrame(graphics, view, scene);
}

}  // namespace talan
