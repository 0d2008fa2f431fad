#include "shell/CommandLine.h"

#include <algorithm>
#include <charconv>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string_view>

#include "shell/CommandIds.h"
#include "shell/CommandNames.h"
#include "shell/StandardViews.h"

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
     "open the viewer window on FILE (the rest of the command line, joined by single spaces; when no file has "
     "that name, each word is a file and they open together), or ask for files"},
    {Mode::Info, "--info", nullptr, "", true, "at least one scene file",
     "read the files (scene files .KDX, GOCAD objects, drill-hole tables) into one scene, as \"Open (Add)\" does "
     "with files chosen together, and print the objects, their formats and values, bounds and camera fit"},
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

// MIN,MAX: two finite numbers, MIN below MAX.
bool ReadRange(const std::string& text, CommandLine& line) {
    const auto parts = Split(text, ',');
    double low = 0, high = 0;
    if (parts.size() != 2 || !ParseNumber(parts[0], low) || !ParseNumber(parts[1], high) || !(low < high)) return false;
    line.colourBy.rangeSet = true;
    line.colourBy.low = low;
    line.colourBy.high = high;
    return true;
}

bool ReadDrawBlocks(const std::string& text, CommandLine& line) {
    line.drawBlocks = text == "boxes" ? BlockDrawing::Boxes : text == "cast" ? BlockDrawing::Cast : BlockDrawing::Auto;
    return text == "auto" || text == "boxes" || text == "cast";
}

// A menu command by its identifier or, for a fixed one, by its name.
bool ReadCommand(const std::string& text, CommandLine& line) {
    int32_t id = 0;
    if (ParseInt(text, id)) {
        if (!IsMenuIdentifier(id)) return false;
    } else if (const std::optional<int32_t> named = CommandOfName(text)) {
        id = *named;
    } else {
        return false;
    }
    line.commands.push_back(id);
    return true;
}

