// `talan3d --info`: reads scene files without a window and prints the scene model.
#pragma once

#include <cstdio>

#include "shell/CommandLine.h"

namespace talan {

// Loads the files one after the other into one scene, as consecutive Open (Add)
// loads, and prints it: the table, or with --json the JSON document, each with every
// vertex for --vertices. Returns the exit status: 0 when every load succeeded, else
// that of FailureKind::SceneFile.
int RunInfoCommand(const CommandLine& line, std::FILE* out, std::FILE* err);

}  // namespace talan
