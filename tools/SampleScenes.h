// Generated scenes of an open-pit mine, for samples, tests and benchmarks.
//
// Everything lies on a local grid (x 1000 to 3000, y 2000 to 4000, elevations about
// 200 to 600) so that 32-bit floats keep centimetres. All content comes from one
// fixed seed: the same arguments always give the same bytes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "tools/SceneWriter.h"

namespace talan::samples {

struct OpenPitOptions {
    int grid = 80;          // topography cells per side
    int64_t blocks = 6000;  // about this many blocks in the block model
    int holes = 24;         // drill holes, split into two campaigns
};

// Everything of the mine: topography (per-triangle colours by elevation, with the
// pit cut out), pit shell, ore lens, block model, drill holes, haul road and pit
// crest, contour lines, survey points. `topography`, when given, receives the
// topography triangles as a shared-vertex mesh.
void BuildOpenPitScene(SceneText& out, const OpenPitOptions& options, IndexedMesh* topography);

// One topography surface of exactly 2·grid² triangles (per-triangle colours), the
// pit dug into it. `topography`, when given, receives the same triangles.
void BuildSurfaceScene(SceneText& out, int grid, IndexedMesh* topography);
int64_t SurfaceSceneTriangles(int grid);

// `holes` drill holes, each its own section of `intervalsPerHole` intervals, named
// DDH-0001 and on.
void BuildDrillHoleScene(SceneText& out, int holes, int intervalsPerHole);

// One block model of exactly `blocks` blocks, coloured by grade.
void BuildBlockScene(SceneText& out, int64_t blocks);

// One small section of each of the six kinds: T3, LIN, SUP, BLKKDX (exactly
// `blocks` blocks), PTS, SONKDX (`holes` holes). `topography`, when given, receives
// the T3 triangles.
void BuildAllKindsScene(SceneText& out, int grid, int64_t blocks, int holes, IndexedMesh* topography);

// A GOCAD TSurf of exactly 2·grid² triangles over the ground of the surface scene
// (the pit dug in), its vertices carrying their elevation as the property ELEV.
std::string GocadSurfaceText(int grid, std::string_view name = "Pit surface");

// A GOCAD PLine of the open-pit scene's pit crest (closed) and haul road, one ILINE
// part each, its vertices carrying the distance along their part as CHAINAGE.
std::string GocadPitLinesText();

// The three delimited text tables of a drilling campaign: collars.csv (HOLEID, X, Y,
// Z, DEPTH), surveys.csv (HOLEID, DEPTH, AZIMUTH, DIP: 3 to 5 stations per hole that
// bend it gently) and assays.csv (HOLEID, FROM, TO, AU in g/t with some left empty,
// CU in %, LITH as text). `holes` holes named DH-00001 and on, 150 to 300 m long,
// collared over the site at elevations about 400 to 600, sharing `intervals`
// intervals as evenly as they can.
struct DrillTableTexts {
    std::string collars, surveys, assays;
};
DrillTableTexts BuildDrillTables(int holes, int64_t intervals);

// The whole text of a surface or block scene, with its bounds block.
std::string SurfaceSceneText(int grid);
std::string BlockSceneText(int64_t blocks);

}  // namespace talan::samples
