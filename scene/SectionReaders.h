// The six section readers and the framework they share. Each is called with the
// section's tag line as `currentLine` and returns with the stream just after the
// section's last line (or at the end of a file that ends inside the section).
#pragma once

#include <string_view>

#include "scene/ReadTypes.h"
#include "scene/SceneModel.h"
#include "scene/SceneStream.h"

namespace talan {

struct SectionContext {
    SceneModel& scene;
    SceneStream& stream;
    std::string_view currentLine;  // the tag line of the section being read
    SceneLoadObserver* observer;   // never null inside the readers
    int workers = 0;               // threads reading a large section; 0: one per core
};

// Each returns ReadProblem::None, or why the section was refused as a whole:
// CountRefused or OutOfMemory (see BeginSection).
ReadProblem ReadTriangulatedSurfaceSection(SectionContext& ctx);
ReadProblem ReadLineSection(SectionContext& ctx);
ReadProblem ReadSurfaceSection(SectionContext& ctx);
ReadProblem ReadBlockModelSection(SectionContext& ctx);
ReadProblem ReadPointsSection(SectionContext& ctx);
ReadProblem ReadDrillHoleSection(SectionContext& ctx);

}  // namespace talan
