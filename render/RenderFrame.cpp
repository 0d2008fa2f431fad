#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstddef>
#include <span>

#include <glm/gtc/type_ptr.hpp>

#include "render/BlockCast.h"
#include "render/CameraMath.h"
#include "render/FrameJob.h"
#include "render/Graphics.h"
#include "render/Legend.h"
#include "render/Overlay.h"

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
void DrawFromPieces(std::span<const VertexBufferPiece> pieces, int64_t first, int64_t count, Draw draw) {
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


// Sets again what the frame's drawing relies on: another user of the context (the
// toolkit between two pieces) may have changed it.
void ResumeFrame(GraphicsState& graphics, const FrameJob& job) {
    glBindFramebuffer(GL_FRAMEBUFFER, job.framebuffer);
    glViewport(0, 0, job.width, job.height);
    graphics.applied.valid = false;
    graphics.worldMatrix = job.world;
    graphics.viewMatrix = job.view;
    graphics.projectionMatrix = job.projection;
    glDisable(GL_SCISSOR_TEST);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glDepthMask(GL_TRUE);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    // Dots keep their size on the screen in a frame drawn smaller and stretched.
    const float scale = graphics.viewportWidth > 0 ? static_cast<float>(job.width) / static_cast<float>(graphics.viewportWidth) : 1.0f;
    glPointSize(job.reduced ? std::max(1.0f, kPointSize * std::min(scale, 1.0f)) : kPointSize);
    for (GLenum plane : {GL_CLIP_DISTANCE0, GL_CLIP_DISTANCE1}) {
        job.viewState.section.Active() ? glEnable(plane) : glDisable(plane);
    }
}

// Lists the draws of every visible object whose transparency matches the sweep, in
// load order: scene vertices with the pass's vertex program, block models with its
// block program or by casting.
void PlanObjects(GraphicsState& graphics, const SceneModel& scene, FrameJob& job, uint8_t sweep, uint32_t pass,
                 const RasterDesc& raster, GLenum& topology) {
    const bool transparent = sweep != 0;
    const size_t objects = std::min(static_cast<size_t>(std::max(scene.objectCount, 0)), scene.firstVertex.size());
    for (size_t i = 0; i < objects; ++i) {
        if (!scene.objectVisible[i] || scene.objectTransparent[i] != transparent) continue;
        topology = Topology(scene.verticesPerElement[i], topology);
        const bool blocks = IsBlockModel(scene, i);
        const int64_t first = scene.firstStored[i];
        const int64_t count = blocks ? int64_t{scene.elementCounts[i]}
                                     : int64_t{scene.verticesPerElement[i]} * scene.elementCounts[i];
        DrawStep step{DrawStep::Kind::Records, sweep, false, blocks, pass, static_cast<uint32_t>(i), topology, first, count};
        if (blocks && count > 0 && DrawsByCasting(graphics, i, raster, transparent)) {
            step.kind = DrawStep::Kind::Cast;
            step.first = 0;
            step.count = job.height;
            job.steps.push_back(step);
            continue;
        }
        if (job.reduced && i < graphics.reducedCopies.size() && graphics.reducedCopies[i].count > 0) {
            step.reduced = true;
            step.first = 0;
            step.count = graphics.reducedCopies[i].count;
            job.steps.push_back(step);
            continue;
        }
        if (blocks && first + count > graphics.uploadedBlocks) UploadAwaitingBlocks(graphics, scene);
        // Only what the buffers hold is drawn (they are made at the end of a load).
        if (count <= 0 || first + count > (blocks ? graphics.uploadedBlocks : graphics.uploadedVertices)) continue;
        job.steps.push_back(step);
    }
}

// The opaque objects pass by pass, then, once any object has been transparent, the
// triangles that face away (counter-clockwise on screen) with the last pass, then,
// pass by pass, the ones that face the viewer over them.
void PlanSweeps(GraphicsState& graphics, const SceneModel& scene, FrameJob& job) {
    GLenum topology = GL_TRIANGLES;
    const uint32_t passes = static_cast<uint32_t>(graphics.effect.passes.size());
    for (uint32_t pass = 0; pass < passes; ++pass) {
        PlanObjects(graphics, scene, job, 0, pass, graphics.opaqueRasterDesc, topology);
    }
    if (!graphics.anyTransparent) return;
    PlanObjects(graphics, scene, job, 1, passes - 1, graphics.transparentRasterDesc, topology);
    for (uint32_t pass = 0; pass < passes; ++pass) {
        PlanObjects(graphics, scene, job, 2, pass, graphics.transparentRasterDesc, topology);
    }
    graphics.transparentRasterDesc.frontCounterClockwise = false;
}

int64_t VerticesPerElement(GLenum topology) { return topology == GL_TRIANGLES ? 3 : topology == GL_LINES ? 2 : 1; }

// Roughly what a step costs, for the progress shown: a block is 12 triangles, a row
// of a cast a few hundred pixels' walks.
int64_t StepWork(const DrawStep& step, int32_t width) {
    switch (step.kind) {
        case DrawStep::Kind::Cast: return step.count * std::max(width, 1) / 4;
        case DrawStep::Kind::Marks:
        case DrawStep::Kind::Overlay:
        case DrawStep::Kind::Legend: return 1;
        case DrawStep::Kind::Records: return step.blocks ? step.count * 4 : step.count;
    }
    return 1;
}

// How much of a step the next piece draws: whole elements, as many as the last
// pieces of its kind drew in their time.
int64_t PieceAmount(const GraphicsState& graphics, const DrawStep& step) {
    const PieceSizes& sizes = graphics.pieces;
    switch (step.kind) {
        case DrawStep::Kind::Cast: return sizes.rows;
        case DrawStep::Kind::Marks:
        case DrawStep::Kind::Overlay:
        case DrawStep::Kind::Legend: return step.count;
        case DrawStep::Kind::Records: break;
    }
    if (step.blocks) return sizes.blocks;
    const int64_t perElement = VerticesPerElement(step.topology);
    return std::max(sizes.vertices / perElement, int64_t{1}) * perElement;
}

// Sizes the next pieces of a kind so that each takes about kPieceSeconds.
void AdaptPieces(GraphicsState& graphics, const DrawStep& step, int64_t amount, double took) {
    constexpr double kPieceSeconds = 0.03;
    const bool fixed = step.kind == DrawStep::Kind::Marks || step.kind == DrawStep::Kind::Overlay ||
                       step.kind == DrawStep::Kind::Legend;
    if (fixed || amount <= 0) return;
    const auto next = [&](int64_t current, int64_t least, int64_t most) {
        // Only a piece of the full size tells the rate; a step's last piece may be short.
        const double rate = static_cast<double>(amount) / std::max(took, 1e-4);
        const int64_t wanted = static_cast<int64_t>(rate * kPieceSeconds);
        if (amount < current && wanted > current) return current;
        return std::clamp(wanted, least, most);
    };
    PieceSizes& sizes = graphics.pieces;
    if (step.kind == DrawStep::Kind::Cast) {
        sizes.rows = next(sizes.rows, 8, 1 << 14);
    } else if (step.blocks) {
        sizes.blocks = next(sizes.blocks, 256, int64_t{1} << 26);
    } else {
        sizes.vertices = next(sizes.vertices, 3 * 1024, int64_t{1} << 28);
    }
}

// Draws `amount` records (or rows) of a step from `from`.
void DrawStepPart(GraphicsState& graphics, const FrameJob& job, const DrawStep& step, const EffectPass& pass,
                  const CastFrame& cast, int64_t from, int64_t amount) {
    if (step.kind == DrawStep::Kind::Cast) {
        const bool band = from > 0 || amount < job.height;
        if (band) {
            glEnable(GL_SCISSOR_TEST);
            glScissor(0, static_cast<GLint>(from), job.width, static_cast<GLsizei>(amount));
        }
        DrawBlockCast(graphics, step.object, graphics.opaqueRasterDesc, cast);
        if (band) glDisable(GL_SCISSOR_TEST);
        if (from == 0) ++graphics.cast.objectsDrawn;
        return;
    }
    RasterDesc& transparentDesc = graphics.transparentRasterDesc;
    if (step.sweep != 0) transparentDesc.frontCounterClockwise = step.sweep == 1;
    const SweepState sweep{step.sweep == 0 ? &graphics.opaqueRasterDesc : &transparentDesc, step.sweep != 0,
                           job.viewState.transparencyLevel};
    ApplyBlend(graphics.applied, sweep, step.topology == GL_LINES && sweep.raster->antialiasedLineEnable);
    ApplyRaster(graphics.applied, *sweep.raster);
    graphics.applied.valid = true;
    const std::span<const VertexBufferPiece> pieces =
        step.reduced ? std::span<const VertexBufferPiece>(&graphics.reducedCopies[step.object], 1)
                     : (step.blocks ? std::span<const VertexBufferPiece>(graphics.blockPieces)
                                                  : std::span<const VertexBufferPiece>(graphics.vertexPieces));
    if (step.blocks) {
        glUseProgram(pass.blocks.program);
        DrawFromPieces(pieces, from, amount, DrawBlocks);
    } else {
        glUseProgram(pass.vertices.program);
        DrawFromPieces(pieces, from, amount, [&](int64_t offset, int64_t n) {
            glDrawArrays(step.topology, static_cast<GLint>(offset), static_cast<GLsizei>(n));
        });
    }
}

}  // namespace

