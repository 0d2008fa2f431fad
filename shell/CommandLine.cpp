#include "shell/CommandLine.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>

#include "shell/Menus.h"

namespace talan {

namespace {

constexpr char kProgram[] = "talan3d";
constexpr int32_t kMaxPictureSide = 16384;

constexpr unsigned Bit(Mode mode) { return 1u << static_cast<unsigned>(mode); }
constexpr unsigned kDrawing = Bit(Mode::Render) | Bit(Mode::Pick);

struct ModeSpec {
    Mode mode;
    const char* name;   // as typed; empty for the viewer
    const char* alias;  // another spelling, or nullptr
    const char* first;  // the argument before the options and files, or empty
    bool takesFiles;
    const char* needs;  // what a usage error says the mode needs
    const char* help;
};

constexpr ModeSpec kModes[] = {
    {Mode::Viewer, "", nullptr, "", true, "",
     "open the viewer window on FILE (the rest of the command line, joined by single spaces), or ask for a file"},
    {Mode::Info, "--info", nullptr, "", true, "at least one scene file",
     "read the scene files (.KDX) one after the other into one scene, as \"Open (Add)\" does, and print the "
     "objects, bounds and camera fit"},
    {Mode::Render, "--render", nullptr, "OUT.png", true, "a picture file and at least one scene file",
     "draw the files, loaded as \"Open (Add)\" does, into the PNG picture OUT.png without a window"},
    {Mode::Pick, "--pick", nullptr, "X,Y", true, "a pixel X,Y and at least one scene file",
     "draw as --render does and print, as JSON, what lies at pixel X,Y of the picture, counted from its top left "
     "corner: the point in file units, its object and element"},
    {Mode::Help, "--help", "-h", "", false, "", "print this text"},
    {Mode::Version, "--version", nullptr, "", false, "", "print the program's version"},
};

bool ParseInt(std::string_view text, int32_t& value) {
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return result.ec == std::errc() && result.ptr == end;
}

template <typename Number>
bool ParseNumber(std::string_view text, Number& value) {
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return result.ec == std::errc() && result.ptr == end && std::isfinite(value);
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t at; (at = text.find(separator, start)) != std::string::npos; start = at + 1) {
        parts.push_back(text.substr(start, at - start));
    }
    parts.push_back(text.substr(start));
    return parts;
}

bool ReadObjectList(const std::string& text, std::vector<int32_t>& list) {
    for (const std::string& part : Split(text, ',')) {
        int32_t k = 0;
        if (!ParseInt(part, k) || k < 0) return false;
        list.push_back(k);
    }
    return true;
}

// WxH, or N alone for the longer side of a picture shaped like the scene.
bool ReadSize(const std::string& text, CommandLine& line) {
    const auto side = [](const std::string& digits, int32_t& n) {
        return ParseInt(digits, n) && n > 0 && n <= kMaxPictureSide;
    };
    const auto parts = Split(text, 'x');
    line.longerSide = 0;
    return parts.size() == 1 ? side(parts[0], line.longerSide)
                             : parts.size() == 2 && side(parts[0], line.width) && side(parts[1], line.height);
}

bool ReadBackground(const std::string& text, CommandLine& line) {
    const auto parts = Split(text, ',');
    if (parts.size() != 3) return false;
    for (size_t c = 0; c < 3; ++c) {
        float& value = line.background[c];
        if (!ParseNumber(parts[c], value) || value < 0 || value > 1) return false;
    }
    return true;
}

bool ReadCull(const std::string& text, CommandLine& line) {
    line.cull = text == "front" ? CullMode::Front : text == "back" ? CullMode::Back : CullMode::None;
    return text == "none" || text == "front" || text == "back";
}

// AXIS,CENTRE,THICKNESS: x, y or z (file axes), and a thickness above 0.
bool ReadSection(const std::string& text, CommandLine& line) {
    static constexpr std::string_view kAxes = "xyz";
    const auto parts = Split(text, ',');
    double centre = 0, thickness = 0;
    if (parts.size() != 3 || parts[0].size() != 1 || kAxes.find(parts[0][0]) == std::string_view::npos ||
        !ParseNumber(parts[1], centre) || !ParseNumber(parts[2], thickness) || !(thickness > 0)) {
        return false;
    }
    line.section = {static_cast<int>(kAxes.find(parts[0][0])), centre, thickness};
    return true;
}

bool ReadDrawBlocks(const std::string& text, CommandLine& line) {
    line.drawBlocks = text == "boxes" ? BlockDrawing::Boxes : text == "cast" ? BlockDrawing::Cast : BlockDrawing::Auto;
    return text == "auto" || text == "boxes" || text == "cast";
}

bool ReadCommand(const std::string& text, CommandLine& line) {
    int32_t id = 0;
    if (!ParseInt(text, id) || !IsMenuIdentifier(id)) return false;
    line.commands.push_back(id);
    return true;
}

struct OptionSpec {
    const char* name;
    const char* value;  // the value's form, or nullptr for a switch
    unsigned modes;     // Bit() of each mode that takes it
    const char* help;
    bool (*read)(const std::string& value, CommandLine& line);  // false: the value is malformed
};

const OptionSpec kOptions[] = {
    {"--json", nullptr, Bit(Mode::Info), "print the scene as a JSON document instead of a table",
     [](const std::string&, CommandLine& l) { return l.json = true; }},
    {"--vertices", nullptr, Bit(Mode::Info), "also print every vertex",
     [](const std::string&, CommandLine& l) { return l.vertices = true; }},
    {"--smooth", nullptr, Bit(Mode::Info) | kDrawing,
     "smooth the normals of triangulated surfaces as they are read, as \"Smooth T3 wend open\" does",
     [](const std::string&, CommandLine& l) { return l.smooth = true; }},
    {"--size", "WxH|N", kDrawing,
     "picture size, each side 1 to 16384 (default 800x600); N alone: N pixels on the longer side, the other as the "
     "scene's box appears to the camera, between half and twice N (for thumbnails)",
     ReadSize},
    {"--background", "R,G,B", kDrawing, "background colour, each 0 to 1 (default black)", ReadBackground},
    {"--yaw", "DEG", kDrawing, "turn the fitted camera DEG degrees about the vertical (default 0)",
     [](const std::string& v, CommandLine& l) { return l.hasYaw = ParseNumber(v, l.yaw); }},
    {"--pitch", "DEG", kDrawing, "look down at DEG degrees instead of the fit's 45",
     [](const std::string& v, CommandLine& l) { return l.hasPitch = ParseNumber(v, l.pitch); }},
    {"--wireframe", nullptr, kDrawing, "draw triangles as their edges, as unchecking \"Sólid face\" (4010) does",
     [](const std::string&, CommandLine& l) { return l.wireframe = true; }},
    {"--cull", "none|front|back", kDrawing,
     "cull front faces, as unchecking \"Back face\" (4013) does, or back faces, as unchecking \"Front face\" "
     "(4012) does (default none)",
     ReadCull},
    {"--transparent", "K,...", kDrawing,
     "draw these objects transparent, as checking their \"Transparent\" entries does; K are object numbers as "
     "--info lists them",
     [](const std::string& v, CommandLine& l) { return ReadObjectList(v, l.transparent); }},
    {"--hide", "K,...", kDrawing, "leave these objects out, as unchecking their entries in the Objects menu does",
     [](const std::string& v, CommandLine& l) { return ReadObjectList(v, l.hidden); }},
    {"--section", "AXIS,CENTRE,THICKNESS", kDrawing,
     "draw only what lies within CENTRE +- THICKNESS/2 along AXIS (x, y or z, in file units)", ReadSection},
    {"--draw-blocks", "auto|boxes|cast", kDrawing,
     "draw each block model as one box per block (boxes), or, where its blocks stand on a lattice, by casting one "
     "ray per pixel through its cells (cast), which costs time by the pixels rather than the blocks; auto casts "
     "where that takes no more memory than the boxes (default auto). Transparent and wireframe models are always "
     "boxes",
     ReadDrawBlocks},
    {"--command", "ID", kDrawing,
     "after the options above, do what choosing the menu entry of identifier ID does; repeatable, in order. The "
     "identifiers are those --info lists: fixed ones such as 4010 \"Sólid face\" and 4012 \"Front face\", and "
     "5000 + 2K and 10000 + 2K for the entries of object K",
     ReadCommand},
};

struct ExitStatusSpec {
    int status;
    std::vector<FailureKind> kinds;  // the failures that end the program with it
    const char* meaning;
};

const ExitStatusSpec kExitStatuses[] = {
    {0, {FailureKind::None}, "success"},
    {1, {FailureKind::SceneFile, FailureKind::NoDisplay}, "a scene file could not be read, or the viewer found no display"},
    {2, {FailureKind::Usage},
     "a usage error, an object number the scene does not have, or a pixel outside the picture"},
    {3, {FailureKind::NoContext, FailureKind::EffectFileMissing, FailureKind::EffectFile, FailureKind::Graphics},
     "no OpenGL context or no usable effect file (--render, --pick)"},
    {4, {FailureKind::WriteFile}, "the picture cannot be written (--render)"},
};

Failure Usage(std::string message) { return {FailureKind::Usage, kStatusFail, std::move(message)}; }

bool LooksLikeOption(const std::string& arg) { return arg.size() > 1 && arg[0] == '-'; }

const ModeSpec* FindMode(const std::string& arg) {
    for (const ModeSpec& mode : kModes) {
        if (*mode.name != '\0' && (arg == mode.name || (mode.alias != nullptr && arg == mode.alias))) return &mode;
    }
    return nullptr;
}

const OptionSpec* FindOption(Mode mode, const std::string& arg) {
    for (const OptionSpec& option : kOptions) {
        if ((option.modes & Bit(mode)) != 0 && arg == option.name) return &option;
    }
    return nullptr;
}

// The argument before the files: the picture of --render, the pixel of --pick.
Failure ReadFirst(const ModeSpec& mode, const std::string& arg, CommandLine& line) {
    if (mode.mode == Mode::Render) {
        line.output = arg;
        return {};
    }
    const auto xy = Split(arg, ',');
    if (xy.size() != 2 || !ParseInt(xy[0], line.pickX) || !ParseInt(xy[1], line.pickY) || line.pickX < 0 ||
        line.pickY < 0) {
        return Usage("bad pixel '" + arg + "' for --pick (X,Y from the top left corner)");
    }
    return {};
}

// The arguments after a mode that takes files: its first argument, options and files.
// The pixel of --pick is always the first argument; OUT.png of --render is the first
// one that is not an option.
Failure ParseModeArguments(const ModeSpec& mode, const std::vector<std::string>& args, CommandLine& line) {
    bool optionsEnded = false, firstGiven = *mode.first == '\0';
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || !LooksLikeOption(arg) || (mode.mode == Mode::Pick && i == 0)) {
            if (!firstGiven) {
                if (Failure failure = ReadFirst(mode, arg, line); failure.Failed()) return failure;
                firstGiven = true;
            } else {
                line.files.push_back(arg);
            }
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        const OptionSpec* option = FindOption(mode.mode, arg);
        if (option == nullptr) return Usage("unknown option '" + arg + "' for " + mode.name);
        std::string value;
        if (option->value != nullptr) {
            if (i + 1 == args.size()) return Usage(arg + " needs a value");
            value = args[++i];
        }
        if (!option->read(value, line)) return Usage("bad value '" + value + "' for " + arg);
    }
    if (!firstGiven || line.files.empty() || (mode.mode == Mode::Render && line.output.empty())) {
        return Usage(std::string(mode.name) + " needs " + mode.needs);
    }
    return {};
}

