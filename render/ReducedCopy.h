// Stand-ins for objects too big to draw within a frame's time while the view moves:
// a triangulated surface clustered to a triangle budget, a share of the elements of
// a line set, point set or block model. The full objects are drawn once the view is
// still.
#pragma once

#include <cstdint>
#include <vector>

#include "scene/SceneModel.h"

namespace talan {

// Elements of each kind a moving frame draws at most, all objects together: about
// what a software rasterizer on two cores draws in a tenth of a second.
struct ReducedBudget {
    int64_t triangles = 400'000;
    int64_t segments = 600'000;
    int64_t points = 600'000;
    int64_t blocks = 40'000;
};

// The triangles (3 vertices each, `triangles` of them) clustered on a grid of equal
// cubes over their bounds, the cube's side chosen so that about `budget` triangles
// remain: a triangle whose corners do not fall in three different cells is dropped,
// of triangles on the same three cells the first is kept, and every corner moves to
// its cell's one point, the mean of the kept triangles' corners in that cell. The
// corners keep their normals and colours; the triangles keep their order and the way
// they face. Neighbours share their corners exactly, so the surface stays closed
// where it was. Returns at most 2 x `budget` triangles; empty when there is no
// triangle or no budget.
std::vector<SceneVertex> ClusterTriangles(const SceneVertex* vertices, int64_t triangles, int64_t budget);

// The indices of the elements a share of `elements` keeps: evenly spread, the first
// included, at most `budget` of them (all when they are no more).
std::vector<int64_t> ElementsKept(int64_t elements, int64_t budget);

// Each object's share of a budget of elements of one kind: all its elements where
// all together fit the budget, and for an object of at most a sixteenth of the budget;
// the rest of the budget (at least a quarter of it) is shared among the bigger ones
// in proportion to their elements. 0 for an object not of the kind, which `kinds`
// marks.
std::vector<int64_t> ShareBudget(const std::vector<int64_t>& elements, const std::vector<bool>& kinds, int64_t budget);

}  // namespace talan
