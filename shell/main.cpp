// talan3d: viewer of 3D geological and mining scene files.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "shell/CommandLine.h"
#include "shell/InfoCommand.h"
#include "shell/RenderCommand.h"
#include "shell/Viewer.h"

namespace {

constexpr char kVersion[] = "1.0";

// The running program's own path, to find files installed beside it.
std::string ExecutablePath(const char* argv0) {
    std::error_code ec;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string(argv0) : self.string();
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    talan::CommandLine line;
    if (const talan::Failure failure = talan::ParseCommandLine(args, line); failure.Failed()) {
        std::fprintf(stderr, "talan3d: %s; try 'talan3d --help'\n", failure.message.c_str());
        return talan::ExitStatus(failure.kind);
    }
    switch (line.mode) {
        case talan::Mode::Help: std::fputs(talan::HelpText().c_str(), stdout); return 0;
        case talan::Mode::Version: std::printf("Talan 3D %s\n", kVersion); return 0;
        case talan::Mode::Info: return talan::RunInfoCommand(line, stdout, stderr);
        case talan::Mode::Render:
        case talan::Mode::Pick: return talan::RunRenderCommand(line, ExecutablePath(argv[0]), stdout, stderr);
        case talan::Mode::Viewer: break;
    }
    return talan::RunViewer(argc, argv, talan::ViewerFiles(line));
}
