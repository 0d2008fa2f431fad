#include "render/Picking.h"

#include <cmath>

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

PickQuery PixelQuery(const GraphicsState& graphics, const ViewState& view, int32_t x, int32_t y, float depth) {
    const int32_t width = graphics.viewportWidth, height = graphics.viewportHeight;
    // The frame's own matrices, in double precision. The projection gives depth 0 to
    // 1, which is the depth buffer's value with native 0..1 depth and also under the
    // remap to -1..1 that the frame applies without it.
    const glm::dmat4 inverse = glm::inverse(glm::dmat4(graphics.projectionMatrix) * glm::dmat4(graphics.viewMatrix) *
                                            glm::dmat4(graphics.worldMatrix));
    const double nx = 2.0 * (x + 0.5) / width - 1.0, ny = 1.0 - 2.0 * (y + 0.5) / height;
    const FilePoint drawn = Unproject(inverse, nx, ny, depth);
    // The pixel's ray, from the near plane through the drawn point.
    PickQuery query;
    query.drawn = drawn;
    query.origin = Unproject(inverse, nx, ny, 0.0);
    query.direction = {drawn[0] - query.origin[0], drawn[1] - query.origin[1], drawn[2] - query.origin[2]};
    // How far off the drawn point may be: a few steps of the depth buffer there; and
    // how wide a pixel is there, for lines and points.
    const auto apart = [](const FilePoint& a, const FilePoint& b) {
        return std::hypot(a[0] - b[0], a[1] - b[1], a[2] - b[2]);
    };
    constexpr int kDepthSteps = 4;
    float nearer = depth, farther = depth;
    for (int i = 0; i < kDepthSteps; ++i) {
        nearer = std::nextafter(nearer, 0.0f);
        farther = std::nextafter(farther, 1.0f);
    }
    query.depthTolerance = apart(Unproject(inverse, nx, ny, nearer), Unproject(inverse, nx, ny, farther));
    query.pixelSize = apart(drawn, Unproject(inverse, nx + 2.0 / width, ny, depth));
    const SectionSlab& slab = view.section;
    if (slab.Active()) {
        query.axis = slab.axis;
        query.keepLow = slab.centre - slab.thickness / 2;
        query.keepHigh = slab.centre + slab.thickness / 2;
    }
    return query;
}

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
    const PickQuery query = PixelQuery(graphics, view, x, y, depth);
    result.element = FindPickedElement(scene, query);
    result.hit = result.element.object >= 0;
    result.point = result.hit ? result.element.point : query.drawn;
    return result;
}

}  // namespace talan
