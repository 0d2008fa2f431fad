// Which element of the scene lies at a point, and the measures between two points:
// what a click on the picture and a measurement report.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "scene/SceneModel.h"

namespace talan {

using FilePoint = std::array<double, 3>;  // x, y, elevation

// An element of an object: a triangle, segment, block, point or drill-hole interval.
struct ElementHit {
    int32_t object = -1;       // object number; -1 when no object is shown
    int64_t element = -1;      // element number within the object
    double distance = 0.0;     // from the drawn point to `point`
    FilePoint point{};         // where the pick lies on the element
};

// What a pixel shows: the point the frame drew there (from its depth), the ray
// through the pixel's centre, and the section slab the frame was cut to.
struct PickQuery {
    FilePoint drawn{};
    FilePoint origin{}, direction{};  // the ray, in file axes
    double depthTolerance = 0;        // how far along the ray the drawn point may lie from what was
                                      // drawn: a few steps of the depth buffer there
    double pixelSize = 0;             // the width of a pixel at the drawn point
    int axis = -1;                    // 0 to 2 for a slab across that file axis
    double keepLow = 0, keepHigh = 0; // what the slab keeps along it
};

// The element of a shown object drawn at the pixel. A pixel is drawn by a triangle or
// a box face whose surface its centre's ray meets, or by a segment or point as wide as
// drawn around the ray; of those within the depth tolerance of the drawn point, the
// nearest the eye is what the depth test kept. `point` is where the ray meets it (for a
// segment the point nearest the ray, for a point the point itself). Where nothing
// is met so (the edges of a wireframe triangle), the element nearest the drawn point
// within the tolerance is taken, placed at the drawn point. Ties go to the earlier
// object and element; object is -1 when nothing lies within reach.
// Objects whose `skip` entry is true are left out (the caller has picked them
// otherwise).
ElementHit FindPickedElement(const SceneModel& scene, const PickQuery& query, const std::vector<bool>* skip = nullptr);

// Slope distance, horizontal distance, difference in elevation, azimuth (degrees
// from north, clockwise, 0 to 360) and dip (degrees below the horizontal, negative
// upwards) from `from` to `to`.
struct Measurement {
    double slopeDistance = 0, horizontalDistance = 0, dz = 0, azimuth = 0, dip = 0;
};
Measurement Measure(const FilePoint& from, const FilePoint& to);

}  // namespace talan
