// talan3d --info as a user runs it: the JSON document, exit statuses and usage errors.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <string>

#include "TestHelpers.h"

namespace talan {
namespace {

struct ProcessRun {
    int status;
    std::string out;
};

// Runs the program with `arguments` (already quoted for the shell), stdout only.
ProcessRun RunTalan3d(const std::string& arguments) {
    const std::string command = std::string(TALAN3D_EXECUTABLE) + " " + arguments + " 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    ProcessRun run{-1, {}};
    if (pipe == nullptr) return run;
    std::array<char, 4096> buffer;
    size_t got;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) run.out.append(buffer.data(), got);
    const int raw = pclose(pipe);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return run;
}

// Files are named after the test too, so that tests running side by side never share one.
std::string WriteFile(const std::string& name, std::string_view content) {
    const std::string path = ::testing::TempDir() + "/" +
                             ::testing::UnitTest::GetInstance()->current_test_info()->name() + "_" + name;
    std::ofstream(path, std::ios::binary) << content;
    return path;
}

TEST(InfoCommand, JsonOfTheExampleSceneGivesObjectsMenuIdsAndTheFit) {
    const std::string path = WriteFile("example.KDX", testing::kExampleScene);
    const ProcessRun run = RunTalan3d("--info --json " + path);
    EXPECT_EQ(run.status, 0);
    const std::string expected =
        "{\n"
        "  \"loads\": [{\"path\": \"" + path + "\", \"status\": 0}],\n"
        "  \"objectCount\": 2,\n"
        "  \"kindCount\": {\"T3\": 1, \"LIN\": 1, \"SUP\": 0, \"BLKKDX\": 0, \"PTS\": 0, \"SONKDX\": 0},\n"
        "  \"totalVertexCount\": 8,\n"
        "  \"boundsFromFile\": true,\n"
        "  \"boundsMin\": [990, 1990, 290], \"boundsMax\": [1010, 2010, 310],\n"
        "  \"camera\": {\"target\": [1000, 2000, 300], \"sceneSize\": 20, \"distance\": 40,\n"
        "             \"pitch\": 45, \"yaw\": 0, \"farPlane\": 2000},\n"
        "  \"objects\": [\n"
        "    {\"index\": 0, \"name\": \"Pit floor\", \"kind\": \"T3\", \"elementCount\": 2, \"verticesPerElement\": 3, "
        "\"firstVertex\": 0, \"visible\": true, \"transparent\": false, \"menuId\": 5000, \"transparencyMenuId\": 10000},\n"
        "    {\"index\": 1, \"name\": \"Ramp\", \"kind\": \"LIN\", \"elementCount\": 1, \"verticesPerElement\": 2, "
        "\"firstVertex\": 6, \"visible\": true, \"transparent\": false, \"menuId\": 5002, \"transparencyMenuId\": null}\n"
        "  ]\n"
        "}\n";
    EXPECT_EQ(run.out, expected);
}

TEST(InfoCommand, VerticesNamesAndNonFiniteValuesAreWrittenAsJsonCanHoldThem) {
    // A Windows-1252 name (0x80 is the euro sign there, a C1 control in Latin-1), a
    // quote and a control character in another, an infinite point.
    const std::string path = WriteFile("odd.KDX", "\"Tavrin\"\n" + testing::TagLine("PTS", 1) +
                                                      "255,\nA\xF1o\x80 \"q\"\x01,\nskip\n1e39,0.1,-0\n");
    const ProcessRun run = RunTalan3d("--info --json --vertices " + path);
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("\"name\": \"A\xC3\xB1o\xE2\x82\xAC \\\"q\\\"\\u0001\""), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("[\"Infinity\", -0, 0.1, 0, 0, 0, 1, 0, 0, 1]"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\"farPlane\": 2147483647"), std::string::npos) << run.out;
}

TEST(InfoCommand, StatusOfEachLoadAndTheExitStatus) {
    const std::string good = WriteFile("good.KDX", testing::kExampleScene);
    const std::string empty = WriteFile("empty.KDX", "\"Tavrin\"\n");
    const std::string refused = WriteFile("refused.KDX", "\"Tavrin\"\n" + testing::TagLine("T3", -1));
    const ProcessRun run = RunTalan3d("--info --json " + empty + " /nonexistent.KDX " + good + " " + refused);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("\"status\": -2147024809}, {\"path\": \"/nonexistent.KDX\", \"status\": -2147467259}"),
              std::string::npos)
        << run.out;
    // The refused section's file still completes its load: the camera is fitted again.
    EXPECT_NE(run.out.find(refused + "\", \"status\": -2147467259}]"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\"objectCount\": 2"), std::string::npos);

    // An empty scene alone leaves the camera unfitted.
    const ProcessRun alone = RunTalan3d("--info --json " + empty);
    EXPECT_EQ(alone.status, 1);
    EXPECT_NE(alone.out.find("\"camera\": null"), std::string::npos);
}

TEST(InfoCommand, PlainOutputAndUsage) {
    const std::string path = WriteFile("example.KDX", testing::kExampleScene);
    const ProcessRun plain = RunTalan3d("--info " + path);
    EXPECT_EQ(plain.status, 0);
    EXPECT_NE(plain.out.find("Pit floor"), std::string::npos);
    EXPECT_NE(plain.out.find("far plane 2000"), std::string::npos);
    EXPECT_EQ(RunTalan3d("--info").status, 2);
    EXPECT_EQ(RunTalan3d("--info --bogus " + path).status, 2);
    EXPECT_EQ(RunTalan3d("--help").status, 0);
    EXPECT_EQ(RunTalan3d("--version").status, 0);
}

}  // namespace
}  // namespace talan
