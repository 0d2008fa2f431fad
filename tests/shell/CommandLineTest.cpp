// The command line as declared once: what the parser makes of it, what it refuses,
// the README showing the same text as --help, and the manual page made from it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "shell/CommandLine.h"
#include "shell/Menus.h"

namespace talan {
namespace {

TEST(CommandLine, TheReadmeShowsTheHelpText) {
    std::ifstream in(TALAN_README);
    const std::string readme{std::istreambuf_iterator<char>(in), {}};
    const size_t section = readme.find("\n## Command line\n");
    ASSERT_NE(section, std::string::npos);
    EXPECT_NE(readme.find("```\n" + HelpText() + "```\n", section), std::string::npos)
        << "README.md's command-line section should show the output of 'talan3d --help' in a code block:\n"
        << HelpText();
}

TEST(CommandLine, ModesOptionsAndFilesAreReadAsDeclared) {
    CommandLine line;
    ASSERT_FALSE(ParseCommandLine({"--render", "--size", "160x120", "pic.png", "--background", "0.5,1,0", "--yaw",
                                   "30", "--pitch", "-10.5", "--cull", "back", "--transparent", "0,2", "--hide", "1",
                                   "--smooth", "--wireframe", "--section", "z,-12.5,4", "--command", "4012",
                                   "--command", "10002", "a.KDX", "--", "--b.KDX"},
                                  line)
                     .Failed());
    EXPECT_EQ(std::tuple(line.mode, line.output, line.width, line.height), std::tuple(Mode::Render, "pic.png", 160, 120))
        << "the picture is the first argument that is not an option";
    EXPECT_EQ(line.background, (std::array<float, 3>{0.5f, 1, 0}));
    EXPECT_EQ(std::tuple(line.hasYaw, line.yaw, line.hasPitch, line.pitch, line.cull), std::tuple(true, 30.0f, true, -10.5f, CullMode::Back));
    EXPECT_EQ(std::tuple(line.transparent, line.hidden, line.smooth, line.wireframe),
              std::tuple(std::vector<int32_t>{0, 2}, std::vector<int32_t>{1}, true, true));
    EXPECT_EQ(std::tuple(line.section.axis, line.section.centre, line.section.thickness), std::tuple(2, -12.5, 4.0));
    EXPECT_EQ(line.commands, (std::vector<int32_t>{kCommandFrontFace, 10002}));
    EXPECT_EQ(line.files, (std::vector<std::string>{"a.KDX", "--b.KDX"}));

    // --size N asks for a picture shaped like the scene; the last --size counts; a side is at most 16384.
    ASSERT_FALSE(ParseCommandLine({"--render", "p.png", "--size", "10x20", "--size", "256", "a.KDX"}, line).Failed());
    EXPECT_EQ(line.longerSide, 256);
    ASSERT_FALSE(ParseCommandLine({"--render", "p.png", "--size", "256", "--size", "16384x1", "a.KDX"}, line).Failed());
    EXPECT_EQ(std::tuple(line.longerSide, line.width, line.height), std::tuple(0, 16384, 1));

    // Block models: auto unless asked, the last choice counts, for --pick as for --render.
    EXPECT_EQ(line.drawBlocks, BlockDrawing::Auto);
    ASSERT_FALSE(
        ParseCommandLine({"--render", "p.png", "--draw-blocks", "cast", "--draw-blocks", "boxes", "a.KDX"}, line).Failed());
    EXPECT_EQ(line.drawBlocks, BlockDrawing::Boxes);
    ASSERT_FALSE(ParseCommandLine({"--pick", "12,34", "--size", "64x48", "--draw-blocks", "cast", "a.KDX"}, line).Failed());
    EXPECT_EQ(std::tuple(line.mode, line.pickX, line.pickY, line.output), std::tuple(Mode::Pick, 12, 34, ""));
    EXPECT_EQ(line.drawBlocks, BlockDrawing::Cast);
    ASSERT_FALSE(ParseCommandLine({"--info", "--smooth", "--", "--json"}, line).Failed());
    EXPECT_EQ(std::tuple(line.mode, line.smooth, line.json, line.files), std::tuple(Mode::Info, true, false, std::vector<std::string>{"--json"}));

    // The viewer takes the rest of the line as one path; "--" lets it start with a dash.
    ASSERT_FALSE(ParseCommandLine({"my", "pit.KDX"}, line).Failed());
    EXPECT_EQ(line.mode, Mode::Viewer);
    EXPECT_EQ(line.files, std::vector<std::string>{"my pit.KDX"});
    ASSERT_FALSE(ParseCommandLine({"--", "-pit.KDX"}, line).Failed());
    EXPECT_EQ(line.files, std::vector<std::string>{"-pit.KDX"});
    ASSERT_FALSE(ParseCommandLine({"-h", "--bogus"}, line).Failed());
    EXPECT_EQ(line.mode, Mode::Help);
}

TEST(CommandLine, ColouringByAValueIsSetForRenderAndPick) {
    CommandLine line;
    ASSERT_FALSE(ParseCommandLine({"--render", "p.png", "a.KDX"}, line).Failed());
    EXPECT_TRUE(line.colourBy.value.empty());
    EXPECT_EQ(std::tuple(line.colourBy.map, line.colourBy.rangeSet), std::tuple(ColourMap::Viridis, false));
    ASSERT_FALSE(ParseCommandLine({"--render", "p.png", "--color-by", "Au ppm", "--colormap", "inferno", "--range",
                                   "-0.5,1e3", "a.KDX"},
                                  line)
                     .Failed());
    EXPECT_EQ(line.colourBy.value, "Au ppm");
    EXPECT_EQ(line.colourBy.map, ColourMap::Inferno);
    EXPECT_EQ(std::tuple(line.colourBy.rangeSet, line.colourBy.low, line.colourBy.high), std::tuple(true, -0.5, 1000.0));
    ASSERT_FALSE(ParseCommandLine({"--pick", "1,2", "--colormap", "turbo", "--color-by", "Rock", "a.KDX"}, line).Failed());
    EXPECT_EQ(std::tuple(line.colourBy.value, line.colourBy.map), std::tuple("Rock", ColourMap::Turbo));
    // A failed value leaves no colouring from an earlier parse.
    EXPECT_TRUE(ParseCommandLine({"--render", "p.png", "--range", "1", "a.KDX"}, line).Failed());
    ASSERT_FALSE(ParseCommandLine({"--render", "p.png", "a.KDX"}, line).Failed());
    EXPECT_FALSE(line.colourBy.rangeSet);

    const std::pair<std::vector<std::string>, std::string> refused[] = {
        {{"--render", "p.png", "a.KDX", "--colormap", "jet"},
         "bad value 'jet' for --colormap; the colour maps are viridis, plasma, inferno, magma, cividis, turbo, greys"},
        {{"--render", "p.png", "a.KDX", "--colormap", "Viridis"}, "bad value 'Viridis' for --colormap"},
        {{"--render", "p.png", "a.KDX", "--range", "5,5"}, "bad value '5,5' for --range"},
        {{"--render", "p.png", "a.KDX", "--range", "6,5"}, "bad value '6,5' for --range"},
        {{"--render", "p.png", "a.KDX", "--range", "0,inf"}, "bad value '0,inf' for --range"},
        {{"--render", "p.png", "a.KDX", "--range", "nan,1"}, "bad value 'nan,1' for --range"},
        {{"--render", "p.png", "a.KDX", "--range", "0,1,2"}, "bad value '0,1,2' for --range"},
        {{"--render", "p.png", "a.KDX", "--color-by", ""}, "bad value '' for --color-by"},
        {{"--render", "p.png", "a.KDX", "--color-by"}, "--color-by needs a value"},
        {{"--info", "--color-by", "Au", "a.KDX"}, "unknown option '--color-by' for --info"},
    };
    for (const auto& [args, message] : refused) {
        const Failure failure = ParseCommandLine(args, line);
        EXPECT_EQ(failure.kind, FailureKind::Usage) << message;
        EXPECT_EQ(failure.message.rfind(message, 0), 0u) << failure.message;
    }
}

TEST(CommandLine, UsageErrorsSayWhatIsWrong) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--bogus"}, "unknown option '--bogus'"},
        {{"--info"}, "--info needs at least one scene file"},
        {{"--info", "--size", "8x8", "a.KDX"}, "unknown option '--size' for --info"},
        {{"--render", "pic.png"}, "--render needs a picture file and at least one scene file"},
        {{"--render", "pic.png", "a.KDX", "--size", "10x"}, "bad value '10x' for --size"},
        {{"--render", "pic.png", "a.KDX", "--size", "16385x1"}, "bad value '16385x1' for --size"},
        {{"--render", "pic.png", "a.KDX", "--background", "2,0,0"}, "bad value '2,0,0' for --background"},
        {{"--render", "pic.png", "a.KDX", "--yaw", "inf"}, "bad value 'inf' for --yaw"},
        {{"--render", "pic.png", "a.KDX", "--yaw"}, "--yaw needs a value"},
        {{"--render", "pic.png", "a.KDX", "--section", "x,0,0"}, "bad value 'x,0,0' for --section"},
        {{"--render", "pic.png", "a.KDX", "--command", "4011"}, "bad value '4011' for --command"},
        {{"--render", "pic.png", "a.KDX", "--command", "5001"}, "bad value '5001' for --command"},
        {{"--render", "pic.png", "a.KDX", "--draw-blocks", "Cast"}, "bad value 'Cast' for --draw-blocks"},
        {{"--info", "--draw-blocks", "cast", "a.KDX"}, "unknown option '--draw-blocks' for --info"},
        {{"--pick", "12", "a.KDX"}, "bad pixel '12' for --pick"},
        {{"--pick", "--size", "8x8", "1,2", "a.KDX"}, "bad pixel '--size' for --pick"},
        {{"--pick", "1,2"}, "--pick needs a pixel X,Y and at least one scene file"},
    };
    for (const auto& [args, message] : cases) {
        CommandLine line;
        const Failure failure = ParseCommandLine(args, line);
        EXPECT_EQ(failure.kind, FailureKind::Usage) << message;
        EXPECT_EQ(failure.message.rfind(message, 0), 0u) << failure.message;
    }
    EXPECT_EQ(ExitStatus(FailureKind::Usage), 2);
}

