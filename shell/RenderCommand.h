// `talan3d --render` and `--pick`: draw scene files without a window, through the
// same load and the same menu commands as the viewer.
#pragma once

#include <cstdio>
#include <string>

#include "shell/CommandLine.h"

namespace talan {

// Loads the files as consecutive Open (Add) loads (with "Smooth T3 wend open" set by
// --smooth), fits the camera as the viewer does, carries out the menu commands that
// --wireframe, --cull, --transparent and --hide stand for and then those of
// --command, feeds the view the events of the --input script, draws one frame and
// writes the picture, or for --pick prints to `out` as JSON what lies at the pixel.
// `executablePath` is where the effect file is looked for after the current
// directory. Returns the exit status of the failure (see ExitStatus): a load that
// fails, an object the scene does not have, a pixel outside the picture or an input
// script that cannot be read or has a wrong line, no OpenGL context or effect file, a
// picture that cannot be written.
int RunRenderCommand(const CommandLine& line, const std::string& executablePath, std::FILE* out, std::FILE* err);

// The effect file as the viewer finds it: in the current directory, else beside the
// executable, else in the installed program's data directory (share/talan3d beside
// the executable's bin). Returns the name as given when none has it.
std::string FindEffectFile(const std::string& executablePath);

}  // namespace talan
