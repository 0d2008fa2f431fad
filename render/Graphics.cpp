#include "render/Graphics.h"
#include "render/Overlay.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <vector>

#include "render/BlockCast.h"
#include "render/CameraMath.h"
#include "render/EffectFile.h"

namespace talan {

Failure InitGraphics(GraphicsState& graphics, const std::string& effectPath, int32_t width, int32_t height) {
    graphics.opaqueRasterDesc = RasterDesc{FillMode::Solid, CullMode::None, true, true, false};
    graphics.transparentRasterDesc = RasterDesc{FillMode::Solid, CullMode::Back, true, false, false};
    graphics.applied = AppliedState{};
    graphics.anyTransparent = false;

    // Depth from 0 at the near plane to 1 at the far plane, as the projection makes it.
    graphics.clipControl = epoxy_gl_version() >= 45 || epoxy_has_gl_extension("GL_ARB_clip_control");
    if (graphics.clipControl) glClipControl(GL_LOWER_LEFT, GL_ZERO_TO_ONE);

    if (Failure failure = LoadEffectFile(effectPath, graphics.effect); failure.Failed()) return failure;
    BuildBlockCastProgram(graphics.cast, graphics.effect.common);

    if (width > 0 && height > 0) {
        graphics.viewportWidth = width;
        graphics.viewportHeight = height;
        glViewport(0, 0, width, height);
    }
    if (const GLenum error = glGetError(); error != GL_NO_ERROR) {
        char text[64];
        std::snprintf(text, sizeof text, "The OpenGL set-up failed with error 0x%04X.", error);
        return {FailureKind::Graphics, kStatusFail, text};
    }
    graphics.ready = true;
    return {};
}

int32_t ResizeGraphics(GraphicsState& graphics, const ViewState& view, int32_t width, int32_t height) {
    if (width <= 0 || height <= 0) return kStatusInvalidArg;
    graphics.viewportWidth = width;
    graphics.viewportHeight = height;
    glViewport(0, 0, width, height);
    graphics.projectionMatrix =
        BuildProjectionMatrix(width, height, view.farPlane, NearPlane(view.cameraDistance, view.farPlane));
    return kStatusOk;
}

namespace {

// Where the buffers of sceneVertices end: at most `maxVertices` each, and never
// inside an element, so that every piece of an object draws whole elements.
std::vector<int64_t> VertexPieceEnds(const SceneModel& scene, int64_t maxVertices) {
    std::vector<int64_t> ends;
    int64_t pieceStart = 0;
    for (size_t k = 0; k < scene.firstStored.size(); ++k) {
        if (IsBlockModel(scene, k)) continue;
        const int64_t perElement = scene.verticesPerElement[k];
        const int64_t first = scene.firstStored[k];
        const int64_t end = first + perElement * scene.elementCounts[k];
        while (end - pieceStart > maxVertices) {
            // Cut at the last element boundary of this object that fits, or after the
            // first element when not even one fits.
            int64_t cut = first + (pieceStart + maxVertices - first) / perElement * perElement;
            if (cut <= pieceStart) cut = first + ((pieceStart - first) / perElement + 1) * perElement;
            ends.push_back(cut);
            pieceStart = cut;
        }
    }
    if (scene.storedVertexCount > pieceStart) ends.push_back(scene.storedVertexCount);
    return ends;
}

std::vector<int64_t> BlockPieceEnds(int64_t blocks, int64_t maxBlocks) {
    std::vector<int64_t> ends;
    for (int64_t end = 0; end < blocks;) {
        end = std::min(blocks, end + maxBlocks);
        ends.push_back(end);
    }
    return ends;
}

// The input layout of the 28-byte block record: BLOCK_LOW, BLOCK_HIGH and
// BLOCK_COLOR, one record per instance (drawing points them at the object's first
// block).
void SetBlockLayout() {
    for (GLuint i = 0; i < 3; ++i) {
        glEnableVertexAttribArray(i);
        glVertexAttribDivisor(i, 1);
    }
}

void ReleasePieces(std::vector<VertexBufferPiece>& pieces) {
    for (VertexBufferPiece& piece : pieces) {
        glDeleteVertexArrays(1, &piece.vertexArray);
        glDeleteBuffers(1, &piece.buffer);
    }
    pieces.clear();
}

// Makes one buffer per piece from `records`; false, with nothing left behind, when
// the driver refuses one.
bool MakePieces(const void* records, size_t recordBytes, const std::vector<int64_t>& ends, bool blocks,
                std::vector<VertexBufferPiece>& pieces) {
    int64_t first = 0;
    for (int64_t end : ends) {
        VertexBufferPiece piece{0, 0, first, end - first};
        glGenVertexArrays(1, &piece.vertexArray);
        glBindVertexArray(piece.vertexArray);
        glGenBuffers(1, &piece.buffer);
        glBindBuffer(GL_ARRAY_BUFFER, piece.buffer);
        pieces.push_back(piece);
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(piece.count * static_cast<int64_t>(recordBytes)),
                     static_cast<const char*>(records) + first * static_cast<int64_t>(recordBytes), GL_STATIC_DRAW);
        if (glGetError() != GL_NO_ERROR) {
            glBindVertexArray(0);
            ReleasePieces(pieces);
            return false;
        }
        blocks ? SetBlockLayout() : SetSceneVertexLayout();
        first = end;
    }
    glBindVertexArray(0);
    return true;
}

// The pieces of the first `blocks` block records (all of them for -1).
bool MakeBlockPieces(const GraphicsState& graphics, const SceneModel& scene, std::vector<VertexBufferPiece>& pieces,
                     int64_t blocks = -1) {
    const int64_t maxBytes = std::max<int64_t>(graphics.maxBufferBytes, 1);
    return MakePieces(scene.blockRecords.data(), sizeof(BlockRecord),
                      BlockPieceEnds(blocks < 0 ? scene.storedBlockCount : blocks,
                                     std::max<int64_t>(maxBytes / int64_t{sizeof(BlockRecord)}, 1)),
                      true, pieces);
}

}  // namespace