// The manual page is made from the same tables as --help: every mode, option (with its
// value's form) and exit status that --help prints is a tagged paragraph of the page,
// in a page that man reads as written.
TEST(CommandLine, TheManualPageListsEveryModeOptionAndExitStatus) {
    const std::string page = ManualPage("9.8");
    const auto escaped = [](std::string text) {  // a name's dashes as troff minus signs
        for (size_t at = 0; (at = text.find('-', at)) != std::string::npos; at += 2) text.replace(at, 1, "\\-");
        return text;
    };
    std::vector<std::string> lines;
    for (size_t start = 0, end; (end = page.find('\n', start)) != std::string::npos; start = end + 1) {
        lines.push_back(page.substr(start, end - start));
    }
    std::vector<std::string> tags;  // the lines that follow .TP
    for (size_t i = 0; i + 1 < lines.size(); ++i) {
        if (lines[i] == ".TP") tags.push_back(lines[i + 1]);
    }
    const auto tagged = [&tags](const std::string& name, const std::string& value) {
        for (const std::string& tag : tags) {
            const bool named = tag.rfind(".B \"" + name + "\"", 0) == 0 || tag.rfind(".BI \"" + name + "\"", 0) == 0 ||
                               tag.rfind(".B \"" + name + ",", 0) == 0;
            if (named && tag.find(value) != std::string::npos) return true;
        }
        return false;
    };

    // A row of --help: two blanks, then an option and perhaps one value form, then two
    // blanks or the line's end; or two blanks, an exit status and two blanks.
    struct Row {
        std::string name, value;
    };
    const auto optionRow = [](const std::string& line) -> std::optional<Row> {
        if (line.rfind("  -", 0) != 0) return std::nullopt;
        const size_t nameEnd = line.find_first_not_of("-abcdefghijklmnopqrstuvwxyz", 2);
        Row row{line.substr(2, nameEnd - 2), ""};
        if (nameEnd == std::string::npos || line.compare(nameEnd, 2, "  ") == 0) return row;
        if (line[nameEnd] != ' ') return std::nullopt;
        const size_t valueEnd = line.find(' ', nameEnd + 1);
        row.value = line.substr(nameEnd + 1, valueEnd == std::string::npos ? std::string::npos : valueEnd - nameEnd - 1);
        if (row.value.empty() || (valueEnd != std::string::npos && line.compare(valueEnd, 2, "  ") != 0)) return std::nullopt;
        return row;
    };
    const auto exitRow = [](const std::string& line) -> std::optional<std::string> {
        if (line.rfind("  ", 0) != 0) return std::nullopt;
        const size_t end = line.find_first_not_of("0123456789", 2);
        if (end == 2 || end == std::string::npos || line.compare(end, 2, "  ") != 0) return std::nullopt;
        return line.substr(2, end - 2);
    };
    const std::string help = HelpText();
    int options = 0, statuses = 0;
    for (size_t start = 0, end; (end = help.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::string line = help.substr(start, end - start);
        if (const auto row = optionRow(line)) {
            ++options;
            EXPECT_TRUE(tagged(escaped(row->name), row->value)) << "the manual page has no paragraph for: " << line;
        } else if (const auto status = exitRow(line)) {
            ++statuses;
            EXPECT_TRUE(tagged(*status, "")) << "the manual page has no exit status " << *status;
        }
    }
    EXPECT_EQ(std::tuple(options, statuses), std::tuple(27, 5)) << "--help's rows were not all found";
    EXPECT_TRUE(tagged("\\-\\-help, \\-h", "")) << "the other spelling of --help";
    EXPECT_TRUE(tagged("\\-\\-pick", "X,Y")) << "a mode's first argument";

    // The sections man pages have, in their usual order, and the version in the title.
    size_t at = 0;
    for (const char* section : {".SH NAME", ".SH SYNOPSIS", ".SH DESCRIPTION", ".SH OPTIONS", ".SH EXIT STATUS",
                                ".SH FILES", ".SH SEE ALSO"}) {
        at = page.find(std::string("\n") + section + "\n", at);
        EXPECT_NE(at, std::string::npos) << section;
    }
    EXPECT_EQ(page.rfind(".TH TALAN3D 1 \"\" \"Talan 3D 9.8\" ", 0), 0u);
    EXPECT_NE(page.find("\n.I config.cfg\n"), std::string::npos);
    EXPECT_NE(page.find("\n.I Talan3D.fx\n"), std::string::npos);

    // As troff reads it: every request is one of the man macros used, a dash is a minus
    // sign unless it joins two words, text beyond ASCII is named by its code point.
    const auto knownRequest = [](const std::string& line) {
        for (const char* macro : {"TH", "SH", "SS", "TP", "PP", "B", "BI", "BR", "I", "nf", "fi"}) {
            const std::string request = std::string(".") + macro;
            if (line == request || line.rfind(request + " ", 0) == 0) return true;
        }
        return false;
    };
    const auto bareDash = [](const std::string& line) {  // neither "\\-" nor a hyphen between two words
        const auto word = [&line](size_t i) { return i < line.size() && std::isalnum(static_cast<unsigned char>(line[i])); };
        for (size_t at = 0; (at = line.find('-', at)) != std::string::npos; ++at) {
            if (!(at > 0 && line[at - 1] == '\\') && !(at > 0 && word(at - 1) && word(at + 1))) return true;
        }
        return false;
    };
    for (const std::string& line : lines) {
        if (!line.empty() && (line[0] == '.' || line[0] == '\'')) {
            EXPECT_TRUE(knownRequest(line)) << line;
        }
        EXPECT_FALSE(bareDash(line)) << "an option's dash read as a hyphen: " << line;
        EXPECT_TRUE(std::all_of(line.begin(), line.end(), [](char c) { return c > 0 && c < 0x7F; })) << line;
    }
    EXPECT_NE(page.find("\\-\\-wireframe\"\ndraw triangles as their edges, as unchecking \"S\\[u00F3]lid face\""),
              std::string::npos);
    EXPECT_NE(page.find("drill\\-hole"), std::string::npos);
}

}  // namespace
}  // namespace talan