void AdvanceFrame(ViewState& view, SceneModel& scene) {
    view.lightAzimuth = static_cast<float>(view.lightAzimuth + view.lightSpinSpeed * kTurnPerFrame);
    view.cameraYaw = static_cast<float>(view.cameraYaw + view.autoTurnSpeed * kTurnPerFrame);
    scene.objectCount = CountObjects(scene);
}

FrameJob BeginFrame(GraphicsState& graphics, const ViewState& view, const SceneModel& scene,
                    const FrameOptions& options) {
    FrameJob job;
    job.framebuffer = options.framebuffer;
    job.width = options.width;
    job.height = options.height;
    job.viewState = view;
    job.reduced = options.reduced;

    // The light direction from its elevation and azimuth.
    const float e = view.lightElevation * kDegreesToRadians;
    const float a = view.lightAzimuth * kDegreesToRadians;
    const float r = 2.0f * view.sceneSize;
    float x = std::sin(a) * std::cos(e) * r, y = std::sin(e) * r, z = std::cos(a) * std::cos(e) * r;
    NormalizeInPlace(x, y, z);

    job.world = BuildWorldMatrix(view);
    job.view = BuildViewMatrix(view, view.cameraPitch * kDegreesToRadians, view.cameraYaw * kDegreesToRadians);
    job.projection = graphics.projectionMatrix;
    // The near plane follows the camera's distance, which a zoom changes between fits.
    if (view.cameraFitted && job.width > 0 && job.height > 0) {
        job.projection =
            BuildProjectionMatrix(job.width, job.height, view.farPlane, NearPlane(view.cameraDistance, view.farPlane));
    }
    job.values = {job.projection, {x, y, z, 1.0f, -x, -y, z, 1.0f}, {}, view.ambientIntensity, {}};
    SectionPlanes(view.section, job.values.sectionPlanes);
    if (!graphics.clipControl) {
        // Without native 0..1 depth, map it to -1..1 so that the same planes clip.
        glm::mat4 toMinusOneOne(1.0f);
        toMinusOneOne[2][2] = 2.0f;
        toMinusOneOne[3][2] = -1.0f;
        job.values.projection = toMinusOneOne * job.values.projection;
    }

    ResumeFrame(graphics, job);
    graphics.cast.objectsDrawn = 0;
    glClearColor(view.backgroundColor[0], view.backgroundColor[1], view.backgroundColor[2], 0.0f);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    const int32_t objects = scene.objectCount;
    if (!graphics.anyTransparent) {
        for (size_t i = 0; i < scene.objectTransparent.size() && i < static_cast<size_t>(objects); ++i) {
            if (scene.objectTransparent[i]) {
                graphics.anyTransparent = true;
                break;
            }
        }
    }
    if (graphics.effect.passes.empty()) return job;
    if (!graphics.vertexPieces.empty() || !graphics.blockPieces.empty() || !graphics.cast.objects.empty()) {
        PlanSweeps(graphics, scene, job);
    }
    if (view.measure.count > 0) job.steps.push_back({DrawStep::Kind::Marks});
    if (view.overlay) job.steps.push_back({DrawStep::Kind::Overlay});
    if (view.legend.shown) job.steps.push_back({DrawStep::Kind::Legend});
    for (const DrawStep& step : job.steps) job.workTotal += StepWork(step, job.width);
    return job;
}

