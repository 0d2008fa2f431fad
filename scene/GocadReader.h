// The reader of GOCAD ASCII files: triangulated surfaces (TSurf), line sets (PLine)
// and point sets (VSet), several objects to a file, with the values of their vertices.
//
// Reading rules where files differ:
// - Vertex ids are global within an object: TFACE and ILINE only separate parts. A
//   TRGL, SEG or ATOM may name only a vertex given above it; a later VRTX of the same
//   id replaces the earlier one for the lines that follow.
// - PROPERTIES gives one value column per name. With ESIZES, a property of size n takes
//   n numbers on each PVRTX line, and the first of them is kept.
// - NO_DATA_VALUES marks, per property, the number that stands for a missing value;
//   it and any value that is not a number read as NaN, as do values a PVRTX lacks.
// - The colour is `*solid*color:` (TSurf), `*line*color:` (PLine) or `*atoms*color:`
//   (VSet), else a plain `color:`; either "r g b [a]" from 0 to 1 or "#rrggbb".
// - An object without `name:` is named after the file without its extension, followed
//   by the object's number in the file from the second object on ("pit", "pit 2").
// - `ZPOSITIVE Depth` anywhere in an object (header, coordinate-system block or its
//   own line) turns every depth of the object into an elevation (z → −z).
// - A `GOCAD` line inside an object that lacks its END ends that object; a file cut
//   short keeps the object read so far.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "scene/ReadTypes.h"
#include "scene/SceneModel.h"

namespace talan {

// Whether a file's text is a GOCAD ASCII file: its first line begins with "GOCAD ".
bool IsGocadText(std::string_view text);

// Reads every object of a GOCAD ASCII file into the scene, after the objects already
// there: a TSurf as a T3 object, a PLine as a LIN object, a VSet as a PTS object, each
// with its colour, format and one value column per property. Objects of other types
// are skipped. Skipped records go to `skipped` with `file` and their line. The
// progress bar, titled with the file's name, follows the bytes read. Returns
// ReadProblem::None when at least one object with something to draw was read,
// otherwise NoObjects (scene unchanged).
ReadProblem ReadGocadText(SceneModel& scene, std::string_view text, const std::string& file,
                          SceneLoadObserver& observer, std::vector<SkippedRow>& skipped);

}  // namespace talan
