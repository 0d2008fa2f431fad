// Drill holes from delimited text tables: a collar table (where each hole starts), a
// survey table (its direction down the hole) and interval tables (values from one
// depth to another, such as assays and rock types). The holes are desurveyed by
// minimum curvature and become one SONKDX object each.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "scene/ReadTypes.h"
#include "scene/SceneModel.h"

namespace talan {

enum class DrillTableKind { Collar, Survey, Intervals };

// The rows of one table as read, less the rows skipped.
struct DrillTable {
    DrillTableKind kind = DrillTableKind::Collar;
    std::string file;
    std::vector<std::string> holeNames;  // distinct hole ids (UTF-8) in order of first appearance
    std::vector<int32_t> rowHole;        // per row: its hole, an index into holeNames
    std::vector<int64_t> rowLine;        // per row: the line it starts on, counted from 1
    // Per row: collar (east, north, elevation, total depth or NaN), survey (depth, azimuth,
    // dip, 0) or intervals (from, to, 0, 0).
    std::vector<std::array<double, 4>> rowNumbers;
    // Intervals: one column per other field of the header, one value per row. A column
    // is text when a present value of it is not a number.
    std::vector<ValueColumn> values;
};

// Recognises the table by its header and reads its rows; bad rows are appended to
// `skipped` with the file and line. The header names a table by these columns (case,
// spaces, underscores, hyphens and dots ignored):
//   intervals: hole id, FROM and TO, every other column a value;
//   survey:    hole id, depth, AZIMUTH (or AZI, AZ, BEARING) and DIP;
//   collar:    hole id, east (X, EAST, EASTING), north (Y, NORTH, NORTHING) and elevation
//              (Z, RL, ELEV, ELEVATION), optionally a total depth (DEPTH, TD, MAX_DEPTH,
//              TOTAL_DEPTH, LENGTH, EOH);
// tested in that order. The hole id is HOLEID, HOLE_ID, HOLE ID, BHID, DHID or HOLE.
// Returns ReadProblem::None, or NotATable (table untouched).
ReadProblem ReadDrillTable(std::string_view text, const std::string& file, DrillTable& table,
                           std::vector<SkippedRow>& skipped);

// Builds one object per collar of the collar tables among `tables`, in table and row
// order, placing the survey and interval rows of the other tables; rows naming a hole
// no collar gives are skipped (HoleWithoutCollar), as are second collars of a hole and
// intervals that begin above the end of the hole's previous one (sorted by FROM).
// Interval columns of the same name in several tables make one value column.
void AddDrillHoles(SceneModel& scene, const std::vector<DrillTable>& tables, SceneLoadObserver& observer,
                   std::vector<SkippedRow>& skipped);

// One survey row: metres along the hole, azimuth in degrees clockwise from north, dip
// in degrees, negative downward.
struct SurveyStation {
    double depth, azimuth, dip;
};

// The unit direction (east, north, up) of an azimuth and dip in degrees.
std::array<double, 3> SurveyDirection(double azimuth, double dip);

// Offsets (east, north, elevation) from the collar of the points at the given measured
// depths, by minimum curvature: between two stations the hole follows the circular arc
// that leaves the first in its direction and reaches the second in its direction. Above
// the first station the hole runs straight in its direction, below the last straight on
// in the last direction; without stations it runs straight down. `stations` are sorted
// by depth without repeats.
std::vector<std::array<double, 3>> HoleOffsets(const std::vector<SurveyStation>& stations,
                                               const std::vector<double>& depths);

}  // namespace talan