// Appends `text` in lines of at most 80 columns (a longer word stands alone): the
// first after `lead`, the others indented to the width of `lead`.
void AppendWrapped(std::string& out, const std::string& lead, const std::string& text) {
    constexpr size_t kWidth = 80;
    const std::string indent(lead.size(), ' ');
    std::string line = lead;
    bool empty = true;
    for (const std::string& word : Split(text, ' ')) {
        if (!empty && line.size() + 1 + word.size() > kWidth) {
            out += line + "\n";
            line = indent;
            empty = true;
        }
        line += (empty ? "" : " ") + word;
        empty = false;
    }
    out += line + "\n";
}

std::string Padded(std::string text, size_t width) {
    text.resize(std::max(text.size(), width), ' ');
    return text;
}

std::string UsageLines() {
    std::string out;
    std::string lead = "Usage: ";
    std::string noFiles;
    for (const ModeSpec& mode : kModes) {
        if (!mode.takesFiles) {
            noFiles += (noFiles.empty() ? "" : " | ") + std::string(mode.name);
            continue;
        }
        std::string line = lead + kProgram;
        if (*mode.name != '\0') line += std::string(" ") + mode.name;
        if (*mode.first != '\0') line += std::string(" ") + mode.first;
        std::string options;
        bool switchesOnly = true;
        for (const OptionSpec& option : kOptions) {
            if ((option.modes & Bit(mode.mode)) == 0) continue;
            options += std::string(" [") + option.name + "]";
            switchesOnly = switchesOnly && option.value == nullptr;
        }
        if (mode.mode == Mode::Viewer) {
            line += " [--] [FILE]";
        } else {
            line += (switchesOnly ? options : " [options]") + " [--] FILE...";
        }
        out += line + "\n";
        lead = "       ";
    }
    return out + lead + kProgram + " " + noFiles + "\n";
}

