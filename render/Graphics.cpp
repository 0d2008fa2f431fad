#include "render/Graphics.h"

#include <cstddef>

#include "render/CameraMath.h"
#include "render/EffectFile.h"

namespace talan {

int32_t InitGraphics(GraphicsState& graphics, const std::string& effectPath, int32_t width, int32_t height,
                     std::string& error) {
    graphics.opaqueRasterDesc = RasterDesc{FillMode::Solid, CullMode::None, true, true, false};
    graphics.transparentRasterDesc = RasterDesc{FillMode::Solid, CullMode::Back, true, false, false};
    graphics.applied = AppliedState{};
    graphics.anyTransparent = false;

    // Depth from 0 at the near plane to 1 at the far plane, as the projection makes it.
    graphics.clipControl = epoxy_gl_version() >= 45 || epoxy_has_gl_extension("GL_ARB_clip_control");
    if (graphics.clipControl) glClipControl(GL_LOWER_LEFT, GL_ZERO_TO_ONE);

    const int32_t status = LoadEffectFile(effectPath, graphics.effect, error);
    if (status != kStatusOk) return status;

    glGenVertexArrays(1, &graphics.vertexArray);
    glBindVertexArray(graphics.vertexArray);
    if (width > 0 && height > 0) {
        graphics.viewportWidth = width;
        graphics.viewportHeight = height;
        glViewport(0, 0, width, height);
    }
    return glGetError() == GL_NO_ERROR ? kStatusOk : kStatusFail;
}

int32_t ResizeGraphics(GraphicsState& graphics, const ViewState& view, int32_t width, int32_t height) {
    if (width <= 0 || height <= 0) return kStatusInvalidArg;
    graphics.viewportWidth = width;
    graphics.viewportHeight = height;
    glViewport(0, 0, width, height);
    graphics.projectionMatrix = BuildProjectionMatrix(width, height, view.farPlane);
    return kStatusOk;
}

int32_t UploadSceneVertices(GraphicsState& graphics, const SceneModel& scene) {
    if (scene.totalVertexCount <= 0) return kStatusInvalidArg;
    const auto bytes = static_cast<GLsizeiptr>(scene.totalVertexCount) * static_cast<GLsizeiptr>(sizeof(SceneVertex));
    while (glGetError() != GL_NO_ERROR) {
    }
    GLuint buffer = 0;
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glBufferData(GL_ARRAY_BUFFER, bytes, scene.sceneVertices.data(), GL_STATIC_DRAW);
    if (glGetError() != GL_NO_ERROR) {
        glDeleteBuffers(1, &buffer);
        glBindBuffer(GL_ARRAY_BUFFER, graphics.sceneVertexBuffer);
        return kStatusOutOfMemory;
    }
    if (graphics.sceneVertexBuffer != 0) glDeleteBuffers(1, &graphics.sceneVertexBuffer);
    graphics.sceneVertexBuffer = buffer;
    graphics.uploadedVertexCount = scene.totalVertexCount;

    // The input layout: POSITION, NORMAL and COLOR of the 40-byte scene vertex.
    glBindVertexArray(graphics.vertexArray);
    constexpr GLsizei kStride = sizeof(SceneVertex);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, kStride, reinterpret_cast<const void*>(offsetof(SceneVertex, position)));
    glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, kStride, reinterpret_cast<const void*>(offsetof(SceneVertex, normal)));
    glVertexAttribPointer(2, 4, GL_FLOAT, GL_FALSE, kStride, reinterpret_cast<const void*>(offsetof(SceneVertex, colour)));
    for (GLuint i = 0; i < 3; ++i) glEnableVertexAttribArray(i);
    return kStatusOk;
}

void ReleaseGraphics(GraphicsState& graphics) {
    if (graphics.sceneVertexBuffer != 0) glDeleteBuffers(1, &graphics.sceneVertexBuffer);
    if (graphics.vertexArray != 0) glDeleteVertexArrays(1, &graphics.vertexArray);
    ReleaseEffect(graphics.effect);
    graphics = GraphicsState{};
}

void FitCameraMatrices(GraphicsState& graphics, const ViewState& view, int32_t width, int32_t height) {
    graphics.worldMatrix = glm::mat4(1.0f);
    graphics.viewMatrix = BuildViewMatrix(view, 0.7853982f, view.cameraYaw * kDegreesToRadians);
    if (width > 0 && height > 0) graphics.projectionMatrix = BuildProjectionMatrix(width, height, view.farPlane);
}

}  // namespace talan
