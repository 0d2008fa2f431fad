// make_sample_scenes: writes scene files of a generated open-pit mine.
//
//   make_sample_scenes [--scene open-pit|surface|blocks|drill-holes|drill-tables|all-kinds|tsurf|pit-lines]
//                      [--grid N] [--blocks N] [--holes N] [--intervals N] [--out FILE]
//                      [--ply FILE] [--no-max]
//
// The output depends only on the arguments: the same command always writes the same
// bytes. A summary of the sections goes to stderr. tsurf and pit-lines write GOCAD
// ASCII files instead of scene files.
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

#include "tools/SampleScenes.h"
#include "tools/SceneWriter.h"

namespace {

using talan::samples::IndexedMesh;
using talan::samples::SceneText;

constexpr const char* kUsage =
    "usage: make_sample_scenes [options]\n"
    "\n"
    "  --scene KIND   what to write (default open-pit):\n"
    "                   open-pit   topography, pit shell, ore lens, block model, drill\n"
    "                              holes, haul road and pit crest, contours, survey points\n"
    "                   surface    one topography of exactly 2*N*N triangles, each with its\n"
    "                              own colour (--grid 708 gives 1,002,528 triangles)\n"
    "                   blocks     one block model of exactly --blocks blocks\n"
    "                   drill-holes  --holes drill holes (default 5000), each its own\n"
    "                              section of 20 intervals, as databases export them\n"
    "                   drill-tables  collars.csv, surveys.csv and assays.csv in the\n"
    "                              folder --out: --holes curved holes (default 12) sharing\n"
    "                              --intervals intervals (default 1000)\n"
    "                   all-kinds  one small section of each of the six kinds\n"
    "                   tsurf      a GOCAD TSurf of exactly 2*N*N triangles with the\n"
    "                              property ELEV (default grid 224, file tsurf.ts)\n"
    "                   pit-lines  a GOCAD PLine of the pit crest and the haul road with\n"
    "                              the property CHAINAGE (file pit_lines.pl)\n"
    "  --grid N       topography cells per side (default 80 for open-pit, 224 for\n"
    "                 surface and tsurf, 6 for all-kinds)\n"
    "  --blocks N     blocks: about N for open-pit (default 6000), exactly N for blocks\n"
    "                 (default 100000) and all-kinds (default 18)\n"
    "  --holes N      drill holes (default 24 for open-pit, 2 for all-kinds, 5000 for\n"
    "                 drill-holes, 12 for drill-tables)\n"
    "  --intervals N  intervals of all holes of drill-tables (default 1000)\n"
    "  --out FILE     output file, '-' for standard output (default <scene>.KDX, e.g.\n"
    "                 open_pit.KDX)\n"
    "  --ply FILE     also write the topography triangles as an ASCII PLY file\n"
    "                 (open-pit, surface and all-kinds)\n"
    "  --no-max       leave out the bounds block (the viewer then takes the bounds\n"
    "                 from the points; with it, both give the same bounds)\n"
    "  --help         this text\n";

[[noreturn]] void Fail(const std::string& message) {
    std::fprintf(stderr, "make_sample_scenes: %s\n%s", message.c_str(), "Try 'make_sample_scenes --help'.\n");
    std::exit(2);
}

long long ParseCount(std::string_view option, const char* text, long long lo, long long hi) {
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(text, &end, 10);
    if (end == text || *end != '\0' || errno != 0 || value < lo || value > hi) {
        Fail(std::string(option) + " needs a whole number from " + std::to_string(lo) + " to " + std::to_string(hi) +
             ", not '" + text + "'");
    }
    return value;
}

bool WriteWhole(const std::string& path, const std::function<bool(std::FILE*)>& write) {
    const bool toStdout = path == "-";
    std::FILE* file = toStdout ? stdout : std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        std::fprintf(stderr, "make_sample_scenes: cannot create %s: %s\n", path.c_str(), std::strerror(errno));
        return false;
    }
    bool ok = write(file);
    if (toStdout) {
        ok = std::fflush(file) == 0 && ok;
    } else {
        ok = std::fclose(file) == 0 && ok;
    }
    if (!ok) std::fprintf(stderr, "make_sample_scenes: writing %s failed\n", path.c_str());
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    std::string scene = "open-pit";
    long long grid = -1, blocks = -1, holes = -1, intervals = -1;
    std::string outPath, plyPath;
    bool withBounds = true;

