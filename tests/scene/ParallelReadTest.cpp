// Large sections are read on several threads. Whatever the file holds, the scene
// must be the one a single thread reads, to the byte: every kind, CR LF, missing and
// extra commas, a field broken over two lines, a file that ends inside a section.
#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "TestHelpers.h"
#include "scene/SceneFileReader.h"

namespace talan {
namespace {

using testing::TagLine;

constexpr int kElements = 20000;  // above the size read on one thread

// A coordinate as files write them: mostly plain decimals, now and then a whole
// number, a negative, a long fraction or an exponent.
std::string Number(std::mt19937& random) {
    const unsigned form = random() % 16;
    const double value = static_cast<double>(random() % 2000000) / 100.0;
    char text[48];
    if (form == 0) std::snprintf(text, sizeof text, "%.9e", value);
    else if (form == 1) std::snprintf(text, sizeof text, "-%.17g", value / 3.0);
    else if (form == 2) std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
    else std::snprintf(text, sizeof text, "%.2f", value);
    return text;
}

std::string Numbers(std::mt19937& random, int count, const char* separator = ",") {
    std::string line;
    for (int i = 0; i < count; ++i) line += Number(random) + (i + 1 < count ? separator : "");
    return line;
}

std::string Colour(std::mt19937& random) { return std::to_string(random() % 0x1000000); }

// One large section of a kind, with its element lines in `lines` (so that faults can
// be put into them) and its header before them.
struct Section {
    std::string header;
    std::vector<std::string> lines;
};

Section Make(const char* tag, std::mt19937& random) {
    Section s;
    const std::string kind = tag;
    s.header = TagLine(tag, kElements);
    for (int i = 0; i < kElements; ++i) {
        if (kind == "T3") s.lines.push_back(Numbers(random, 9) + ",x," + Colour(random) + ",");
        if (kind == "LIN" || kind == "SUP") s.lines.push_back(Numbers(random, 6));
        if (kind == "BLKKDX") s.lines.push_back(Numbers(random, 3) + "," + Colour(random) + ",grade " + Number(random));
        if (kind == "PTS") s.lines.push_back(Numbers(random, 3));
        if (kind == "SONKDX") s.lines.push_back(Numbers(random, 6) + "," + Colour(random));
    }
    if (kind == "T3") s.header += "0,0,0,\nTopography,\n";
    if (kind == "LIN") s.header += "255,\nRoad,\nskipped\n";
    if (kind == "SUP") s.header += "65280,\nContours,\n";
    if (kind == "BLKKDX") s.header += "10,10,5,\nskipped\nskipped\n";
    if (kind == "PTS") s.header += "16711680,\nSurvey,\nskipped\n";
    if (kind == "SONKDX") s.header += "DDH-1,\nskipped\n";
    return s;
}

std::string Text(const std::vector<Section>& sections, bool crlf) {
    const char* end = crlf ? "\r\n" : "\n";
    std::string text = std::string("\"Tavrin\"") + end;
    for (const Section& s : sections) {
        std::string header = s.header;
        if (crlf) {
            for (size_t at = 0; (at = header.find('\n', at)) != std::string::npos; at += 2) header.replace(at, 1, end);
        }
        text += header;
        for (const std::string& line : s.lines) text += line + end;
        text += TagLine("PTS", 1) + "0,\nsmall,\nskipped\n1,2,3\n";  // a small section after each
    }
    return text;
}

// Everything a read puts into the scene, to the byte.
struct Snapshot {
    std::vector<std::string> names;
    std::vector<int32_t> counts, firstVertex, perElement;
    std::vector<int64_t> firstStored;
    std::string vertices, blocks, bounds;
    int32_t totalVertices = 0, nextMenuId = 0;
    bool read = false, refused = false;
    bool operator==(const Snapshot&) const = default;
};

Snapshot Read(const std::string& text, int workers) {
    SceneModel scene;
    const SceneReadResult result = ReadSceneText(scene, text, nullptr, workers);
    Snapshot s{scene.objectNames, scene.elementCounts, scene.firstVertex, scene.verticesPerElement, scene.firstStored,
               std::string(reinterpret_cast<const char*>(scene.sceneVertices.data()),
                           static_cast<size_t>(scene.storedVertexCount) * sizeof(SceneVertex)),
               std::string(reinterpret_cast<const char*>(scene.blockRecords.data()),
                           static_cast<size_t>(scene.storedBlockCount) * sizeof(BlockRecord)),
               std::string(reinterpret_cast<const char*>(scene.boundsMin.data()), sizeof(float) * 3) +
                   std::string(reinterpret_cast<const char*>(scene.boundsMax.data()), sizeof(float) * 3),
               scene.totalVertexCount, scene.nextObjectMenuId, result.read, result.sectionRefused};
    return s;
}

void ExpectSameAsOneThread(const std::string& text, const char* what) {
    const Snapshot one = Read(text, 1);
    for (int workers : {2, 5}) EXPECT_TRUE(Read(text, workers) == one) << what << ", " << workers << " threads";
}

std::vector<Section> AllKinds() {
    std::mt19937 random(7);
    std::vector<Section> sections;
    for (const char* tag : {"T3", "LIN", "SUP", "BLKKDX", "PTS", "SONKDX"}) sections.push_back(Make(tag, random));
    return sections;
}

TEST(ParallelRead, EveryKindReadsAsOneThreadReadsIt) {
    const std::vector<Section> sections = AllKinds();
    for (bool crlf : {false, true}) {
        const std::string text = Text(sections, crlf);
        const Snapshot one = Read(text, 1);
        ASSERT_EQ(one.names.size(), 12u);
        EXPECT_EQ(one.counts[6], kElements) << "the block model is whole";
        ExpectSameAsOneThread(text, crlf ? "CR LF" : "LF");
    }
}

TEST(ParallelRead, FaultsAnywhereInALargeSectionReadAsOneThreadReadsThem) {
    struct Fault {
        const char* what;
        void (*apply)(std::string& line);
    };
    const Fault faults[] = {
        {"a missing comma", [](std::string& line) { line.erase(line.find(','), 1); }},
        {"an extra comma", [](std::string& line) { line.insert(line.find(','), ","); }},
        {"a field broken over two lines", [](std::string& line) { line.insert(line.find(',') + 1, "\n"); }},
        {"a line with nothing on it", [](std::string& line) { line = "\n" + line; }},
    };
    // Each fault in each kind of section, at its first, a middle and its last element
    // in turn; odd kinds with CR LF line ends.
    const std::vector<Section> clean = AllKinds();
    const int places[] = {0, 4500, 13000, kElements - 1};
    for (size_t f = 0; f < std::size(faults); ++f) {
        for (size_t kind = 0; kind < clean.size(); ++kind) {
            const int at = places[(f + kind) % std::size(places)];
            std::vector<Section> sections = clean;
            faults[f].apply(sections[kind].lines[static_cast<size_t>(at)]);
            ExpectSameAsOneThread(Text(sections, kind % 2 == 1), (std::string(faults[f].what) + " in section " +
                                                                  std::to_string(kind) + " at " + std::to_string(at))
                                                                     .c_str());
        }
    }
}

TEST(ParallelRead, AFileEndingInsideALargeSectionReadsAsOneThreadReadsIt) {
    const std::string text = Text(AllKinds(), false);
    std::mt19937 random(11);
    for (int cut = 0; cut < 12; ++cut) {
        const size_t size = 1000 + random() % (text.size() - 1000);
        ExpectSameAsOneThread(text.substr(0, size), ("cut at " + std::to_string(size)).c_str());
    }
}

}  // namespace
}  // namespace talan
