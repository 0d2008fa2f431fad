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
#include <tuple>
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

std::string FirstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

// A fresh, empty directory named after the test.
fs::path TestDirectory() {
    const fs::path dir = fs::path(::testing::TempDir()) /
                         (std::string("settings_") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

std::string Contents(const fs::path& path) {
    std::ostringstream out;
    out << std::ifstream(path, std::ios::binary).rdbuf();
    return out.str();
}

void Write(const fs::path& path, std::string_view text) { std::ofstream(path, std::ios::binary) << text; }

size_t Entries(const fs::path& dir) { return static_cast<size_t>(std::distance(fs::directory_iterator(dir), {})); }

// Every known key, so that nothing is added on the way back.
constexpr char kOtherKeys[] = "color_r : 0\ncolor_g : 1\ncolor_b : 0\nposx : 0\nposy : 0\nidioma : 1\n";

TEST(Settings, UnchangedValuesComeBackByteForByte) {
    for (const std::string text : {"# window\n\nwidth : 800\nheight : 600\nfuture_key : 7\n  # indented note\n\n",
                                   "width : 500\r\nheight : 500\r\n",
                                   "height : 300\r\n\n\r\nwidth : 300\nlast line", "a\rb\nno colon here\n:\nx : y : z\n\t\nheight : 500\nwidth : 500"}) {
        for (const std::string& whole : {std::string(kOtherKeys) + text, text + "\n" + kOtherKeys}) {
            EXPECT_EQ(Rewrite(whole, Read(whole)), whole) << whole;
        }
    }
}

// A key without a line gets one after the file's last line, in the order of the key
// list, with the file's last line end; a line that holds a key in any form counts.
TEST(Settings, MissingKeysAreAddedInKeyOrderAfterTheLinesKept) {
    SettingsValues values;
    values.backgroundColor = {0.25f, 0.5f, 1};
    values.width = 640;
    values.height = 480;
    values.posx = 10;
    values.posy = 20;
    values.language = 2;
    const std::string all = "color_r : 0.25\ncolor_g : 0.5\ncolor_b : 1\nwidth : 640\nheight : 480\nposx : 10\nposy : 20\nidioma : 2\n";
    EXPECT_EQ(SettingsText(SettingsFile{}, values), all) << "a file that was never read";
    EXPECT_EQ(Rewrite("", values), all) << "an empty file";
    EXPECT_EQ(Rewrite("\n", values), "\n" + all);
    EXPECT_EQ(Rewrite("# mine", values), "# mine\n" + all) << "the last line gets its line end first";
    EXPECT_EQ(Rewrite("# mine\r\n", values),
              "# mine\r\ncolor_r : 0.25\r\ncolor_g : 0.5\r\ncolor_b : 1\r\nwidth : 640\r\nheight : 480\r\n"
              "posx : 10\r\nposy : 20\r\nidioma : 2\r\n");
    EXPECT_EQ(Rewrite("idioma : 1\nfoo : bar\n  posx:3\ncolor_g\t: 0\n# width : 1\nWidth : 1\nposy", values),
              "idioma : 2\nfoo : bar\nposx : 10\ncolor_g : 0.5\n# width : 1\nWidth : 1\nposy\n"
              "color_r : 0.25\ncolor_b : 1\nwidth : 640\nheight : 480\nposy : 20\n");
    // What was added is read back as it was written, and not added a second time.
    const std::string once = Rewrite("# mine\n", values);
    EXPECT_EQ(Rewrite(once, Read(once)), once);
    const SettingsValues back = Read(once);
    EXPECT_EQ(std::tuple(back.backgroundColor, back.width, back.height, back.posx, back.posy, back.language),
              std::tuple(values.backgroundColor, 640u, 480u, 10u, 20u, 2u));
}

TEST(Settings, ReadRules) {
    const std::tuple<const char*, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t> cases[] = {
        // text, then width, height, posx, posy, language
        {"", 0, 0, 0, 0, 1},
        {"width : 150\nheight : 199", 500, 500, 0, 0, 1},
        {"width : 200\nheight : 4000\nidioma : 3", 200, 4000, 0, 0, 3},
        {"width : -5\nposx : -1\nidioma : 0", 4294967291u, 0, 4294967295u, 0, 1},
        {"width : wide\nheight :", 500, 500, 0, 0, 1},
        {" \twidth\t :\t 640 \t\nheight:480\r\nposx :12px\n  posy  :  34", 640, 480, 12, 34, 1},
        {"width : 300\nwidth : 400\nidioma : 2\nidioma : 0", 300, 0, 0, 0, 2},
        {"# width : 300\n   # height : 300\n\t#posx : 5", 0, 0, 0, 0, 1},
        {"Width : 300\nwidthx : 300\nwidth 300\nposx = 5\n : 9", 0, 0, 0, 0, 1},
    };
    for (const auto& [text, width, height, posx, posy, language] : cases) {
        const SettingsValues v = Read(text);
        EXPECT_EQ(std::tuple(v.width, v.height, v.posx, v.posy, v.language), std::tuple(width, height, posx, posy, language))
            << text;
    }
    const SettingsValues colour = Read("color_r : 0.501961\ncolor_g:\t1e-1\r\ncolor_b : 0x1p-2\ncolor_r : 1");
    EXPECT_EQ(colour.backgroundColor, (std::array<float, 3>{0.501961f, 0.1f, 0.25f}));
    EXPECT_EQ(Read("color_r : red\ncolor_g : 1e39").backgroundColor, (std::array<float, 3>{0, INFINITY, 0}));

    // Entries keep the first value, trimmed, without the carriage return.
    SettingsFile file;
    SettingsValues values;
    ReadSettingsText("posx : 1 \r\n posx:2\n : empty key\r\nnote : a : b\t\r\n", file, values);
    EXPECT_EQ(file.entries, (std::map<std::string, std::string>{{"", "empty key"}, {"note", "a : b"}, {"posx", "1"}}));
    EXPECT_EQ(file.lines, (std::vector<std::string>{"posx : 1 ", " posx:2", " : empty key", "note : a : b\t", ""}));
    EXPECT_EQ(file.crlf, (std::vector<bool>{true, false, true, true, false}));
}

TEST(Settings, KnownKeyLinesGetTheCurrentValueInCanonicalForm) {
    SettingsValues values;
    values.width = 640;
    for (const char* line : {"width : 800", "width :  800 # wide", "width : ", "width:800", "  width : 800", "width\t: 800"}) {
        EXPECT_EQ(FirstLine(Rewrite(line, values)), "width : 640") << line;
    }
    for (const char* line : {"\twidth", "widthx : 5", "width_old:5", "width 800", "  # width : 800", "Width : 800"}) {
        EXPECT_EQ(FirstLine(Rewrite(line, values)), line);
    }
    // Every key, duplicates included, with each line's own line end; colours with at
    // most six significant digits.
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
    for (const auto& [value, written] : {std::pair(0.1f, "0.1"), std::pair(1e-7f, "1e-07"), std::pair(1234567.0f, "1.23457e+06")}) {
        values.backgroundColor[1] = value;
        EXPECT_EQ(FirstLine(Rewrite("color_g : 0", values)), std::string("color_g : ") + written) << value;
    }
}

TEST(SettingsFile, AMissingFileGivesStartValuesAndSavingReplacesTheFileWholeLeavingNothingBeside) {
    const fs::path dir = TestDirectory(), path = dir / "config.cfg";
    SettingsFile file;
    SettingsValues values;
    values.width = 99;  // start values, whatever the caller held
    LoadSettings(path.string(), file, values);
    EXPECT_EQ(std::tuple(file.lines.empty(), values.width, values.language), std::tuple(true, 0u, 1u));
    ASSERT_FALSE(SaveSettings(path.string(), file, values).Failed());
    EXPECT_EQ(Contents(path), "color_r : 0\ncolor_g : 0\ncolor_b : 0\nwidth : 0\nheight : 0\nposx : 0\nposy : 0\nidioma : 1\n")
        << "created with every key";

    Write(path, "# colours\r\ncolor_r : 0\r\nwidth:150\nposx : 3\ncolor_g : 0\ncolor_b : 0\nheight : 500\nposy : 0\nidioma : 1\n");
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);  // kept by the new file
    LoadSettings(path.string(), file, values);
    EXPECT_EQ(std::tuple(values.width, values.posx), std::tuple(500u, 3u));
    values.backgroundColor[0] = 0.5f;
    ASSERT_FALSE(SaveSettings(path.string(), file, values).Failed());
    EXPECT_EQ(Contents(path), "# colours\r\ncolor_r : 0.5\r\nwidth : 500\nposx : 3\ncolor_g : 0\ncolor_b : 0\nheight : 500\nposy : 0\nidioma : 1\n");
    EXPECT_EQ(fs::status(path).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(Entries(dir), 1u);

    // Through a link the linked file is rewritten and the link stays.
    fs::create_symlink("config.cfg", dir / "link.cfg");
    values.posx = 9;
    ASSERT_FALSE(SaveSettings((dir / "link.cfg").string(), file, values).Failed());
    EXPECT_TRUE(fs::is_symlink(dir / "link.cfg"));
    EXPECT_EQ(Contents(path), "# colours\r\ncolor_r : 0.5\r\nwidth : 500\nposx : 9\ncolor_g : 0\ncolor_b : 0\nheight : 500\nposy : 0\nidioma : 1\n");
    EXPECT_EQ(Entries(dir), 2u);
}

TEST(SettingsFile, UnwritablePlacesFailWithTheReasonAndLeaveTheOldFile) {
    const fs::path dir = TestDirectory();
    SettingsFile file;
    SettingsValues values;
    ReadSettingsText("width : 800\n", file, values);
    const Failure missing = SaveSettings((dir / "missing" / "config.cfg").string(), file, values);
    EXPECT_EQ(missing.kind, FailureKind::WriteFile);
    EXPECT_NE(missing.message.find("missing/config.cfg: No such file or directory"), std::string::npos) << missing.message;

    // A directory where the file should be: neither readable nor replaceable.
    fs::create_directories(dir / "config.cfg" / "inside");
    SettingsFile none;
    LoadSettings((dir / "config.cfg").string(), none, values);
    EXPECT_TRUE(none.lines.empty());
    EXPECT_TRUE(SaveSettings((dir / "config.cfg").string(), file, values).Failed());
    EXPECT_TRUE(fs::is_directory(dir / "config.cfg" / "inside"));
    EXPECT_EQ(Entries(dir), 1u);

    // Places that no user, the superuser included, may replace a file in: a kernel
    // file under /proc, and a new name in /proc itself.
    const std::string kernelText = Contents("/proc/version");
    EXPECT_TRUE(SaveSettings("/proc/version", file, values).Failed());
    EXPECT_EQ(Contents("/proc/version"), kernelText);
    EXPECT_TRUE(SaveSettings("/proc/talan3d-config.cfg", file, values).Failed());

    // Permissions, where they hold for this user (a superuser passes them by).
    const fs::path locked = dir / "locked";
    fs::create_directories(locked);
    Write(locked / "config.cfg", "width : 800\n");
    Write(dir / "readonly.cfg", "width : 800\n");
    fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
    fs::permissions(dir / "readonly.cfg", fs::perms::owner_read);
    const bool enforced = !std::ofstream(locked / "probe");
    const bool savedIntoLocked = !SaveSettings((locked / "config.cfg").string(), file, values).Failed();
    const bool savedOverReadOnly = !SaveSettings((dir / "readonly.cfg").string(), file, values).Failed();
    fs::permissions(locked, fs::perms::owner_all);
    if (!enforced) return;
    EXPECT_EQ(std::tuple(savedIntoLocked, savedOverReadOnly, Entries(locked)), std::tuple(false, false, 1u));
    EXPECT_EQ(Contents(locked / "config.cfg") + Contents(dir / "readonly.cfg"), "width : 800\nwidth : 800\n");
}

}  // namespace
}  // namespace talan
