// Smooth shading for triangulated surfaces.
#pragma once

#include "scene/SceneModel.h"

namespace talan {

// Gives every corner of a shown triangulated object (3 vertices per element, name
// without "Barras") the mean of the normals of all corners of that object at exactly
// the same position. The mean is not rescaled to unit length. Other objects, hidden
// ones and corners whose position holds a NaN keep their normals.
void SmoothTriangulatedNormals(SceneModel& scene);

}  // namespace talan
