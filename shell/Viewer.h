// The desktop viewer: start-up, the main window with its menus and drawing area,
// and shutdown.
#pragma once

#include <string>

namespace talan {

// Runs the viewer. `scenePath` is the command line's scene file (empty: the open
// dialog appears at start-up). Returns the process's exit status.
int RunViewer(int argc, char** argv, const std::string& scenePath);

}  // namespace talan