struct OptionSpec {
    const char* name;
    const char* value;  // the value's form, or nullptr for a switch
    unsigned modes;     // Bit() of each mode that takes it
    const char* help;
    bool (*read)(const std::string& value, CommandLine& line);  // false: the value is malformed
    std::string (*values)() = nullptr;  // what a malformed value's message adds: the values there are
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
    {"--pitch", "DEG", kDrawing, "look down at DEG degrees instead of the fit's 45: 90 straight down with north up "
     "(at yaw 0), -90 straight up",
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
    {"--command", "ID|NAME", kDrawing,
     "after the options above, do what choosing the menu entry of identifier ID does; repeatable, in order. The "
     "identifiers are those --info lists: fixed ones such as 4010 \"Sólid face\" and 4012 \"Front face\", and "
     "5000 + 2K and 10000 + 2K for the entries of object K. A fixed entry can also be named: wireframe, "
     "front-face, section-x and so on (a wrong name lists them all)",
     ReadCommand, [] { return "; the command names are " + CommandNameList(); }},
    {"--view", "plan|north|south|east|west", kDrawing,
     "then turn the camera about the point it looks at to a standard view, as the View menu's \"Standard views\" "
     "entries do: plan straight down with north up, the others level towards north (+y), south, east (+x) or west. "
     "--yaw and --pitch, when given, then set their angle in its place",
     [](const std::string& v, CommandLine& l) {
         const std::optional<int32_t> view = StandardViewOfName(v);
         l.view = view.value_or(0);
         return view.has_value();
     }},
    {"--input", "FILE", kDrawing,
     "then feed the view the mouse, wheel and key events of the script FILE, one a line, as the viewer's window "
     "does: \"press left|right|middle X Y\", \"move X Y\", \"release\", \"wheel DELTA\" (120 a notch, "
     "negative towards the user) and \"key NAME\" (a menu entry's key: X, PageUp, Plus, ...), each followed by the "
     "keys held (ctrl, shift; x1 for the extra mouse button with the wheel; alt with a key). X Y are pixels of the "
     "picture from its top left corner; '#' starts a comment",
     [](const std::string& v, CommandLine& l) { return !(l.input = v).empty(); }},
    {"--exaggeration", "F", kDrawing,
     "draw elevations F times as tall about the scene's middle elevation, the camera fitted to the box so drawn "
     "(0.1 to 100, default 1); picks, slabs and measurements stay in file units",
     [](const std::string& v, CommandLine& l) {
         return ParseNumber(v, l.exaggeration) && l.exaggeration >= kMinExaggeration &&
                l.exaggeration <= kMaxExaggeration;
     },
     [] { return std::string("; F runs from 0.1 to 100"); }},
    {"--color-by", "NAME", kDrawing,
     "colour the objects that carry the value NAME (a column of drill-hole tables, a property of a GOCAD object) by "
     "it, numbers through the colour map, texts in a colour each, and draw its legend at the picture's right side; "
     "the others keep their own colours. A value no object carries is an error that lists those they carry",
     [](const std::string& v, CommandLine& l) { return !(l.colourBy.value = v).empty(); }},
    {"--colormap", "NAME", kDrawing, "the colour map of --color-by's numbers: viridis (the default), plasma, inferno, magma, cividis, turbo or greys",
     [](const std::string& v, CommandLine& l) {
         const std::optional<ColourMap> map = ColourMapNamed(v);
         l.colourBy.map = map.value_or(ColourMap::Viridis);
         return map.has_value();
     },
     [] { return "; the colour maps are " + ColourMapNames(); }},
    {"--range", "MIN,MAX", kDrawing,
     "colour --color-by's numbers from MIN to MAX (MIN below MAX), those beyond in the end colours, instead of "
     "from the lowest to the highest value in the scene",
     ReadRange, [] { return std::string("; MIN,MAX are two numbers, MIN below MAX"); }},
    {"--no-overlay", nullptr, kDrawing,
     "leave out the axes triad (north marked N) and the scale bar drawn over the picture's bottom corners, as "
     "unchecking \"Axes and scale\" (4180) does",
     [](const std::string&, CommandLine& l) { return l.noOverlay = true; }},
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
     "a usage error, an object number or a --color-by value the scene does not have, or a pixel outside the picture"},
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
        if (!option->read(value, line)) {
            return Usage("bad value '" + value + "' for " + arg + (option->values ? option->values() : ""));
        }
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

std::vector<std::string> ViewerFiles(const CommandLine& line) {
    if (line.words.size() <= 1) return line.files;
    std::error_code ec;
    if (std::filesystem::exists(line.files.front(), ec)) return line.files;
    return line.words;
}

Failure ParseCommandLine(const std::vector<std::string>& args, CommandLine& line) {
    line = CommandLine{};
    if (args.empty()) return {};
    const ModeSpec* mode = FindMode(args[0]);
    if (mode == nullptr) {
        if (LooksLikeOption(args[0]) && args[0] != "--") return Usage("unknown option '" + args[0] + "'");
        // The viewer takes the rest of the command line whole, as one path; "--" first
        // lets a path start with a dash.
        std::string path;
        for (size_t i = args[0] == "--" ? 1 : 0; i < args.size(); ++i) {
            path += (path.empty() ? "" : " ") + args[i];
            line.words.push_back(args[i]);
        }
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

namespace {

// `text` as troff shows it as written: a backslash escaped; a dash that does not join
// two letters or digits is a minus (options, "+-"), a hyphen otherwise; characters
// beyond ASCII by their code point; a line that would start a request guarded.
std::string Roff(std::string_view text) {
    const auto alnum = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; };
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '\\') {
            out += "\\e";
        } else if (c == '-' && !(i > 0 && i + 1 < text.size() && alnum(text[i - 1]) && alnum(text[i + 1]))) {
            out += "\\-";
        } else if (c >= 0xC0 && c < 0xF8) {
            // A UTF-8 sequence: its lead byte, then continuation bytes.
            const size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
            uint32_t code = c & (0x7Fu >> length);
            for (size_t k = 1; k < length && i + 1 < text.size(); ++k) code = code << 6 | (text[++i] & 0x3Fu);
            char hex[16];
            std::snprintf(hex, sizeof hex, "\\[u%04X]", code);
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
        if (out.size() == 1 && (c == '.' || c == '\'')) out.insert(0, "\\&");
    }
    return out;
}

// An option's name as troff shows it: every dash a minus, inner ones ("--draw-blocks")
// included, so that a name copied from the page can be typed back.
std::string OptionRoff(const std::string& name) {
    std::string out;
    for (const char c : Roff(name)) {
        if (c == '-' && !(!out.empty() && out.back() == '\\')) out += '\\';
        out += c;
    }
    return out;
}

// A tagged paragraph: the tag in bold, a value form after it in italics.
std::string TaggedParagraph(const std::string& tag, const char* value, const std::string& text) {
    std::string out = ".TP\n";
    out += value != nullptr ? ".BI \"" + OptionRoff(tag) + "\" \" " + Roff(value) + "\"\n" : ".B \"" + OptionRoff(tag) + "\"\n";
    return out + Roff(text) + "\n";
}

}  // namespace

std::string ManualPage(const std::string& version) {
    std::string out = ".TH TALAN3D 1 \"\" \"Talan 3D " + Roff(version) + "\" \"User Commands\"\n";
    out += ".SH NAME\ntalan3d \\- viewer of 3D geological and mining scenes\n";

    out += ".SH SYNOPSIS\n.nf\n";
    for (const std::string& line : Split(UsageLines(), '\n')) {
        const size_t name = line.find(kProgram);
        if (name == std::string::npos) continue;
        out += "\\fB" + std::string(kProgram) + "\\fR" + Roff(line.substr(name + sizeof kProgram - 1)) + "\n";
    }
    out += ".fi\n";

    out += ".SH DESCRIPTION\n"
           ".B talan3d\n"
           "opens scene files (usually with the extension .KDX, a text format whose first line\n"
           "carries the word Tavrin) holding triangulated surfaces, line sets, surfaces drawn as\n"
           "segments, block models, point sets and drill\\-hole intervals, and shows them together in\n"
           "one window: the mouse turns, moves and zooms the scene and steers the light; the menus\n"
           "switch single objects on and off, draw them transparent, solid or as wireframe, and\n"
           "choose the background colour and the interface language (Spanish or English).\n"
           "It also reads GOCAD ASCII surfaces, lines and points, and drill holes from collar,\n"
           "survey and interval tables, and colours objects by the values they carry.\n"
           "Help in the window's ? menu lists the mouse gestures and keys.\n"
           ".PP\n"
           "Without a window the same program lists what scene files hold and draws pictures of\n"
           "them into PNG files, through the viewer's own load, menu commands and renderer, in an\n"
           "OpenGL context that needs no display.\n";

    out += ".SH OPTIONS\n";
    out += "The first argument chooses the mode; without one of these the viewer opens.\n";
    for (const ModeSpec& mode : kModes) {
        if (*mode.name == '\0') continue;
        std::string tag = mode.name;
        if (mode.alias != nullptr) tag += std::string(", ") + mode.alias;
        out += TaggedParagraph(tag, *mode.first != '\0' ? mode.first : nullptr, mode.help);
    }
    for (const ModeSpec& mode : kModes) {
        if (*mode.name == '\0') {
            out += ".PP\nWith no mode, " + Roff(mode.help) + ".\n";
        }
    }
    for (const unsigned modes : {Bit(Mode::Info), kDrawing}) {
        std::string names;
        for (const ModeSpec& mode : kModes) {
            if ((modes & Bit(mode.mode)) != 0) names += (names.empty() ? "" : " and ") + std::string(mode.name);
        }
        out += ".SS \"Options of " + Roff(names) + "\"\n";
        for (const OptionSpec& option : kOptions) {
            if ((option.modes & modes) == modes) out += TaggedParagraph(option.name, option.value, option.help);
        }
    }
    out += ".PP\n" + Roff("In every mode \"--\" ends the options: every later argument is a file.") + "\n";

    out += ".SH EXIT STATUS\n";
    for (const ExitStatusSpec& exit : kExitStatuses) {
        out += TaggedParagraph(std::to_string(exit.status), nullptr, exit.meaning);
    }

    out += ".SH FILES\n"
           ".TP\n.I config.cfg\n"
           "In the directory the viewer was started from: the interface language, the window's\n"
           "position and size and the background colour, read at start and written back when the\n"
           "viewer ends.\n"
           ".TP\n.I recent.cfg\n"
           "Beside config.cfg: the scene files opened last, newest first, one absolute path a\n"
           "line, which the File menu lists; read at start and written back when the viewer ends.\n"
           ".TP\n.I Talan3D.fx\n"
           "The effect file every picture is drawn with: looked for in the current directory, then\n"
           "beside the executable, then in ../share/talan3d/ from the executable's directory\n"
           "(for /usr/bin/talan3d, /usr/share/talan3d/Talan3D.fx).\n";
    out += ".SH SEE ALSO\n.BR xdg\\-mime (1),\n.BR xvfb\\-run (1)\n";
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
