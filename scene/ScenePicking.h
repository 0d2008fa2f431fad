// Which element of the scene lies at a point, and the measures between two points:
// what a click on the picture and a measurement report.
#pragma once

#include <array>
#include <cstdint>

#include "scene/SceneModel.h"

namespace talan {

using FilePoint = std::array<double, 3>;  // x, y, elevation

// An element of an object: a triangle, segment, block, point or drill-hole interval.
struct ElementHit {
    int32_t object = -1;       // object number
    int64_t element = -1;      // element number within the object
    double distance = 0.0;     // from the point asked about to the element
};

// The element of a shown object nearest to `point` (file axes), among those with a
// part within `keepLow`..`keepHigh` along `axis` when `axis` is 0 to 2 (a section
// slab). Triangles and block boxes count by their surface, segments and points by
// themselves. Ties go to the earlier object and element. object is -1 when no object
// is shown.
ElementHit FindNearestElement(const SceneModel& scene, const FilePoint& point, int axis = -1, double keepLow = 0,
                              double keepHigh = 0);

// Where a ray from `origin` along `direction` (file axes) meets the element, or
// comes closest to it for segments and points; false when a triangle or a box is
// not met. Used to place a picked point exactly on what was picked.
bool PointOnElement(const SceneModel& scene, const ElementHit& hit, const FilePoint& origin,
                    const FilePoint& direction, FilePoint& point);

// Slope distance, horizontal distance, difference in elevation, azimuth (degrees
// from north, clockwise, 0 to 360) and dip (degrees below the horizontal, negative
// upwards) from `from` to `to`.
struct Measurement {
    double slopeDistance = 0, horizontalDistance = 0, dz = 0, azimuth = 0, dip = 0;
};
Measurement Measure(const FilePoint& from, const FilePoint& to);

}  // namespace talan