void SetSceneVertexLayout() {
    constexpr GLsizei kStride = sizeof(SceneVertex);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, kStride, reinterpret_cast<const void*>(offsetof(SceneVertex, position)));
    glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, kStride, reinterpret_cast<const void*>(offsetof(SceneVertex, normal)));
    glVertexAttribPointer(2, 4, GL_FLOAT, GL_FALSE, kStride, reinterpret_cast<const void*>(offsetof(SceneVertex, colour)));
    for (GLuint i = 0; i < 3; ++i) glEnableVertexAttribArray(i);
}

int32_t UploadSceneVertices(GraphicsState& graphics, const SceneModel& scene) {
    // A scene without a vertex would make a buffer of 0 bytes, which is refused.
    if (scene.totalVertexCount <= 0) return kStatusInvalidArg;
    while (glGetError() != GL_NO_ERROR) {
    }
    std::vector<VertexBufferPiece> vertexPieces, blockPieces;
    std::vector<BlockCastObject> casts = MakeBlockCasts(graphics, scene);
    // Block records are uploaded once some block model is drawn as boxes; until then a
    // model on a lattice costs only its textures.
    bool boxes = false;
    for (size_t k = 0; k < scene.firstStored.size() && !boxes; ++k) {
        boxes = IsBlockModel(scene, k) && scene.elementCounts[k] > 0 &&
                (k >= casts.size() || !CastChosen(graphics.blockDrawing, casts[k]));
    }
    const int64_t maxBytes = std::max<int64_t>(graphics.maxBufferBytes, 1);
    const bool made =
        MakePieces(scene.sceneVertices.data(), sizeof(SceneVertex),
                   VertexPieceEnds(scene, std::max<int64_t>(maxBytes / int64_t{sizeof(SceneVertex)}, 1)), false,
                   vertexPieces) &&
        (!boxes || MakeBlockPieces(graphics, scene, blockPieces));
    if (!made) {
        // The driver refused the memory: the previous buffers stay, and with them
        // the previous picture.
        ReleasePieces(vertexPieces);
        ReleaseBlockCastObjects(casts);
        return kStatusOutOfMemory;
    }
    ReleasePieces(graphics.vertexPieces);
    ReleasePieces(graphics.blockPieces);
    ReleasePieces(graphics.reducedCopies);
    ReleaseBlockCastObjects(graphics.cast.objects);
    graphics.vertexPieces = std::move(vertexPieces);
    graphics.blockPieces = std::move(blockPieces);
    graphics.cast.objects = std::move(casts);
    graphics.uploadedVertices = scene.storedVertexCount;
    graphics.uploadedBlocks = boxes ? scene.storedBlockCount : 0;
    graphics.blocksAwaitingUpload = boxes ? 0 : scene.storedBlockCount;
    return kStatusOk;
}

