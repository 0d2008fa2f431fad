// The message of a scene file that could not be read, for the message box and for
// standard error alike.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "scene/ReadTypes.h"
#include "scene/SceneFileReader.h"

namespace talan {

// Two lines: the read error's own sentence (the same in every language), then the
// file's name and why it failed, in the words of TextsFor(language). `status` is the whole load's: a file read in full can still fail
// when there is nothing to draw.
std::string LoadFailureText(const std::string& path, const SceneReadResult& read, int32_t status,
                            uint32_t language);
// Why the load failed, alone, as LoadFailureText words it.
std::string LoadFailureReason(const SceneReadResult& read, int32_t status, uint32_t language);
// The rows a load skipped while it read the rest: how many, then the first `listed`
// of them, one a line with the file, the line and why, then how many more there are.
std::string SkippedRowsText(const std::vector<SkippedRow>& skipped, uint32_t language, size_t listed = 20);

}  // namespace talan
