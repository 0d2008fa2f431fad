#include "render/Picking.h"

#include <glm/mat4x4.hpp>
#include <glm/matrix.hpp>
#include <glm/vec4.hpp>

namespace talan {

namespace {

// A point of normalised device space, depth 0 to 1, back in file axes.
FilePoint Unproject(const glm::dmat4& inverse, double x, double y, double depth) {
    const glm::dvec4 stored = inverse * glm::dvec4(x, y, depth, 1.0);
    return {stored.x / stored.w, stored.z / stored.w, stored.y / stored.w};
}

}  // namespace

PickResult PickPixel(const GraphicsState& graphics, const ViewState& view, const SceneModel& scene, int32_t x,
                     int32_t y, GLuint framebuffer) {
    PickResult result;
    const int32_t width = graphics.viewportWidth, height = graphics.viewportHeight;
    if (x < 0 || y < 0 || x >= width || y >= height) return result;
    float depth = 1.0f;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, height - 1 - y, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    if (!(depth < 1.0f)) return result;  // the background

    // The frame's own matrices, in double precision. The projection gives depth 0 to
    // 1, which is the depth buffer's value with native 0..1 depth and also under the
    // remap to -1..1 that the frame applies without it.
    const glm::dmat4 inverse = glm::inverse(glm::dmat4(graphics.projectionMatrix) * glm::dmat4(graphics.viewMatrix) *
                                            glm::dmat4(graphics.worldMatrix));
    const double nx = 2.0 * (x + 0.5) / width - 1.0, ny = 1.0 - 2.0 * (y + 0.5) / height;
    const FilePoint drawn = Unproject(inverse, nx, ny, depth);
    const SectionSlab& slab = view.section;
    result.element = FindNearestElement(scene, drawn, slab.Active() ? slab.axis : -1,
                                        slab.centre - slab.thickness / 2, slab.centre + slab.thickness / 2);
    if (result.element.object < 0) return result;
    result.hit = true;
    // The pixel's ray, from the near plane through the drawn point.
    const FilePoint near = Unproject(inverse, nx, ny, 0.0);
    const FilePoint direction{drawn[0] - near[0], drawn[1] - near[1], drawn[2] - near[2]};
    if (!PointOnElement(scene, result.element, near, direction, result.point)) result.point = drawn;
    return result;
}

}  // namespace talan
