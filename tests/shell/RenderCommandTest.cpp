// talan3d --render as a user runs it: the picture, the exit statuses, and that the
// picture is the only file written.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <filesystem>
#include <cstdio>
#include <fstream>
#include <string>

#include <QImage>

#include "TestHelpers.h"

namespace talan {
namespace {

namespace fs = std::filesystem;

struct Outcome {
    int status;
    std::string err;
    std::string out;
};

// Runs `program` with `arguments` in `directory`, keeping stderr.
Outcome RunProgram(const std::string& directory, const std::string& arguments, const std::string& program = TALAN3D_EXECUTABLE,
            const std::string& environment = "") {
    // Named after the test, so that tests running side by side keep their own output.
    const std::string name = ::testing::TempDir() + "/" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    const std::string command = "cd '" + directory + "' && " + environment + " '" + program + "' " + arguments + " >'" +
                                name + "_out.txt' 2>'" + name + "_err.txt'";
    const int raw = std::system(command.c_str());
    std::ifstream err(name + "_err.txt"), out(name + "_out.txt");
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, std::string(std::istreambuf_iterator<char>(err), {}),
            std::string(std::istreambuf_iterator<char>(out), {})};
}

class RenderCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        directory_ = fs::path(::testing::TempDir()) / ("render_" + test + "_" + std::to_string(::getpid()));
        fs::remove_all(directory_);
        fs::create_directories(directory_);
        scene_ = (fs::path(::testing::TempDir()) / ("render_" + test + ".KDX")).string();
        std::ofstream(scene_, std::ios::binary) << testing::kExampleScene;
    }
    void TearDown() override { fs::remove_all(directory_); }

    std::vector<std::string> Files() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(directory_)) names.push_back(entry.path().filename().string());
        return names;
    }
    fs::path directory_;
    std::string scene_;
};

TEST_F(RenderCommandTest, WritesOnlyThePictureOfTheRequestedSize) {
    const Outcome run = RunProgram(directory_.string(), "--render out.png --size 64x48 --background 0,0,1 " + scene_);
    if (run.status == 3) TALAN_WITHOUT_GL() << "no OpenGL here: " << run.err;
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Files(), std::vector<std::string>{"out.png"});
    QImage picture;
    ASSERT_TRUE(picture.load(QString::fromStdString((directory_ / "out.png").string())));
    EXPECT_EQ(picture.size(), QSize(64, 48));
    EXPECT_FALSE(picture.hasAlphaChannel());
    EXPECT_EQ(picture.pixelColor(0, 0), QColor(0, 0, 255)) << "the background fills the corners";
    EXPECT_NE(picture.pixelColor(32, 24), QColor(0, 0, 255)) << "the fitted scene covers the centre";
}

TEST_F(RenderCommandTest, FailuresGiveTheirExitStatusAndWriteNothing) {
    const Outcome probe = RunProgram(directory_.string(), "--render probe.png --size 8x8 " + scene_);
    if (probe.status == 3) TALAN_WITHOUT_GL() << "no OpenGL here: " << probe.err;
    fs::remove(directory_ / "probe.png");

    const Outcome unreadable = RunProgram(directory_.string(), "--render out.png /nonexistent.KDX");
    EXPECT_EQ(unreadable.status, 1);
    EXPECT_NE(unreadable.err.find("Error en la lectura del fichero."), std::string::npos) << unreadable.err;

    const Outcome noObject = RunProgram(directory_.string(), "--render out.png --hide 7 " + scene_);
    EXPECT_EQ(noObject.status, 2);
    EXPECT_NE(noObject.err.find("no object 7"), std::string::npos) << noObject.err;

    EXPECT_EQ(RunProgram(directory_.string(), "--render out.png").status, 2);
    EXPECT_EQ(RunProgram(directory_.string(), "--render out.png --cull sideways " + scene_).status, 2);
    EXPECT_EQ(RunProgram(directory_.string(), "--render out.png --size 0x10 " + scene_).status, 2);

    // No EGL driver at all: the program says it cannot draw.
    const Outcome noDriver =
        RunProgram(directory_.string(), "--render out.png " + scene_, TALAN3D_EXECUTABLE, "__EGL_VENDOR_LIBRARY_FILENAMES=/nonexistent");
    EXPECT_EQ(noDriver.status, 3);
    EXPECT_NE(noDriver.err.find("OpenGL"), std::string::npos) << noDriver.err;

    // A copy of the program with no effect file beside it, run where there is none.
    const fs::path lonely = directory_ / "talan3d";
    fs::copy_file(TALAN3D_EXECUTABLE, lonely);
    const Outcome noEffect = RunProgram(directory_.string(), "--render out.png " + scene_, lonely.string());
    EXPECT_EQ(noEffect.status, 3);
    EXPECT_NE(noEffect.err.find("Open Talan3D.fx failed with error 2: No such file or directory"), std::string::npos)
        << noEffect.err;
    fs::remove(lonely);
    EXPECT_TRUE(Files().empty());
}

TEST_F(RenderCommandTest, PickReportsThePointAndTheElementUnderAPixel) {
    // A flat surface at elevation 123.25 over the whole area, and three blocks, the
    // third at the middle of the bounds, which the camera looks at.
    const std::string scene = (directory_ / "pick.KDX").string();
    std::ofstream(scene, std::ios::binary) << "\"Tavrin\"  MAX\n10,-10\n10,-10\n130,100\n" << testing::TagLine("T3", 2)
                                           << "1,255,255,\nFloor,\n-10,-10,123.25,10,-10,123.25,10,10,123.25,\n"
                                           << "-10,-10,123.25,10,10,123.25,-10,10,123.25,\n"
                                           << testing::TagLine("BLKKDX", 3) << "6,6,6,\nx\nx\n"
                                           << "-8,-8,105,255,\n8,8,105,255,\n0,0,115,65280,\n";
    const auto pick = [&](const std::string& arguments) {
        const Outcome run = RunProgram(directory_.string(), "--pick " + arguments + " " + scene);
        return std::make_pair(run, run.out);
    };
    const auto [floorRun, floor] = pick("80,60 --size 160x120");
    if (floorRun.status == 3) TALAN_WITHOUT_GL() << "no OpenGL here: " << floorRun.err;
    ASSERT_EQ(floorRun.status, 0) << floorRun.err;
    EXPECT_NE(floor.find("\"hit\": true"), std::string::npos) << floor;
    EXPECT_NE(floor.find("\"object\": 0, \"name\": \"Floor\", \"kind\": \"T3\""), std::string::npos) << floor;
    double x = 0, y = 0, z = 0;
    ASSERT_EQ(std::sscanf(floor.c_str() + floor.find("\"point\": [") + 10, "%lf, %lf, %lf", &x, &y, &z), 3) << floor;
    EXPECT_NEAR(z, 123.25, 1e-9);
    EXPECT_NEAR(x, 0.0, 0.2);
    EXPECT_NEAR(y, -8.25, 0.3) << "the ray from the camera, south of the middle at 45 degrees";

    const auto [blockRun, block] = pick("80,60 --size 160x120 --hide 0");
    EXPECT_NE(block.find("\"object\": 1, \"name\": \"Bloques\", \"kind\": \"BLKKDX\", \"element\": 2"),
              std::string::npos)
        << block;
    EXPECT_EQ(pick("0,0 --size 160x120").second, "{\"hit\": false}\n");
    EXPECT_EQ(pick("160,0 --size 160x120").first.status, 2) << "outside the picture";
    EXPECT_EQ(Files(), (std::vector<std::string>{"pick.KDX"})) << "no picture is written";
}

}  // namespace
}  // namespace talan
