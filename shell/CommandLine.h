// The command line. Every mode, option and exit status is declared once, in the
// tables of CommandLine.cpp: the parser reads them, --help prints them, and a test
// checks that the README's command-line section shows that same text.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "render/GraphicsState.h"
#include "render/ViewState.h"
#include "scene/Status.h"
#include "scene/ValueColours.h"

namespace talan {

enum class Mode { Viewer, Info, Render, Pick, Help, Version };

// What the command line asks for; each mode reads the fields its options set.
struct CommandLine {
    Mode mode = Mode::Viewer;
    std::vector<std::string> files;  // scene files; for the viewer at most one, the rest of the line joined
    std::vector<std::string> words;  // the viewer: the rest of the line word by word
    bool json = false;               // --info: the JSON document instead of the table
    bool vertices = false;           // --info: also list every vertex
    bool smooth = false;             // as with "Smooth T3 wend open" checked
    std::string output;              // --render: the PNG to write
    int32_t pickX = 0, pickY = 0;    // --pick: the pixel, top row 0
    int32_t width = 800, height = 600;
    int32_t longerSide = 0;          // --size N: the longer side; the scene's shape gives the other (0: none)
    std::array<float, 3> background{0, 0, 0};  // 0 to 1, as in the settings file
    int32_t view = 0;                // --view: the standard view's command, turned to after the fit; 0 for none
    bool hasYaw = false, hasPitch = false;
    float yaw = 0, pitch = 0;        // degrees, applied after the camera fit and the standard view
    bool wireframe = false;
    CullMode cull = CullMode::None;
    std::vector<int32_t> transparent, hidden;  // object numbers
    SectionSlab section;             // only what lies within it is drawn
    std::vector<int32_t> commands;   // menu command identifiers, replayed in order
    std::string input;               // an input script whose events reach the view before it is drawn
    BlockDrawing drawBlocks = BlockDrawing::Auto;  // how block models are drawn
    bool noOverlay = false;          // --no-overlay: the picture without the axes triad and scale bar
    float exaggeration = 1.0f;       // the view's vertical exaggeration, set before the files are loaded
    ColourBy colourBy;               // --color-by, --colormap, --range: set before the files are loaded
};

// Reads the arguments that follow the program's name. Fails with FailureKind::Usage
// and a one-line message.
Failure ParseCommandLine(const std::vector<std::string>& args, CommandLine& line);

// The files the viewer opens together: the rest of the command line joined, as one
// path with spaces, when a file of that name exists or there is one word; otherwise
// each word is a file of its own (a drill-hole set named table by table).
std::vector<std::string> ViewerFiles(const CommandLine& line);

// The text --help prints.
std::string HelpText();

// The manual page talan3d(1), in troff with the man macros, made from the same
// tables as the help text; `version` is the program's ("1.0").
std::string ManualPage(const std::string& version);

// The exit status that tells a failure of this kind (0 for none).
int ExitStatus(FailureKind kind);

}  // namespace talan
