// The desktop viewer: start-up, the main window with its menus and drawing area,
// and shutdown.
#pragma once

#include <string>
#include <vector>

namespace talan {

// Runs the viewer. `scenePaths` are the command line's files, loaded together (none:
// the open dialog appears at start-up). Returns the process's exit status.
int RunViewer(int argc, char** argv, const std::vector<std::string>& scenePaths);

}  // namespace talan