bool DrawFramePieces(GraphicsState& graphics, FrameJob& job, double seconds) {
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    const bool budgeted = seconds > 0;
    ResumeFrame(graphics, job);
    CastFrame cast{};
    std::copy(job.values.lightDir, job.values.lightDir + 8, cast.lightDir);
    std::copy(job.values.lightColor, job.values.lightColor + 8, cast.lightColor);
    cast.ambient = job.values.ambient;
    std::copy(job.values.sectionPlanes, job.values.sectionPlanes + 8, cast.sectionPlanes);
    cast.width = job.width;
    cast.height = job.height;
    int64_t appliedPass = -1;
    while (!job.Done()) {
        const DrawStep& step = job.steps[job.next];
        int64_t amount = step.count - job.doneInStep;  // what this piece draws
        if (budgeted) amount = std::min(amount, PieceAmount(graphics, step));
        const auto pieceStart = Clock::now();
        if (step.kind == DrawStep::Kind::Marks) {
            DrawMeasureMarks(graphics, job.viewState.measure, job.values);
            appliedPass = -1;
        } else if (step.kind == DrawStep::Kind::Overlay || step.kind == DrawStep::Kind::Legend) {
            // Laid out in the full picture's pixels: a smaller frame shows it stretched
            // to the same place and size.
            const bool full = graphics.viewportWidth > 0 && graphics.viewportHeight > 0;
            const int32_t width = full ? graphics.viewportWidth : job.width;
            const int32_t height = full ? graphics.viewportHeight : job.height;
            if (step.kind == DrawStep::Kind::Overlay) {
                DrawOverlay(graphics, job.view, job.viewState, width, height);
            } else {
                DrawLegend(graphics, job.viewState.legend, width, height);
            }
            appliedPass = -1;
        } else {
            const EffectPass& pass = graphics.effect.passes[step.pass];
            if (static_cast<int64_t>(step.pass) != appliedPass) {
                ApplyPass(graphics, pass, job.values);
                appliedPass = step.pass;
            }
            DrawStepPart(graphics, job, step, pass, cast, step.first + job.doneInStep, amount);
        }
        job.doneInStep += amount;
        job.workDone += StepWork(step, job.width) * amount / std::max<int64_t>(step.count, 1);
        if (job.doneInStep >= step.count) {
            ++job.next;
            job.doneInStep = 0;
        }
        if (!budgeted) continue;
        glFinish();
        const double took = std::chrono::duration<double>(Clock::now() - pieceStart).count();
        AdaptPieces(graphics, step, amount, took);
        if (std::chrono::duration<double>(Clock::now() - start).count() >= seconds) break;
    }
    if (job.Done()) job.workDone = job.workTotal;
    return job.Done();
}

void DrawFrame(GraphicsState& graphics, const ViewState& view, const SceneModel& scene) {
    GLint bound = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &bound);
    FrameJob job = BeginFrame(graphics, view, scene,
                              {static_cast<GLuint>(bound), graphics.viewportWidth, graphics.viewportHeight, false});
    DrawFramePieces(graphics, job, 0);
}

void RenderFrame(GraphicsState& graphics, ViewState& view, SceneModel& scene) {
    AdvanceFrame(view, scene);
    DrawFrame(graphics, view, scene);
}

}  // namespace talan