// The options of the modes in `modes`, under a heading that names them.
std::string OptionLines(unsigned modes) {
    std::string names;
    for (const ModeSpec& mode : kModes) {
        if ((modes & Bit(mode.mode)) != 0) names += (names.empty() ? "" : " and ") + std::string(mode.name);
    }
    std::string out = "\nOptions of " + names + ":\n";
    constexpr size_t kColumn = 25;
    for (const OptionSpec& option : kOptions) {
        if ((option.modes & modes) != modes) continue;
        std::string lead = std::string("  ") + option.name + (option.value != nullptr ? std::string(" ") + option.value : "");
        if (lead.size() + 2 > kColumn) {
            out += lead + "\n";
            lead.clear();
        }
        AppendWrapped(out, Padded(lead, kColumn), option.help);
    }
    return out;
}

}  // namespace

Failure ParseCommandLine(const std::vector<std::string>& args, CommandLine& line) {
    line = CommandLine{};
    if (args.empty()) return {};
    const ModeSpec* mode = FindMode(args[0]);
    if (mode == nullptr) {
        if (LooksLikeOption(args[0]) && args[0] != "--") return Usage("unknown option '" + args[0] + "'");
        // The viewer takes the rest of the command line whole, as one path; "--" first
        // lets a path start with a dash.
        std::string path;
        for (size_t i = args[0] == "--" ? 1 : 0; i < args.size(); ++i) path += (path.empty() ? "" : " ") + args[i];
        if (!path.empty()) line.files.push_back(path);
        return {};
    }
    line.mode = mode->mode;
    if (!mode->takesFiles) return {};  // what follows --help or --version is not looked at
    return ParseModeArguments(*mode, std::vector<std::string>(args.begin() + 1, args.end()), line);
}

std::string HelpText() {
    std::string out = UsageLines() + "\n";
    for (const ModeSpec& mode : kModes) {
        AppendWrapped(out, Padded(std::string("  ") + (*mode.name != '\0' ? mode.name : "(no mode)"), 13), mode.help);
    }
    out += OptionLines(Bit(Mode::Info)) + OptionLines(kDrawing) + "\n";
    AppendWrapped(out, "", "In every mode \"--\" ends the options: every later argument is a file.");
    out += "\nExit status:\n";
    for (const ExitStatusSpec& exit : kExitStatuses) {
        AppendWrapped(out, "  " + std::to_string(exit.status) + "  ", exit.meaning);
    }
    return out;
}

int ExitStatus(FailureKind kind) {
    for (const ExitStatusSpec& exit : kExitStatuses) {
        for (FailureKind k : exit.kinds) {
            if (k == kind) return exit.status;
        }
    }
    return 1;
}

}  // namespace talan
