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
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <QColor>
#include <QImage>

namespace {

constexpr int kNoOpenGlStatus = 3;  // talan3d's exit status when no context can be had
constexpr int kSkipped = 77;

int Fail(const char* format, const std::string& a, const std::string& b = {}) {
    std::fprintf(stderr, format, a.c_str(), b.c_str());
    std::fputc('\n', stderr);
    return 1;
}

// Runs the command and returns its exit status (-1 when it did not exit normally).
int Run(std::vector<std::string> command) {
    std::vector<char*> argv;
    for (std::string& word : command) argv.push_back(word.data());
    argv.push_back(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        execv(argv[0], argv.data());
        std::perror(argv[0]);
        _exit(127);
    }
    int raw = 0;
    if (child < 0 || waitpid(child, &raw, 0) != child) return -1;
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

int LargestChannelDifference(QRgb a, QRgb b) {
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 9 || std::string(argv[7]) != "--") {
        std::fprintf(stderr, "usage: picture_test NAME BASELINE OUT_DIR SHARE LEVEL REQUIRE_GL -- PROGRAM ARG...\n");
        return 2;
    }
    const std::string name = argv[1], baselinePath = argv[2], outDir = argv[3];
    const double share = std::atof(argv[4]);
    const int level = std::atoi(argv[5]);
    const bool requireGl = std::atoi(argv[6]) != 0;
    const std::string picturePath = outDir + "/" + name + ".png";
    const std::string diffPath = outDir + "/" + name + ".diff.png";
    std::remove(picturePath.c_str());
    std::remove(diffPath.c_str());

    std::vector<std::string> command(argv + 8, argv + argc);
    for (std::string& word : command) {
        if (word == "@PICTURE@") word = picturePath;
    }
    const int status = Run(command);
    if (status == kNoOpenGlStatus && !requireGl) {
        std::printf("skipped: no OpenGL context here\n");
        return kSkipped;
    }
    if (status != 0) return Fail("the command ended with status %s", std::to_string(status));

    QImage picture;
    if (!picture.load(QString::fromStdString(picturePath))) return Fail("no picture at %s", picturePath);
    picture = picture.convertToFormat(QImage::Format_RGB32);
    QImage baseline;
    if (!baseline.load(QString::fromStdString(baselinePath))) {
        if (!picture.save(QString::fromStdString(baselinePath))) return Fail("cannot write %s", baselinePath);
        return Fail("there was no baseline: %s is now the new picture; look at it before committing it",
                    baselinePath);
    }
    baseline = baseline.convertToFormat(QImage::Format_RGB32);
    if (baseline.size() != picture.size()) {
        return Fail("the picture %s differs in size from the baseline %s", picturePath, baselinePath);
    }

    QImage diff(picture.size(), QImage::Format_RGB32);
    long long differing = 0;
    int largest = 0;
    for (int y = 0; y < picture.height(); ++y) {
        const auto* now = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        const auto* before = reinterpret_cast<const QRgb*>(baseline.constScanLine(y));
        auto* out = reinterpret_cast<QRgb*>(diff.scanLine(y));
        for (int x = 0; x < picture.width(); ++x) {
            const int d = LargestChannelDifference(now[x], before[x]);
            largest = std::max(largest, d);
            const int faded = qGray(before[x]) / 3 + 170;
            out[x] = d > level ? qRgb(255, 0, 0) : qRgb(faded, faded, faded);
            differing += d > level ? 1 : 0;
        }
    }
    const long long pixels = static_cast<long long>(picture.width()) * picture.height();
    const double differingShare = static_cast<double>(differing) / static_cast<double>(pixels);
    std::printf("%s: %lld of %lld pixels differ by more than %d (largest difference %d)\n", name.c_str(), differing,
                pixels, level, largest);
    if (differingShare <= share) {
        std::remove(picturePath.c_str());
        return 0;
    }
    diff.save(QString::fromStdString(diffPath));
    return Fail("the picture differs from its baseline; see %s and %s", picturePath, diffPath);
}
