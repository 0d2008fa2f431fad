// One picture test: runs a command that draws a picture, then compares the picture
// with its committed baseline within a stated tolerance.
//
//   picture_test NAME BASELINE OUT_DIR SHARE LEVEL REQUIRE_GL -- PROGRAM ARGUMENT...
//
// Every argument "@PICTURE@" of the command becomes OUT_DIR/NAME.png. A pixel differs
// when one of its colour channels is more than LEVEL (0 to 255) away from the
// baseline's; the test passes when at most SHARE (0 to 1) of the pixels differ and
// the sizes agree. On a mismatch the new picture stays in OUT_DIR beside
// NAME.diff.png, which shows the differing pixels in red over a faded baseline. A
// missing baseline is written from the new picture and the test fails, so that a new
// baseline is always looked at before it is committed.
//
// Exit status: 0 passed, 1 failed, 77 skipped (the command found no OpenGL context,
// its exit status 3, and REQUIRE_GL is 0).
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <QColor>
#include <QImage>

extern char** environ;

namespace {

constexpr int kNoOpenGlStatus = 3;  // talan3d's exit status when no context can be had
constexpr int kSkipped = 77;

int Fail(const QString& message) {
    std::fprintf(stderr, "%s\n", qPrintable(message));
    return 1;
}

// Runs the command and returns its exit status (-1 when it did not start or did not exit normally).
int Run(std::vector<std::string> command) {
    std::vector<char*> argv;
    for (std::string& word : command) argv.push_back(word.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    int raw = 0;
    if (posix_spawn(&child, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
    return waitpid(child, &raw, 0) == child && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 9 || std::string(argv[7]) != "--") {
        std::fprintf(stderr, "usage: picture_test NAME BASELINE OUT_DIR SHARE LEVEL REQUIRE_GL -- PROGRAM ARG...\n");
        return 2;
    }
    const QString name = argv[1], baselinePath = argv[2], picturePath = QString(argv[3]) + "/" + name + ".png";
    const QString diffPath = QString(argv[3]) + "/" + name + ".diff.png";
    const double share = std::atof(argv[4]);
    const int level = std::atoi(argv[5]);
    std::remove(qPrintable(picturePath));
    std::remove(qPrintable(diffPath));

    std::vector<std::string> command(argv + 8, argv + argc);
    std::replace(command.begin(), command.end(), std::string("@PICTURE@"), picturePath.toStdString());
    const int status = Run(command);
    if (status == kNoOpenGlStatus && std::atoi(argv[6]) == 0) {
        std::printf("skipped: no OpenGL context here\n");
        return kSkipped;
    }
    if (status != 0) return Fail(QString("the command ended with status %1").arg(status));

    QImage picture, baseline;
    if (!picture.load(picturePath)) return Fail("no picture at " + picturePath);
    picture = picture.convertToFormat(QImage::Format_RGB32);
    if (!baseline.load(baselinePath)) {
        if (!picture.save(baselinePath)) return Fail("cannot write " + baselinePath);
        return Fail("no baseline: " + baselinePath + " is now the new picture; look at it before committing it");
    }
    baseline = baseline.convertToFormat(QImage::Format_RGB32);
    if (baseline.size() != picture.size()) return Fail("the picture and its baseline differ in size: " + picturePath);

    QImage diff(picture.size(), QImage::Format_RGB32);
    long long differing = 0;
    int largest = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb now = picture.pixel(x, y), before = baseline.pixel(x, y);
            const int d = std::max({std::abs(qRed(now) - qRed(before)), std::abs(qGreen(now) - qGreen(before)),
                                    std::abs(qBlue(now) - qBlue(before))});
            const int faded = qGray(before) / 3 + 170;
            diff.setPixel(x, y, d > level ? qRgb(255, 0, 0) : qRgb(faded, faded, faded));
            largest = std::max(largest, d);
            differing += d > level ? 1 : 0;
        }
    }
    const long long pixels = static_cast<long long>(picture.width()) * picture.height();
    std::printf("%s: %lld of %lld pixels differ by more than %d (largest difference %d)\n", qPrintable(name), differing,
                pixels, level, largest);
    if (static_cast<double>(differing) / static_cast<double>(pixels) <= share) {
        std::remove(qPrintable(picturePath));
        return 0;
    }
    diff.save(diffPath);
    return Fail("the picture differs from its baseline; see " + picturePath + " and " + diffPath);
}
