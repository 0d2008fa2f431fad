// talan3d --render as a user runs it: the picture, the exit statuses, and that the
// picture is the only file written.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <QImage>

#include "TestHelpers.h"
#include "shell/RenderCommand.h"

namespace talan {
namespace {

namespace fs = std::filesystem;

struct Outcome {
    int status;
    std::string err;
};

// Runs `program` with `arguments` in `directory`, keeping stderr.
Outcome RunProgram(const std::string& directory, const std::string& arguments, const std::string& program = TALAN3D_EXECUTABLE,
            const std::string& environment = "") {
    // Named after the test, so that tests running side by side keep their own output.
    const std::string errFile = ::testing::TempDir() + "/" +
                                ::testing::UnitTest::GetInstance()->current_test_info()->name() + "_err.txt";
    const std::string command = "cd '" + directory + "' && " + environment + " '" + program + "' " + arguments +
                                " >/dev/null 2>'" + errFile + "'";
    const int raw = std::system(command.c_str());
    std::ifstream in(errFile);
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, std::string(std::istreambuf_iterator<char>(in), {})};
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

TEST(RenderArguments, OptionsAreReadAsDocumented) {
    RenderOptions options;
    std::string error;
    ASSERT_TRUE(ParseRenderArguments({"pic.png", "--size", "160x120", "--background", "0.5,1,0", "--yaw", "30",
                                      "--pitch", "-10.5", "--cull", "back", "--transparent", "0,2", "--hide", "1",
                                      "--smooth", "--wireframe", "a.KDX", "--", "--b.KDX"},
                                     options, error))
        << error;
    EXPECT_EQ(options.output, "pic.png");
    EXPECT_EQ(options.width, 160);
    EXPECT_EQ(options.height, 120);
    EXPECT_EQ(options.background, (std::array<float, 3>{0.5f, 1, 0}));
    EXPECT_EQ(options.yaw, 30.0f);
    EXPECT_EQ(options.pitch, -10.5f);
    EXPECT_EQ(options.cull, CullMode::Back);
    EXPECT_EQ(options.transparent, (std::vector<int32_t>{0, 2}));
    EXPECT_EQ(options.hidden, (std::vector<int32_t>{1}));
    EXPECT_TRUE(options.smooth && options.wireframe);
    EXPECT_EQ(options.files, (std::vector<std::string>{"a.KDX", "--b.KDX"}));

    for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
             {"pic.png"}, {"pic.png", "a.KDX", "--size", "10"}, {"pic.png", "a.KDX", "--background", "2,0,0"},
             {"pic.png", "a.KDX", "--hide", "-1"}, {"pic.png", "a.KDX", "--yaw"}, {"pic.png", "a.KDX", "--bogus", "1"}}) {
        RenderOptions rejected;
        EXPECT_FALSE(ParseRenderArguments(bad, rejected, error)) << bad.back();
    }
}

}  // namespace
}  // namespace talan