    for (int a = 1; a < argc; ++a) {
        const std::string_view arg = argv[a];
        auto value = [&]() -> const char* {
            if (a + 1 >= argc) Fail(std::string(arg) + " needs a value");
            return argv[++a];
        };
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (arg == "--scene") {
            scene = value();
        } else if (arg == "--grid") {
            grid = ParseCount(arg, value(), 1, 10000);
        } else if (arg == "--blocks") {
            // A block is 36 vertices in the viewer, and its vertex count is a signed 32-bit value.
            blocks = ParseCount(arg, value(), 0, 2147483647LL / 36);
        } else if (arg == "--holes") {
            holes = ParseCount(arg, value(), 0, 100000);
        } else if (arg == "--intervals") {
            intervals = ParseCount(arg, value(), 0, 100000000);
        } else if (arg == "--out") {
            outPath = value();
        } else if (arg == "--ply") {
            plyPath = value();
        } else if (arg == "--no-max") {
            withBounds = false;
        } else {
            Fail("unknown argument '" + std::string(arg) + "'");
        }
    }
    if (scene != "open-pit" && scene != "surface" && scene != "blocks" && scene != "drill-holes" &&
        scene != "drill-tables" && scene != "all-kinds" && scene != "tsurf" && scene != "pit-lines") {
        Fail("unknown scene '" + scene +
             "' (open-pit, surface, blocks, drill-holes, drill-tables, all-kinds, tsurf or pit-lines)");
    }
    if (scene == "drill-tables") {
        if (!plyPath.empty()) Fail("--ply needs a scene with a topography");
        const std::string folder = outPath.empty() ? "." : outPath;
        const auto tables = talan::samples::BuildDrillTables(holes >= 0 ? static_cast<int>(holes) : 12,
                                                             intervals >= 0 ? intervals : 1000);
        const std::pair<const char*, const std::string*> files[] = {
            {"collars.csv", &tables.collars}, {"surveys.csv", &tables.surveys}, {"assays.csv", &tables.assays}};
        for (const auto& file : files) {
            const std::string path = folder + "/" + file.first;
            const std::string& text = *file.second;
            const auto write = [&text](std::FILE* f) { return std::fwrite(text.data(), 1, text.size(), f) == text.size(); };
            if (!WriteWhole(path, write)) return 1;
            std::fprintf(stderr, "%s: %zu bytes\n", path.c_str(), text.size());
        }
        return 0;
    }
    const bool gocad = scene == "tsurf" || scene == "pit-lines";
    if (!plyPath.empty() && (scene == "blocks" || scene == "drill-holes" || gocad)) {
        Fail("--ply needs a scene with a topography");
    }
    if (outPath.empty()) {
        outPath = scene + (scene == "tsurf" ? ".ts" : scene == "pit-lines" ? ".pl" : ".KDX");
        for (char& c : outPath) c = c == '-' ? '_' : c;
    }

    if (gocad) {
        std::string text;
        const int cells = grid > 0 ? static_cast<int>(grid) : 224;
        try {
            if (scene == "tsurf" && 3 * talan::samples::SurfaceSceneTriangles(cells) > 2147483647LL) {
                Fail("--grid " + std::to_string(cells) + " gives more vertices than the viewer can hold");
            }
            text = scene == "tsurf" ? talan::samples::GocadSurfaceText(cells) : talan::samples::GocadPitLinesText();
        } catch (const std::exception& e) {
            std::fprintf(stderr, "make_sample_scenes: %s\n", e.what());
            return 1;
        }
        const auto writeText = [&](std::FILE* f) {
            return std::fwrite(text.data(), 1, text.size(), f) == text.size();
        };
        if (!WriteWhole(outPath, writeText)) return 1;
        std::fprintf(stderr, "%s: %zu bytes\n", outPath.c_str(), text.size());
        if (scene == "tsurf") {
            std::fprintf(stderr, "triangles: %lld\n",
                         static_cast<long long>(talan::samples::SurfaceSceneTriangles(cells)));
        }
        return 0;
    }

    const auto start = std::chrono::steady_clock::now();
    SceneText text;
    IndexedMesh mesh;
    IndexedMesh* meshOut = plyPath.empty() ? nullptr : &mesh;
    try {
        if (scene == "open-pit") {
            talan::samples::OpenPitOptions options;
            if (grid > 0) options.grid = static_cast<int>(grid);
            if (blocks >= 0) options.blocks = blocks;
            if (holes >= 0) options.holes = static_cast<int>(holes);
            talan::samples::BuildOpenPitScene(text, options, meshOut);
        } else if (scene == "surface") {
            const int cells = grid > 0 ? static_cast<int>(grid) : 224;
            if (3 * talan::samples::SurfaceSceneTriangles(cells) > 2147483647LL) {
                Fail("--grid " + std::to_string(cells) + " gives more vertices than the viewer can hold");
            }
            talan::samples::BuildSurfaceScene(text, cells, meshOut);
        } else if (scene == "blocks") {
            talan::samples::BuildBlockScene(text, blocks >= 0 ? blocks : 100000);
        } else if (scene == "drill-holes") {
            talan::samples::BuildDrillHoleScene(text, holes >= 0 ? static_cast<int>(holes) : 5000, 20);
        } else {
            talan::samples::BuildAllKindsScene(text, grid > 0 ? static_cast<int>(grid) : 6, blocks >= 0 ? blocks : 18,
                                               holes >= 0 ? static_cast<int>(holes) : 2, meshOut);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_sample_scenes: %s\n", e.what());
        return 1;
    }

    if (!WriteWhole(outPath, [&](std::FILE* f) { return text.WriteTo(f, withBounds); })) return 1;
    if (meshOut != nullptr && !WriteWhole(plyPath, [&](std::FILE* f) { return talan::samples::WritePlyFile(f, mesh); })) {
        return 1;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    int64_t triangles = 0;
    for (const auto& s : text.Sections()) {
        std::fprintf(stderr, "  %-6s %10lld  %s\n", s.tag.c_str(), static_cast<long long>(s.count), s.name.c_str());
        if (s.tag == "T3") triangles += s.count;
    }
    const size_t bytes = text.HeaderText(withBounds).size() + text.Body().size();
    std::fprintf(stderr, "%s: %zu sections, %zu bytes, %.2f s\n", outPath.c_str(), text.Sections().size(), bytes,
                 seconds);
    if (scene == "surface") std::fprintf(stderr, "triangles: %lld\n", static_cast<long long>(triangles));
    if (meshOut != nullptr) {
        std::fprintf(stderr, "%s: %zu vertices, %zu faces\n", plyPath.c_str(), mesh.vertices.size(), mesh.faces.size());
    }
    return 0;
}
