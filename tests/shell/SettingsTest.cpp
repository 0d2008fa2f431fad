// The settings file: what a hand-edited file sets, how it is written back line for
// line, and that writing it either replaces it whole or leaves it as it was.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "shell/Settings.h"

namespace talan {
namespace {

namespace fs = std::filesystem;

SettingsValues Read(std::string_view text) {
    SettingsFile file;
    SettingsValues values;
    ReadSettingsText(text, file, values);
    return values;
}

// The text written back after reading `text` and then changing the values to `values`.
std::string Rewrite(std::string_view text, const SettingsValues& values) {
    SettingsFile file;
    SettingsValues read;
    ReadSettingsText(text, file, read);
    return SettingsText(file, values);
}

// A fresh, empty directory named after the test.
fs::path TestDirectory() {
    const fs::path dir = fs::path(::testing::TempDir()) /
                         (std::string("settings_") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

std::string Contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void Write(const fs::path& path, std::string_view text) { std::ofstream(path, std::ios::binary) << text; }

TEST(Settings, UnchangedValuesComeBackByteForByte) {
    const char* const texts[] = {
        "",
        "\n",
        "width : 800",
        "# window\n\nwidth : 800\nheight : 600\nfuture_key : 7\n  # indented note\n\n",
        "color_r : 0.501961\r\ncolor_g : 1\r\ncolor_b : 0\r\n",
        "idioma : 2\r\nposx : 10\nposy : 4294967295\r\n\n\r\nlast line",
        "a\rb\nno colon here\n:\nx : y : z\n\t\n",
    };
    for (const char* text : texts) EXPECT_EQ(Rewrite(text, Read(text)), text) << text;
}

TEST(Settings, ReadRules) {
    struct Case {
        const char* text;
        uint32_t width, height, posx, posy, language;
    };
    const Case cases[] = {
        {"", 0, 0, 0, 0, 1},
        {"width : 150\nheight : 199", 500, 500, 0, 0, 1},
        {"width : 200\nheight : 4000", 200, 4000, 0, 0, 1},
        {"width : -5\nposx : -1", 4294967291u, 0, 4294967295u, 0, 1},
        {"width : wide\nheight :", 500, 500, 0, 0, 1},
        {" \twidth\t :\t 640 \t\nheight:480\r\nposx :12px\n  posy  :  34", 640, 480, 12, 34, 1},
        {"width : 300\nwidth : 400\nidioma : 2\nidioma : 0", 300, 0, 0, 0, 2},
        {"idioma : 0", 0, 0, 0, 0, 1},
        {"idioma : 1", 0, 0, 0, 0, 1},
        {"idioma : 2", 0, 0, 0, 0, 2},
        {"idioma : 3", 0, 0, 0, 0, 3},
        {"# width : 300\n   # height : 300\n\t#posx : 5", 0, 0, 0, 0, 1},
        {"Width : 300\nwidthx : 300\nwidth 300\nposx = 5\n : 9", 0, 0, 0, 0, 1},
    };
    for (const Case& c : cases) {
        const SettingsValues v = Read(c.text);
        EXPECT_EQ(v.width, c.width) << c.text;
        EXPECT_EQ(v.height, c.height) << c.text;
        EXPECT_EQ(v.posx, c.posx) << c.text;
        EXPECT_EQ(v.posy, c.posy) << c.text;
        EXPECT_EQ(v.language, c.language) << c.text;
    }

    const SettingsValues colour = Read("color_r : 0.501961\ncolor_g:\t1e-1\r\ncolor_b : 0x1p-2\ncolor_r : 1");
    EXPECT_EQ(colour.backgroundColor, (std::array<float, 3>{0.501961f, 0.1f, 0.25f}));
    EXPECT_EQ(Read("color_r : red\ncolor_g : 1e39").backgroundColor, (std::array<float, 3>{0, INFINITY, 0}));
}

TEST(Settings, EntriesKeepTheFirstValueTrimmedWithoutTheCarriageReturn) {
    SettingsFile file;
    SettingsValues values;
    ReadSettingsText("posx : 1 \r\n posx:2\n : empty key\r\nnote : a : b\t\r\n", file, values);
    const std::map<std::string, std::string> expected = {{"", "empty key"}, {"note", "a : b"}, {"posx", "1"}};
    EXPECT_EQ(file.entries, expected);
    EXPECT_EQ(file.lines, (std::vector<std::string>{"posx : 1 ", " posx:2", " : empty key", "note : a : b\t", ""}));
    EXPECT_EQ(file.crlf, (std::vector<bool>{true, false, true, true, false}));
}

TEST(Settings, KnownKeyLinesGetTheCurrentValueInCanonicalForm) {
    SettingsValues values;
    values.width = 640;
    const std::pair<const char*, const char*> cases[] = {
        {"width : 800", "width : 640"},
        {"width :  800 # wide", "width : 640"},
        {"width : ", "width : 640"},
        {"width:800", "width : 640"},
        {"  width : 800", "width : 640"},
        {"width\t: 800", "width : 640"},
        {"width :800", "width : 640"},
        {"\twidth", "\twidth"},
        {"widthx : 5", "widthx : 5"},
        {"width_old:5", "width_old:5"},
        {"width 800", "width 800"},
        {"#width : 800", "#width : 800"},
        {"  # width : 800", "  # width : 800"},
        {"Width : 800", "Width : 800"},
    };
    for (const auto& [line, written] : cases) EXPECT_EQ(Rewrite(line, values), written) << line;

    // Every key, duplicates included, with each line's own line end.
    values.backgroundColor = {0, 1, 128.0f / 255.0f};
    values.height = 4294967291u;
    values.posx = 7;
    values.posy = 0;
    values.language = 3;
    EXPECT_EQ(Rewrite("color_r : 0.2\r\ncolor_g : 0.2\ncolor_b : 0.2\r\nwidth : 1\nheight : 1\r\n"
                      "posx : 1\nposy : 1\nidioma : 1\r\n# end\r\nidioma:2",
                      values),
              "color_r : 0\r\ncolor_g : 1\ncolor_b : 0.501961\r\nwidth : 640\nheight : 4294967291\r\n"
              "posx : 7\nposy : 0\nidioma : 3\r\n# end\r\nidioma : 3");
}

TEST(Settings, ColoursAreWrittenWithAtMostSixSignificantDigits) {
    const std::pair<float, const char*> cases[] = {
        {0.0f, "0"}, {1.0f, "1"}, {128.0f / 255.0f, "0.501961"}, {0.1f, "0.1"}, {1e-7f, "1e-07"}, {1234567.0f, "1.23457e+06"}};
    for (const auto& [value, written] : cases) {
        SettingsValues values;
        values.backgroundColor[1] = value;
        EXPECT_EQ(Rewrite("color_g : 0", values), std::string("color_g : ") + written) << value;
    }
}

TEST(SettingsFile, MissingFileGivesStartValuesAndIsCreatedEmpty) {
    const fs::path path = TestDirectory() / "config.cfg";
    SettingsFile file;
    SettingsValues values;
    values.width = 99;  // start values, whatever the caller held
    LoadSettings(path.string(), file, values);
    EXPECT_TRUE(file.lines.empty());
    EXPECT_EQ(values.width, 0u);
    EXPECT_EQ(values.language, 1u);

    values.width = 800;
    ASSERT_FALSE(SaveSettings(path.string(), file, values).Failed());
    EXPECT_TRUE(fs::exists(path));
    EXPECT_EQ(Contents(path), "");
}

TEST(SettingsFile, SaveReplacesTheFileWholeAndLeavesNothingBeside) {
    const fs::path dir = TestDirectory();
    const fs::path path = dir / "config.cfg";
    Write(path, "# colours\r\ncolor_r : 0\r\nwidth:150\nposx : 3\n");
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);  // kept by the new file
    SettingsFile file;
    SettingsValues values;
    LoadSettings(path.string(), file, values);
    EXPECT_EQ(values.width, 500u);
    EXPECT_EQ(values.posx, 3u);
    values.backgroundColor[0] = 0.5f;
    ASSERT_FALSE(SaveSettings(path.string(), file, values).Failed());
    EXPECT_EQ(Contents(path), "# colours\r\ncolor_r : 0.5\r\nwidth : 500\nposx : 3\n");
    EXPECT_EQ(fs::status(path).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);

    // Through a link the linked file is rewritten and the link stays.
    const fs::path link = dir / "link.cfg";
    fs::create_symlink("config.cfg", link);
    values.posx = 9;
    ASSERT_FALSE(SaveSettings(link.string(), file, values).Failed());
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(Contents(path), "# colours\r\ncolor_r : 0.5\r\nwidth : 500\nposx : 9\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);
}

TEST(SettingsFile, UnwritablePlacesFailWithTheReasonAndLeaveTheOldFile) {
    const fs::path dir = TestDirectory();
    SettingsFile file;
    SettingsValues values;
    ReadSettingsText("width : 800\n", file, values);

    const Failure missing = SaveSettings((dir / "missing" / "config.cfg").string(), file, values);
    EXPECT_EQ(missing.kind, FailureKind::WriteFile);
    EXPECT_NE(missing.message.find("missing/config.cfg: No such file or directory"), std::string::npos)
        << missing.message;
    EXPECT_FALSE(fs::exists(dir / "missing"));

    // A directory where the file should be: neither readable nor replaceable.
    fs::create_directories(dir / "config.cfg" / "inside");
    SettingsFile none;
    LoadSettings((dir / "config.cfg").string(), none, values);
    EXPECT_TRUE(none.lines.empty());
    EXPECT_TRUE(SaveSettings((dir / "config.cfg").string(), file, values).Failed());
    EXPECT_TRUE(fs::is_directory(dir / "config.cfg" / "inside"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

TEST(SettingsFile, ReadOnlyFileOrDirectoryIsLeftAlone) {
    const fs::path dir = TestDirectory();
    const fs::path lockedDir = dir / "locked";
    fs::create_directories(lockedDir);
    Write(lockedDir / "config.cfg", "width : 800\n");
    Write(dir / "config.cfg", "width : 800\n");
    fs::permissions(lockedDir, fs::perms::owner_read | fs::perms::owner_exec);
    fs::permissions(dir / "config.cfg", fs::perms::owner_read);
    const bool enforced = !std::ofstream(lockedDir / "probe");  // not so for a superuser
    SettingsFile file;
    SettingsValues values;
    ReadSettingsText("width : 640\n", file, values);
    const bool savedIntoLocked = !SaveSettings((lockedDir / "config.cfg").string(), file, values).Failed();
    const bool savedOverReadOnly = !SaveSettings((dir / "config.cfg").string(), file, values).Failed();
    fs::permissions(lockedDir, fs::perms::owner_all);
    if (!enforced) GTEST_SKIP() << "permissions are not enforced for this user";
    EXPECT_FALSE(savedIntoLocked);
    EXPECT_FALSE(savedOverReadOnly);
    EXPECT_EQ(Contents(lockedDir / "config.cfg"), "width : 800\n");
    EXPECT_EQ(Contents(dir / "config.cfg"), "width : 800\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(lockedDir), fs::directory_iterator()), 1);
}

}  // namespace
}  // namespace talan
