// Why a scene file could not be read, and at which line: the reason every message
// is built from. A file shortened by another program while it is read must fail the
// load, with the line where it now ends.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "TestHelpers.h"
#include "render/SceneLoad.h"
#include "scene/SceneFileReader.h"

namespace talan {
namespace {

using namespace std::string_literals;
using testing::TagLine;
using Folder = testing::TempFolder;

std::tuple<ReadProblem, int64_t> Reason(const SceneReadResult& read) { return {read.problem, read.line}; }

TEST(ReadProblems, EachPathThatIsNoSceneFileSaysWhyAndLeavesTheSceneAsItWas) {
    const Folder dir;
    ASSERT_EQ(mkfifo((dir.path + "/pipe.KDX").c_str(), 0600), 0);
    std::filesystem::create_symlink("loop.KDX", dir.path + "/loop.KDX");
    const std::string file = dir.Write("plain.txt", "a plain text\n");
    const std::pair<std::string, ReadProblem> cases[] = {
        {dir.path + "/missing.KDX", ReadProblem::NotFound},
        {dir.path + "/no-such-folder/pit.KDX", ReadProblem::NotFound},
        {file + "/pit.KDX", ReadProblem::NotFound},  // a file where a folder should be
        {dir.path, ReadProblem::Folder},
        {dir.path + "/pipe.KDX", ReadProblem::NotAFile},
        {"/dev/null", ReadProblem::NotAFile},
        // Write-only for everyone, root included, as the kernel checks its own files.
        {"/proc/sys/vm/drop_caches", ReadProblem::NoPermission},
        {dir.Write("empty.KDX", ""), ReadProblem::Empty},
        {file, ReadProblem::NoSignature},
        {dir.Write("binary.KDX", "\x7F" "ELF\x02\x01\x01\0\0\0\0\0\0\0\0\0\x03\0>\0"s), ReadProblem::NoSignature},
        {dir.Write("short.KDX", "\"Tavri"), ReadProblem::NoSignature},
        {dir.Write("line2.KDX", "\n\"Tavrin\"\n"), ReadProblem::NoSignature},
        {dir.Write("nul.KDX", "\0\0\0\0\0\0\0\0"s), ReadProblem::NoSignature},
    };
    for (const auto& [path, problem] : cases) {
        SCOPED_TRACE(path);
        SceneModel scene;
        ASSERT_EQ(ReadSceneText(scene, testing::kExampleScene, nullptr).Status(), kStatusOk);
        const testing::SceneSnapshot before = testing::Snapshot(scene);
        const SceneReadResult read = ReadSceneFile(scene, path, nullptr);
        EXPECT_EQ(Reason(read), std::tuple(problem, 0)) << "no line: the whole file failed";
        EXPECT_EQ(std::tuple(read.read, read.Status()), std::tuple(false, kStatusFail));
        EXPECT_TRUE(testing::Snapshot(scene) == before);
    }
    // Any other refusal keeps the system's own reason.
    SceneModel scene;
    const SceneReadResult loop = ReadSceneFile(scene, dir.path + "/loop.KDX", nullptr);
    EXPECT_EQ(std::tuple(loop.problem, loop.systemError), std::tuple(ReadProblem::SystemError, ELOOP));
}

TEST(ReadProblems, TheSystemsRefusalsMapToTheirReasons) {
    // Permission is tested here too, as root may read a file of any mode.
    const std::pair<int, ReadProblem> cases[] = {
        {ENOENT, ReadProblem::NotFound},       {ENOTDIR, ReadProblem::NotFound},
        {EACCES, ReadProblem::NoPermission},   {EPERM, ReadProblem::NoPermission},
        {EISDIR, ReadProblem::Folder},         {ENOMEM, ReadProblem::OutOfMemory},
        {ELOOP, ReadProblem::SystemError},     {EIO, ReadProblem::SystemError},
    };
    for (const auto& [error, problem] : cases) EXPECT_EQ(ReadProblemOfError(error), problem) << error;
    if (geteuid() != 0) {  // an ordinary user is refused a file of mode 000 as well
        const Folder dir;
        const std::string locked = dir.Write("locked.KDX", testing::kExampleScene);
        ASSERT_EQ(chmod(locked.c_str(), 0), 0);
        SceneModel scene;
        EXPECT_EQ(ReadSceneFile(scene, locked, nullptr).problem, ReadProblem::NoPermission);
    }
}

TEST(ReadProblems, ARefusedCountNamesTheTagLineOfTheFirstRefusedSection) {
    const std::string points = TagLine("PTS", 1) + "255,\nP,\nx\n1,2,3\n";  // five lines
    const std::pair<std::string, int64_t> cases[] = {
        {"\"Tavrin\"\n" + points + TagLine("T3", -1) + points + TagLine("LIN", -5), 7},
        // CR LF line ends count as one line each; skipped lines count too.
        {"\"Tavrin\"\r\nskipped\r\nskipped\r\n" + TagLine("SUP", 1073741824), 4},
        // The signature line is itself the first tag line.
        {"\"Tavrin\"  BLKKDX      59652324,\n", 1},
        // Lines of a section read count, up to its last element.
        {"\"Tavrin\"\n" + points + points + TagLine("SONKDX", -1), 12},
    };
    for (const auto& [text, line] : cases) {
        SCOPED_TRACE(text);
        SceneModel scene;
        const SceneReadResult read = ReadSceneText(scene, text, nullptr);
        EXPECT_EQ(Reason(read), std::tuple(ReadProblem::CountRefused, line));
        EXPECT_TRUE(read.read && read.sectionRefused);
    }
    SceneModel scene;
    EXPECT_EQ(Reason(ReadSceneText(scene, "\"Tavrin\"\n" + points, nullptr)), std::tuple(ReadProblem::None, 0));
}

// The T3 count is read from column 18 of the tag line up to the comma: atoi skips
// blanks there, but nothing before the column is read. Twelve triangles follow, so
// the count read decides how many the object gets.
TEST(ReadProblems, TheT3CountIsReadFromItsColumnOnly) {
    std::string triangles;
    for (int i = 0; i < 12; ++i) triangles += "0,0,0,1,0,0,0,1,0,\n";
    // Blanks between "T3" and "12": the count's column is 18 = 12 + 6.
    const std::pair<int, int32_t> placings[] = {{6, 12}, {7, 12}, {5, 2}, {4, 0}};
    for (const auto& [blanks, count] : placings) {
        const std::string tagLine = "\"Tavrin\"  T3" + std::string(static_cast<size_t>(blanks), ' ') + "12,";
        SCOPED_TRACE(tagLine);
        SceneModel scene;
        EXPECT_EQ(ReadSceneText(scene, tagLine + "\n1,255,255,\nT,\n" + triangles, nullptr).Status(), kStatusOk);
        EXPECT_EQ(scene.elementCounts, std::vector<int32_t>{count});
    }
}

// Shortens the file to `length` bytes when the progress bar of its first section is
// shown, as another program might while the file is read.
struct Truncating : SceneLoadObserver {
    std::string path;
    off_t length;
    Truncating(std::string p, off_t l) : path(std::move(p)), length(l) {}
    void ProgressShown(std::string_view) override {
        if (length >= 0) {
            EXPECT_EQ(truncate(path.c_str(), std::exchange(length, -1)), 0);
        }
    }
};

TEST(ReadProblems, AFileCutShortWhileItIsReadFailsTheLoadWithTheLineWhereItNowEnds) {
    const Folder dir;
    constexpr int kPoints = 100000;  // enough to be read by several workers
    const std::string header = "\"Tavrin\"\n" + TagLine("PTS", kPoints) + "255,\nP,\nx\n";  // lines 1 to 5
    std::string text = header;
    for (int i = 0; i < kPoints; ++i) text += "1,2,3\n";  // point i on line 6 + i
    // Cut inside point 50000, which now ends the file on line 50006; cut by the last
    // two bytes only, within the last page, where no lost page is ever touched.
    const std::pair<size_t, int64_t> cuts[] = {{header.size() + 6 * 50000 + 3, 50006},
                                               {text.size() - 2, 5 + kPoints}};
    for (const auto& [length, line] : cuts) {
        for (const int workers : {1, 4}) {
            SCOPED_TRACE(std::to_string(length) + " bytes left, workers " + std::to_string(workers));
            const std::string path = dir.Write("cut.KDX", text);
            Truncating observer(path, static_cast<off_t>(length));
            SceneModel scene;
            const SceneReadResult read = ReadSceneFile(scene, path, &observer, workers);
            ASSERT_EQ(observer.length, -1) << "the file was cut";
            EXPECT_EQ(Reason(read), std::tuple(ReadProblem::CutShort, line));
            EXPECT_TRUE(read.cutShort);
            ViewState view;
            EXPECT_EQ(CompleteSceneLoad(scene, view, read, false), kStatusFail) << "not what was there";
        }
    }
    // Untouched, the same file reads in full.
    SceneModel scene;
    const SceneReadResult whole = ReadSceneFile(scene, dir.Write("whole.KDX", text), nullptr);
    EXPECT_EQ(std::tuple(whole.problem, whole.cutShort, whole.Status()), std::tuple(ReadProblem::None, false, kStatusOk));
    EXPECT_EQ(scene.totalVertexCount, kPoints);
}

}  // namespace
}  // namespace talan
