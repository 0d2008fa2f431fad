#include "render/Picking.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <vector>

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

// The block of object k that the query's ray shows, walking its lattice: where the
// ray enters the first box within the slab, or leaves it where the slab cuts it
// open. `along` is the hit's parameter on the ray.
ElementHit PickOnLattice(const SceneModel& scene, size_t k, const BlockLattice& lattice, const PickQuery& query,
                         double& along) {
    ElementHit hit;
    std::array<double, 3> origin{}, direction{};
    for (int a = 0; a < 3; ++a) {
        origin[a] = (query.origin[a] - lattice.origin[a]) / lattice.cell[a];
        direction[a] = query.direction[a] / lattice.cell[a];
    }
    // The slab, as an interval of the ray.
    double from = 0, to = std::numeric_limits<double>::infinity();
    if (query.axis >= 0 && query.axis < 3) {
        const auto a = static_cast<size_t>(query.axis);
        if (query.direction[a] == 0) {
            if (query.origin[a] < query.keepLow || query.origin[a] > query.keepHigh) return hit;
        } else {
            double t0 = (query.keepLow - query.origin[a]) / query.direction[a];
            double t1 = (query.keepHigh - query.origin[a]) / query.direction[a];
            if (t0 > t1) std::swap(t0, t1);
            from = std::max(from, t0);
            to = std::min(to, t1);
        }
    }
    const LatticeHit cell = CastLatticeRay(lattice, origin, direction, from, to, 0);
    if (!cell.hit) return hit;
    const int64_t first = scene.firstStored[k];
    for (int64_t e = 0; e < scene.elementCounts[k]; ++e) {
        const auto at = LatticeCellOf(lattice, scene.blockRecords[static_cast<size_t>(first + e)]);
        if (at[0] == cell.cell[0] && at[1] == cell.cell[1] && at[2] == cell.cell[2]) {
            hit.object = static_cast<int32_t>(k);
            hit.element = e;
            break;
        }
    }
    for (int a = 0; a < 3; ++a) hit.point[a] = query.origin[a] + query.direction[a] * cell.t;
    hit.distance = std::hypot(hit.point[0] - query.drawn[0], hit.point[1] - query.drawn[1], hit.point[2] - query.drawn[2]);
    along = cell.t;
    return hit;
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
    // Block models on a lattice: the pixel's ray walks the lattice to the box it
    // shows, and the block in that cell is the one drawn; the other objects are
    // looked through one by one.
    std::vector<bool> walked(scene.objectNames.size(), false);
    ElementHit onLattice;
    double along = 0;
    for (size_t k = 0; k < walked.size() && k < graphics.cast.objects.size(); ++k) {
        if (graphics.cast.objects[k].pool == 0 || !scene.objectVisible[k]) continue;
        walked[k] = true;
        double t = 0;
        const ElementHit hit = PickOnLattice(scene, k, graphics.cast.objects[k].lattice, query, t);
        if (hit.object >= 0 && (onLattice.object < 0 || t < along)) {
            onLattice = hit;
            along = t;
        }
    }
    result.element = FindPickedElement(scene, query, &walked);
    if (onLattice.object >= 0) {
        // Of two things drawn near the drawn point the nearer the eye; else the nearer
        // the drawn point.
        const ElementHit& other = result.element;
        const bool latticeDrawn = onLattice.distance <= query.depthTolerance;
        const bool otherDrawn = other.object >= 0 && other.distance <= query.depthTolerance;
        const double otherAlong =
            ((other.point[0] - query.origin[0]) * query.direction[0] + (other.point[1] - query.origin[1]) * query.direction[1] +
             (other.point[2] - query.origin[2]) * query.direction[2]) /
            (query.direction[0] * query.direction[0] + query.direction[1] * query.direction[1] +
             query.direction[2] * query.direction[2]);
        const bool lattice = other.object < 0 || (latticeDrawn && !otherDrawn) ||
                             (latticeDrawn == otherDrawn &&
                              (latticeDrawn ? along < otherAlong : onLattice.distance < other.distance));
        if (lattice) result.element = onLattice;
    }
    result.hit = result.element.object >= 0;
    result.point = result.hit ? result.element.point : query.drawn;
    return result;
}

}  // namespace talan
