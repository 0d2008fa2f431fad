// talan3d --render and --pick as a user runs them: the picture or the point, the exit
// statuses, and that the picture is the only file written.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include <QImage>

#include "TestHelpers.h"

namespace talan {
namespace {

namespace fs = std::filesystem;

struct Outcome {
    int status;
    std::string err, out;
};

// Each test runs the program in a fresh directory of its own, on the example scene.
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
    void TearDown() override {
        for (const char* suffix : {"", ".out", ".err"}) fs::remove_all(directory_.string() + suffix);
        fs::remove(scene_);
    }

    // Runs `program` with `arguments` in the directory; its output is kept beside it.
    Outcome Run(const std::string& arguments, const std::string& program = TALAN3D_EXECUTABLE, const std::string& environment = "") {
        const std::string name = directory_.string() + ".";
        const int raw = std::system(("cd '" + directory_.string() + "' && " + environment + " '" + program + "' " + arguments +
                                     " >'" + name + "out' 2>'" + name + "err'").c_str());
        std::ifstream err(name + "err"), out(name + "out");
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, std::string(std::istreambuf_iterator<char>(err), {}),
                std::string(std::istreambuf_iterator<char>(out), {})};
    }
    std::vector<std::string> Files() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(directory_)) names.push_back(entry.path().filename().string());
        return names;
    }
    fs::path directory_;
    std::string scene_;
};

TEST_F(RenderCommandTest, WritesOnlyThePictureOfTheRequestedSizeOrOnFailureNothing) {
    const Outcome run = Run("--render out.png --size 64x48 --background 0,0,1 " + scene_);
    if (run.status == 3) TALAN_WITHOUT_GL() << "no OpenGL here: " << run.err;
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Files(), std::vector<std::string>{"out.png"});
    QImage picture;
    ASSERT_TRUE(picture.load(QString::fromStdString((directory_ / "out.png").string())));
    EXPECT_EQ(std::tuple(picture.size(), picture.hasAlphaChannel()), std::tuple(QSize(64, 48), false));
    EXPECT_EQ(picture.pixelColor(0, 0), QColor(0, 0, 255)) << "the background fills the corners";
    EXPECT_NE(picture.pixelColor(32, 24), QColor(0, 0, 255)) << "the fitted scene covers the centre";
    fs::remove(directory_ / "out.png");

    // Failures give their exit status and write nothing.
    const Outcome unreadable = Run("--render out.png /nonexistent.KDX"), noObject = Run("--render out.png --hide 7 " + scene_);
    EXPECT_EQ(std::tuple(unreadable.status, noObject.status), std::tuple(1, 2));
    EXPECT_NE(unreadable.err.find("Error en la lectura del fichero."), std::string::npos) << unreadable.err;
    EXPECT_NE(noObject.err.find("no object 7"), std::string::npos) << noObject.err;
    const Outcome noValue = Run("--render out.png --color-by Au --colormap plasma " + scene_);
    EXPECT_EQ(noValue.status, 2);
    EXPECT_EQ(noValue.err, "talan3d: no object of the scene carries the value 'Au' (it carries no values)\n");
    EXPECT_EQ(std::tuple(Run("--render out.png").status, Run("--render out.png --cull sideways " + scene_).status,
                         Run("--render out.png --size 0x10 " + scene_).status),
              std::tuple(2, 2, 2));

    // No EGL driver at all, or a copy of the program with no effect file beside it, run
    // where there is none: the program says it cannot draw.
    const Outcome noDriver = Run("--render out.png " + scene_, TALAN3D_EXECUTABLE, "__EGL_VENDOR_LIBRARY_FILENAMES=/nonexistent");
    EXPECT_EQ(std::tuple(noDriver.status, noDriver.err.find("OpenGL") != std::string::npos), std::tuple(3, true)) << noDriver.err;
    const fs::path lonely = directory_ / "talan3d";
    fs::copy_file(TALAN3D_EXECUTABLE, lonely);
    const Outcome noEffect = Run("--render out.png " + scene_, lonely.string());
    EXPECT_EQ(noEffect.status, 3);
    EXPECT_NE(noEffect.err.find("Open Talan3D.fx failed with error 2: No such file or directory"), std::string::npos) << noEffect.err;
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
    const auto pick = [&](const std::string& arguments) { return Run("--pick " + arguments + " --size 160x120 " + scene); };
    const Outcome floor = pick("80,60");
    if (floor.status == 3) TALAN_WITHOUT_GL() << "no OpenGL here: " << floor.err;
    ASSERT_EQ(floor.status, 0) << floor.err;
    EXPECT_NE(floor.out.find("\"object\": 0, \"name\": \"Floor\", \"kind\": \"T3\""), std::string::npos) << floor.out;
    const std::string point = "\"hit\": true, \"point\": [";
    double x = 0, y = 0, z = 0;
    ASSERT_EQ(std::sscanf(floor.out.c_str() + floor.out.find(point) + point.size(), "%lf, %lf, %lf", &x, &y, &z), 3) << floor.out;
    EXPECT_NEAR(z, 123.25, 1e-9);
    EXPECT_NEAR(x, 0.0, 0.2);
    EXPECT_NEAR(y, -8.25, 0.3) << "the ray from the camera, south of the middle at 45 degrees";
    const std::string block = pick("80,60 --hide 0").out;
    EXPECT_NE(block.find("\"object\": 1, \"name\": \"Bloques\", \"kind\": \"BLKKDX\", \"element\": 2"), std::string::npos) << block;
    EXPECT_EQ(std::tuple(pick("0,0").out, pick("160,0").status), std::tuple("{\"hit\": false}\n", 2)) << "160,0 is outside";
    EXPECT_EQ(Files(), (std::vector<std::string>{"pick.KDX"})) << "no picture is written";
}

