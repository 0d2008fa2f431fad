// The list of the scene files opened last: its order, one entry per file, ten at
// most, and recent.cfg written at shutdown and read back at the next start.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "shell/RecentFiles.h"

namespace talan {
namespace {

std::vector<std::string> Paths(std::initializer_list<int> numbers) {
    std::vector<std::string> paths;
    for (const int k : numbers) paths.push_back("/scenes/" + std::to_string(k) + ".KDX");
    return paths;
}

TEST(RecentFiles, NewestFirstEachFileOnceTenAtMostAndAFileGoneLeaves) {
    std::vector<std::string> recent;
    for (int k = 0; k < 12; ++k) RememberRecentFile(recent, Paths({k})[0]);
    EXPECT_EQ(recent, Paths({11, 10, 9, 8, 7, 6, 5, 4, 3, 2}));
    // Opened again, a file moves to the top instead of standing twice.
    RememberRecentFile(recent, Paths({5})[0]);
    EXPECT_EQ(recent, Paths({5, 11, 10, 9, 8, 7, 6, 4, 3, 2}));
    RememberRecentFile(recent, Paths({2})[0]);
    EXPECT_EQ(recent, Paths({2, 5, 11, 10, 9, 8, 7, 6, 4, 3}));
    ForgetRecentFile(recent, Paths({9})[0]);
    ForgetRecentFile(recent, Paths({99})[0]);
    EXPECT_EQ(recent, Paths({2, 5, 11, 10, 8, 7, 6, 4, 3}));
    // With one gone there is room again: nothing further drops out.
    RememberRecentFile(recent, Paths({20})[0]);
    EXPECT_EQ(recent, Paths({20, 2, 5, 11, 10, 8, 7, 6, 4, 3}));
}

TEST(RecentFiles, TheListIsWrittenWholeAndReadBackAtTheNextStart) {
    namespace fs = std::filesystem;
    const fs::path folder = fs::path(::testing::TempDir()) / ("recent_" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    const std::string path = (folder / "recent.cfg").string();
    EXPECT_TRUE(LoadRecentFiles(path).empty());  // none yet

    const std::vector<std::string> recent = {"/home/geóloga/tajo sur.KDX", "/data/b.KDX", "/data/a.KDX"};
    ASSERT_FALSE(SaveRecentFiles(path, recent).Failed());
    EXPECT_EQ(LoadRecentFiles(path), recent);
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    EXPECT_EQ(text.str(), "/home/geóloga/tajo sur.KDX\n/data/b.KDX\n/data/a.KDX\n");
    // A shorter list replaces the file whole, and leaves no temporary file beside it.
    ASSERT_FALSE(SaveRecentFiles(path, {"/data/c.KDX"}).Failed());
    EXPECT_EQ(LoadRecentFiles(path), std::vector<std::string>{"/data/c.KDX"});
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);

    // A file edited by hand: CR LF, blank lines and repeats, and more than ten.
    std::string edited = "/a.KDX\r\n\r\n/b.KDX\n/a.KDX\n";
    for (int k = 0; k < 12; ++k) edited += "/more/" + std::to_string(k) + ".KDX\n";
    std::vector<std::string> expected = {"/a.KDX", "/b.KDX"};
    for (int k = 0; k < 8; ++k) expected.push_back("/more/" + std::to_string(k) + ".KDX");
    EXPECT_EQ(ReadRecentFilesText(edited), expected);
    EXPECT_EQ(ReadRecentFilesText("/last.KDX"), std::vector<std::string>{"/last.KDX"});

    const Failure failure = SaveRecentFiles((folder / "none" / "recent.cfg").string(), recent);
    EXPECT_EQ(failure.kind, FailureKind::WriteFile);
    EXPECT_EQ(failure.message.rfind("the recent files could not be saved in ", 0), 0u) << failure.message;
    fs::remove_all(folder);
}

}  // namespace
}  // namespace talan
