// talan3d: viewer of 3D geological and mining scene files.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "shell/InfoCommand.h"
#include "shell/RenderCommand.h"
#include "shell/Viewer.h"

namespace {

constexpr char kVersion[] = "1.0";

void PrintUsage(std::FILE* out) {
    std::fprintf(out,
                 "Usage: talan3d [--] [FILE]\n"
                 "       talan3d --info [--json] [--vertices] [--smooth] [--] FILE...\n"
                 "       talan3d --render OUT.png [options] [--] FILE...\n"
                 "       talan3d --pick X,Y [options] [--] FILE...\n"
                 "       talan3d --help | --version\n"
                 "\n"
                 "  (no mode)   open the viewer window on FILE, or ask for a file\n"
                 "  --info      read scene files (.KDX) one after the other into one scene, as\n"
                 "              \"Open (Add)\" does, and print the objects, bounds and camera fit\n"
                 "  --json      print the scene as a JSON document instead of a table\n"
                 "  --vertices  also print every vertex\n"
                 "  --smooth    smooth the normals of triangulated surfaces, as\n"
                 "              \"Smooth T3 wend open\" does\n"
                 "  --          end of options: every later argument is a file\n"
                 "\n"
                 "  --render    draw the files, loaded as \"Open (Add)\" does, into a PNG picture\n"
                 "              without a window; options:\n"
                 "    --size WxH             picture size (default 800x600)\n"
                 "    --size N               N pixels on the longer side; the scene's shape as the\n"
                 "                           camera sees it gives the other (a thumbnail)\n"
                 "    --background R,G,B     background colour, each 0 to 1 (default black)\n"
                 "    --yaw DEG, --pitch DEG turn the camera after it is fitted to the scene\n"
                 "    --smooth               smooth the normals of triangulated surfaces\n"
                 "    --wireframe            draw triangles as their edges\n"
                 "    --cull none|front|back remove front or back faces (default none)\n"
                 "    --transparent K,...    draw these objects transparent (numbers from 0)\n"
                 "    --hide K,...           leave these objects out\n"
                 "    --section AXIS,CENTRE,THICKNESS\n"
                 "                           draw only what lies within CENTRE +- THICKNESS/2\n"
                 "                           along AXIS (x, y or z, in file units)\n"
                 "  --pick      draw as --render does (the same options) and print, as JSON,\n"
                 "              what lies at pixel X,Y of the picture, counted from its top\n"
                 "              left corner: the point in file units, its object and element\n"
                 "\n"
                 "Exit status: 0 on success, 1 when a file could not be read, 2 on a usage error,\n"
                 "3 when no OpenGL context or effect file can be had (--render, --pick),\n"
                 "4 when the picture cannot be written.\n");
}

// The running program's own path, to find files installed beside it.
std::string ExecutablePath(const char* argv0) {
    std::error_code ec;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string(argv0) : self.string();
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) return talan::RunViewer(argc, argv, "");
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
    if (mode == "--render" || mode == "--pick") {
        talan::RenderOptions options;
        options.pick = mode == "--pick";
        std::string error;
        if (!talan::ParseRenderArguments(std::vector<std::string>(args.begin() + 1, args.end()), options, error)) {
            std::fprintf(stderr, "talan3d: %s; try 'talan3d --help'\n", error.c_str());
            return 2;
        }
        options.executablePath = ExecutablePath(argv[0]);
        return talan::RunRenderCommand(options, stdout, stderr);
    }
    if (mode.size() > 1 && mode[0] == '-' && mode != "--") {
        std::fprintf(stderr, "talan3d: unknown option '%s'; try 'talan3d --help'\n", mode.c_str());
        return 2;
    }
    // The viewer takes the rest of the command line whole, joined by single spaces, as
    // the scene file to open; "--" first lets a path start with a dash.
    std::string path;
    for (size_t i = mode == "--" ? 1 : 0; i < args.size(); ++i) path += (path.empty() ? "" : " ") + args[i];
    return talan::RunViewer(argc, argv, path);
}