// A pixel outside the picture and an object number the scene does not have are usage
// errors (exit status 2); the last pixel and the last object are not. The example
// scene has objects 0 and 1.
TEST_F(RenderCommandTest, PixelsAndObjectNumbersAreCheckedAgainstThePictureAndTheScene) {
    const auto pick = [&](const std::string& arguments) { return Run("--pick " + arguments + " " + scene_); };
    const Outcome corner = pick("159,119 --size 160x120");
    if (corner.status == 3) TALAN_WITHOUT_GL() << "no OpenGL here: " << corner.err;
    ASSERT_EQ(corner.status, 0) << corner.err;
    const std::pair<const char*, int> cases[] = {
        {"160,119 --size 160x120", 2}, {"159,120 --size 160x120", 2}, {"-1,0", 2},  {"0,-1", 2},
        {"0,0 --hide 0", 0},           {"0,0 --hide 1", 0},           {"0,0 --hide 2", 2}, {"0,0 --hide -1", 2},
        {"0,0 --hide 1,2", 2},         {"0,0 --transparent 2", 2},    {"0,0 --transparent 0,1", 0},
    };
    for (const auto& [arguments, status] : cases) {
        const Outcome run = pick(arguments);
        EXPECT_EQ(run.status, status) << arguments << ": " << run.err;
    }
    EXPECT_NE(pick("0,0 --hide 2").err.find("the scene has no object 2 (it has 2)"), std::string::npos);
    EXPECT_NE(pick("160,0 --size 160x120").err.find("the pixel 160,0 is outside the 160x120 picture"),
              std::string::npos);
}

// The axes triad and the scale bar are drawn over the picture's bottom corners unless
// --no-overlay leaves them out; "--command overlay" after it brings them back.
TEST_F(RenderCommandTest, TheOverlayIsOnByDefaultAndOnlyInTheBottomCorners) {
    const auto picture = [&](const std::string& arguments) {
        const Outcome run = Run("--render out.png --size 400x300 " + arguments + " " + scene_);
        if (run.status == 3) return QImage();
        EXPECT_EQ(run.status, 0) << run.err;
        QImage image;
        EXPECT_TRUE(image.load(QString::fromStdString((directory_ / "out.png").string())));
        return image;
    };
    const QImage with = picture(""), without = picture("--no-overlay"), back = picture("--no-overlay --command overlay");
    if (with.isNull()) TALAN_WITHOUT_GL() << "no OpenGL here";
    ASSERT_EQ(std::tuple(with.size(), without.size()), std::tuple(QSize(400, 300), QSize(400, 300)));
    EXPECT_TRUE(back == with);
    int left = 0, right = 0, elsewhere = 0;
    for (int y = 0; y < 300; ++y) {
        for (int x = 0; x < 400; ++x) {
            if (with.pixel(x, y) == without.pixel(x, y)) continue;
            if (y >= 300 - 140 && x < 140) {
                ++left;
            } else if (y >= 300 - 70 && x >= 400 - 180) {
                ++right;
            } else {
                ++elsewhere;
            }
        }
    }
    EXPECT_GT(left, 200) << "the triad";
    EXPECT_GT(right, 200) << "the scale bar and its length";
    EXPECT_EQ(elsewhere, 0);
}

// An input script is read before anything is drawn: one that cannot be read or has a
// wrong line is a usage error that names the file and the line; a press outside the
// picture is one too.
TEST_F(RenderCommandTest, AnInputScriptsMistakesAreUsageErrorsNamingTheLine) {
    std::ofstream(directory_ / "bad.txt") << "# a key the window keeps for itself\nkey Escape\n";
    std::ofstream(directory_ / "outside.txt") << "press left 10 120\n";
    const Outcome bad = Run("--render out.png --input bad.txt " + scene_);
    const Outcome missing = Run("--render out.png --input none.txt " + scene_);
    EXPECT_EQ(std::tuple(bad.status, missing.status), std::tuple(2, 2));
    EXPECT_NE(bad.err.find("bad.txt, line 2: Escape leaves full screen"), std::string::npos) << bad.err;
    EXPECT_NE(missing.err.find("cannot read the input script none.txt"), std::string::npos) << missing.err;
    const Outcome outside = Run("--pick 0,0 --size 160x120 --input outside.txt " + scene_);
    if (outside.status == 3) TALAN_WITHOUT_GL() << "no OpenGL here: " << outside.err;
    EXPECT_EQ(outside.status, 2);
    EXPECT_NE(outside.err.find("line 1: the pixel 10,120 is outside the 160x120 picture"), std::string::npos) << outside.err;
    EXPECT_FALSE(fs::exists(directory_ / "out.png")) << "no picture is written";
}

}  // namespace
}  // namespace talan