bool UploadAwaitingBlocks(GraphicsState& graphics, const SceneModel& scene) {
    if (graphics.blocksAwaitingUpload <= 0) return false;
    std::vector<VertexBufferPiece> pieces;
    const int64_t blocks = graphics.blocksAwaitingUpload;
    graphics.blocksAwaitingUpload = 0;  // one try: a refusal leaves those boxes undrawn
    if (blocks > scene.storedBlockCount || !MakeBlockPieces(graphics, scene, pieces, blocks)) return false;
    ReleasePieces(graphics.blockPieces);
    graphics.blockPieces = std::move(pieces);
    graphics.uploadedBlocks = blocks;
    return true;
}

void UploadReducedCopies(GraphicsState& graphics, const SceneModel& scene, const ReducedBudget& budget) {
    ReleasePieces(graphics.reducedCopies);
    const size_t objects = scene.firstStored.size();
    std::vector<int64_t> elements(objects);
    std::vector<bool> triangles(objects), segments(objects), points(objects), blocks(objects);
    for (size_t k = 0; k < objects; ++k) {
        elements[k] = scene.elementCounts[k];
        const int32_t perElement = scene.verticesPerElement[k];
        triangles[k] = perElement == 3;
        segments[k] = perElement == 2;
        points[k] = perElement == 1;
        blocks[k] = perElement == kVerticesPerBlock;
    }
    std::vector<int64_t> shares(objects, 0);
    for (const auto& [kind, most] : {std::pair{&triangles, budget.triangles}, std::pair{&segments, budget.segments},
                                     std::pair{&points, budget.points}, std::pair{&blocks, budget.blocks}}) {
        const std::vector<int64_t> kindShares = ShareBudget(elements, *kind, most);
        for (size_t k = 0; k < objects; ++k) shares[k] += kindShares[k];
    }
    graphics.reducedCopies.assign(objects, VertexBufferPiece{});
    for (size_t k = 0; k < objects; ++k) {
        if (shares[k] <= 0 || shares[k] >= elements[k]) continue;
        const int64_t first = scene.firstStored[k];
        std::vector<VertexBufferPiece> made;
        if (blocks[k]) {
            std::vector<BlockRecord> records;
            for (int64_t e : ElementsKept(elements[k], shares[k])) records.push_back(scene.blockRecords[static_cast<size_t>(first + e)]);
            if (records.empty()) continue;
            MakePieces(records.data(), sizeof(BlockRecord), {static_cast<int64_t>(records.size())}, true, made);
        } else {
            const SceneVertex* vertices = scene.sceneVertices.data() + first;
            std::vector<SceneVertex> copy;
            if (triangles[k]) {
                copy = ClusterTriangles(vertices, elements[k], shares[k]);
            } else {
                const int32_t perElement = scene.verticesPerElement[k];
                for (int64_t e : ElementsKept(elements[k], shares[k])) {
                    copy.insert(copy.end(), vertices + e * perElement, vertices + (e + 1) * perElement);
                }
            }
            if (copy.empty()) continue;
            MakePieces(copy.data(), sizeof(SceneVertex), {static_cast<int64_t>(copy.size())}, false, made);
        }
        if (!made.empty()) graphics.reducedCopies[k] = made.front();
    }
}

void ReleaseGraphics(GraphicsState& graphics) {
    ReleasePieces(graphics.vertexPieces);
    ReleasePieces(graphics.blockPieces);
    ReleasePieces(graphics.reducedCopies);
    if (graphics.marks.buffer != 0) {
        glDeleteVertexArrays(1, &graphics.marks.vertexArray);
        glDeleteBuffers(1, &graphics.marks.buffer);
    }
    ReleaseOverlay(graphics);
    ReleaseEffect(graphics.effect);
    ReleaseBlockCasts(graphics.cast);
    graphics = GraphicsState{};
}

void FitCameraMatrices(GraphicsState& graphics, const ViewState& view, int32_t width, int32_t height) {
    graphics.worldMatrix = BuildWorldMatrix(view);
    graphics.viewMatrix = BuildViewMatrix(view, 0.7853982f, view.cameraYaw * kDegreesToRadians);
    if (width > 0 && height > 0) {
        graphics.projectionMatrix =
            BuildProjectionMatrix(width, height, view.farPlane, NearPlane(view.cameraDistance, view.farPlane));
    }
}

}  // namespace talan
