// talan3d: viewer of 3D geological and mining scene files.
#include <cstdio>
#include <string>
#include <vector>

#include "shell/InfoCommand.h"

namespace {

constexpr char kVersion[] = "1.0";

void PrintUsage(std::FILE* out) {
    std::fprintf(out,
                 "Usage: talan3d --info [--json] [--vertices] [--smooth] [--] FILE...\n"
                 "       talan3d --help | --version\n"
                 "\n"
                 "  --info      read scene files (.KDX) one after the other into one scene, as\n"
                 "              \"Open (Add)\" does, and print the objects, bounds and camera fit\n"
                 "  --json      print the scene as a JSON document instead of a table\n"
                 "  --vertices  also print every vertex\n"
                 "  --smooth    smooth the normals of triangulated surfaces, as\n"
                 "              \"Smooth T3 wend open\" does\n"
                 "  --          end of options: every later argument is a file\n"
                 "\n"
                 "Exit status: 0 when every file was read, 1 when one failed, 2 on a usage error.\n");
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        std::fprintf(stderr, "talan3d: no command given; try 'talan3d --help'\n");
        return 2;
    }
    const std::string& mode = args[0];
    if (mode == "--help" || mode == "-h") {
        PrintUsage(stdout);
        return 0;
    }
    if (mode == "--version") {
        std::printf("Talan 3D %s\n", kVersion);
        return 0;
    }
    if (mode == "--info") {
        talan::InfoOptions options;
        std::string error;
        if (!talan::ParseInfoArguments(std::vector<std::string>(args.begin() + 1, args.end()), options, error)) {
            std::fprintf(stderr, "talan3d: %s; try 'talan3d --help'\n", error.c_str());
            return 2;
        }
        return talan::RunInfoCommand(options, stdout, stderr);
    }
    std::fprintf(stderr, "talan3d: unknown command '%s'; try 'talan3d --help'\n", mode.c_str());
    return 2;
}
