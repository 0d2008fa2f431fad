// `talan3d --render`: draws scene files into a PNG picture without a window.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "render/GraphicsState.h"
#include "render/ViewState.h"

namespace talan {

struct RenderOptions {
    bool pick = false;                       // --pick: print what lies at a pixel instead of writing the picture
    int32_t pickX = 0, pickY = 0;            // the pixel, top row 0
    std::string output;                      // the PNG to write
    int32_t width = 800, height = 600;
    int32_t longerSide = 0;                  // --size N: the longer side; the scene's shape gives the other (0: none)
    std::array<float, 3> background{0, 0, 0};  // 0 to 1, as in the settings file
    bool hasYaw = false, hasPitch = false;
    float yaw = 0, pitch = 0;                // degrees, applied after the camera fit
    bool smooth = false;
    bool wireframe = false;
    CullMode cull = CullMode::None;
    std::vector<int32_t> transparent, hidden;  // object numbers
    SectionSlab section;                     // --section: only what lies within it is drawn
    std::vector<std::string> files;
    std::string executablePath;              // where to look for the effect file too
};

// Parses the arguments that follow "--render" (OUT.png first), or those that follow
// "--pick" (X,Y first) when options.pick is set. On a usage error returns false with
// a one-line message.
bool ParseRenderArguments(const std::vector<std::string>& args, RenderOptions& options, std::string& error);

// Loads the files as consecutive Open (Add) loads, fits the camera as the viewer
// does, draws one frame and writes the picture, or for --pick prints to `out` as
// JSON what lies at the pixel. Returns the exit status: 0; 1 when a load fails; 2
// for an object number the scene does not have or a pixel outside the picture; 3
// when no OpenGL context can be had or the effect file cannot be used; 4 when the
// picture cannot be written.
int RunRenderCommand(const RenderOptions& options, std::FILE* out, std::FILE* err);

// The effect file as the viewer finds it: in the current directory, else beside the
// executable, else in the installed program's data directory (share/talan3d beside
// the executable's bin). Returns the name as given when none has it.
std::string FindEffectFile(const std::string& executablePath);

}  // namespace talan
