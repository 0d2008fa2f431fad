// talan3d --info as a user runs it: the JSON document, exit statuses and usage errors.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <tuple>
#include <utility>

#include "TestHelpers.h"

namespace talan {
namespace {

// Runs the program with `arguments` (already quoted for the shell): its exit status and standard output.
std::pair<int, std::string> RunTalan3d(const std::string& arguments) {
    FILE* pipe = popen((std::string(TALAN3D_EXECUTABLE) + " " + arguments + " 2>/dev/null").c_str(), "r");
    std::string out;
    char buffer[4096];
    for (size_t got; pipe != nullptr && (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, got);
    const int raw = pipe != nullptr ? pclose(pipe) : -1;
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, out};
}

// Files are named after the test too, so that tests running side by side never share one.
std::string WriteFile(const std::string& name, std::string_view content) {
    const std::string path = ::testing::TempDir() + "/" +
                             ::testing::UnitTest::GetInstance()->current_test_info()->name() + "_" + name;
    std::ofstream(path, std::ios::binary) << content;
    return path;
}

TEST(InfoCommand, TheExampleSceneAsJsonAndAsATable) {
    const std::string path = WriteFile("example.KDX", testing::kExampleScene);
    const auto [status, out] = RunTalan3d("--info --json " + path);
    EXPECT_EQ(status, 0);
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
        "\"firstVertex\": 0, \"visible\": true, \"transparent\": false, \"menuId\": 5000, \"transparencyMenuId\": 10000, \"format\": \"scene file\", \"values\": []},\n"
        "    {\"index\": 1, \"name\": \"Ramp\", \"kind\": \"LIN\", \"elementCount\": 1, \"verticesPerElement\": 2, "
        "\"firstVertex\": 6, \"visible\": true, \"transparent\": false, \"menuId\": 5002, \"transparencyMenuId\": null, \"format\": \"scene file\", \"values\": []}\n"
        "  ]\n"
        "}\n";
    EXPECT_EQ(out, expected);
    // The plain table, and a usage error.
    const auto [plainStatus, plain] = RunTalan3d("--info " + path);
    EXPECT_EQ(plainStatus, 0);
    EXPECT_TRUE(plain.find("Pit floor") != std::string::npos && plain.find("far plane 2000") != std::string::npos) << plain;
    EXPECT_EQ(RunTalan3d("--info --bogus " + path).first, 2);
}

TEST(InfoCommand, VerticesNamesAndNonFiniteValuesAreWrittenAsJsonCanHoldThem) {
    // A Windows-1252 name (0x80 is the euro sign there, a C1 control in Latin-1), a
    // quote and a control character in another, an infinite point.
    const std::string path = WriteFile("odd.KDX", "\"Tavrin\"\n" + testing::TagLine("PTS", 1) +
                                                      "255,\nA\xF1o\x80 \"q\"\x01,\nskip\n1e39,0.1,-0\n");
    const std::string out = RunTalan3d("--info --json --vertices " + path).second;
    EXPECT_NE(out.find("\"name\": \"A\xC3\xB1o\xE2\x82\xAC \\\"q\\\"\\u0001\""), std::string::npos) << out;
    EXPECT_NE(out.find("[\"Infinity\", -0, 0.1, 0, 0, 0, 1, 0, 0, 1]"), std::string::npos) << out;
    EXPECT_NE(out.find("\"farPlane\": 2147483647"), std::string::npos) << out;
}

TEST(InfoCommand, StatusOfEachLoadAndTheExitStatus) {
    const std::string good = WriteFile("good.KDX", testing::kExampleScene);
    const std::string empty = WriteFile("empty.KDX", "\"Tavrin\"\n");
    const std::string refused = WriteFile("refused.KDX", "\"Tavrin\"\n" + testing::TagLine("T3", -1));
    const auto [status, out] = RunTalan3d("--info --json " + empty + " /nonexistent.KDX " + good + " " + refused);
    EXPECT_EQ(status, 1);
    EXPECT_NE(out.find("\"status\": -2147024809}, {\"path\": \"/nonexistent.KDX\", \"status\": -2147467259}"), std::string::npos)
        << out;
    // The refused section's file still completes its load: the camera is fitted again.
    EXPECT_NE(out.find(refused + "\", \"status\": -2147467259}]"), std::string::npos) << out;
    EXPECT_NE(out.find("\"objectCount\": 2"), std::string::npos);
    // An empty scene alone leaves the camera unfitted.
    const auto [aloneStatus, alone] = RunTalan3d("--info --json " + empty);
    EXPECT_EQ(std::tuple(aloneStatus, alone.find("\"camera\": null") != std::string::npos), std::tuple(1, true));
}

}  // namespace
}  // namespace talan
