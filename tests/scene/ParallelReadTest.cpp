// Large sections are read on several threads. Whatever the file holds, the scene
// must be the one a single thread reads, to the byte: every kind, CR LF, missing and
// extra commas, a field broken over two lines, a file that ends inside a section.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "TestHelpers.h"
#include "scene/ElementParts.h"
#include "scene/SceneFileReader.h"

namespace talan {
namespace {

constexpr int kElements = 17000;  // just above kParallelMinimumElements
static_assert(kElements > kParallelMinimumElements);

// `count` coordinates as files write them: mostly plain decimals, now and then an
// exponent, a long negative fraction or a whole number.
std::string Numbers(std::mt19937& random, int count) {
    std::string line;
    for (int i = 0; i < count; ++i) {
        const unsigned form = random() % 16;
        const double value = static_cast<double>(random() % 2000000) / 100.0;
        char text[48];  // form 2: a whole number
        const char* format = form == 0 ? "%.9e" : form == 1 ? "-%.17g" : "%.2f";
        std::snprintf(text, sizeof text, format, form == 1 ? value / 3 : value);
        line += (i ? "," : "") + (form == 2 ? std::to_string(static_cast<int>(value)) : std::string(text));
    }
    return line;
}

// One large section of a kind: its header, and its element lines apart so that
// faults can be put into them.
struct Section {
    std::string header;
    std::vector<std::string> lines;  // without their line ends
};

Section Make(int kind, std::mt19937& random) {
    const char* headers[] = {"0,0,0,\nTopography,\n", "255,\nRoad,\nskipped\n", "65280,\nContours,\n",
                             "10,10,5,\nskipped\nskipped\n", "16711680,\nSurvey,\nskipped\n", "DDH-1,\nskipped\n"};
    const int coordinates[] = {9, 6, 6, 3, 3, 6};
    Section s{testing::TagLine(ObjectKindTag(static_cast<ObjectKind>(kind)), kElements) + headers[kind], {}};
    for (int i = 0; i < kElements; ++i) {
        const std::string colour = std::to_string(random() % 0x1000000);
        std::string line = Numbers(random, coordinates[kind]);
        if (kind == 0) line += ",x," + colour + ",";
        if (kind == 3) line += "," + colour + ",grade " + Numbers(random, 1);
        if (kind == 5) line += "," + colour;
        s.lines.push_back(line);
    }
    return s;
}

// The sections, each followed by a small one, with LF or CR LF line ends.
std::string Text(const std::vector<Section>& sections, bool crlf) {
    const std::string end = crlf ? "\r\n" : "\n";
    std::string text = "\"Tavrin\"" + end;
    for (const Section& s : sections) {
        for (char c : s.header) text += c == '\n' ? end : std::string(1, c);
        for (const std::string& line : s.lines) text += line + end;
        text += testing::TagLine("PTS", 1) + "0,\nsmall,\nskipped\n1,2,3\n";
    }
    return text;
}

// Reads the text on 1, 2 and 5 threads; returns what one thread read.
testing::SceneSnapshot ExpectSameAsOneThread(const std::string& text, const std::string& what) {
    SceneModel one;
    const SceneReadResult oneRead = ReadSceneText(one, text, nullptr, 1);
    for (int workers : {2, 5}) {
        SceneModel many;
        const SceneReadResult read = ReadSceneText(many, text, nullptr, workers);
        EXPECT_TRUE(testing::Snapshot(many) == testing::Snapshot(one)) << what << ", " << workers << " threads";
        EXPECT_EQ(read.Status(), oneRead.Status()) << what;
    }
    return testing::Snapshot(one);
}

// One large section of each kind, made once.
const std::vector<Section>& AllKinds() {
    static std::mt19937 random(7);
    static const std::vector<Section> sections{Make(0, random), Make(1, random), Make(2, random),
                                               Make(3, random), Make(4, random), Make(5, random)};
    return sections;
}

TEST(ParallelRead, LineFeedsAreCountedInAnyStretchOfText) {
    std::mt19937 random(3);
    std::string text(70000, 'x');
    for (char& c : text) c = random() % 9 == 0 ? '\n' : static_cast<char>('0' + random() % 10);
    text.replace(20000, 10000, 10000, '\n');  // every byte a line feed: no count may wrap
    for (const auto& [from, to] : {std::pair{0, 70000}, std::pair{3, 4100}, std::pair{17, 17}, std::pair{1, 4081}}) {
        EXPECT_EQ(CountLineFeeds(text.data() + from, text.data() + to),
                  static_cast<size_t>(std::count(text.begin() + from, text.begin() + to, '\n')))
            << from << " to " << to;
    }
}

TEST(ParallelRead, EveryKindReadsAsOneThreadReadsIt) {
    for (bool crlf : {false, true}) {
        const std::vector<int32_t> counts = ExpectSameAsOneThread(Text(AllKinds(), crlf), crlf ? "CR LF" : "LF").counts;
        EXPECT_EQ(std::count(counts.begin(), counts.end(), kElements), 6) << "every large section whole";
    }
}

// Each fault in each kind of section, at its first, a middle or its last element;
// odd kinds with CR LF line ends.
TEST(ParallelRead, FaultsAnywhereInALargeSectionReadAsOneThreadReadsThem) {
    const char* faults[] = {"a missing comma", "an extra comma", "a field broken over two lines",
                            "a line with nothing on it"};
    const int places[] = {0, 4500, 13000, kElements - 1};
    for (int f = 0; f < 4; ++f) {
        for (int kind = 0; kind < kObjectKindCount; ++kind) {
            const int at = places[(f + kind) % 4];
            std::vector<Section> sections{AllKinds()[static_cast<size_t>(kind)]};
            std::string& line = sections[0].lines[static_cast<size_t>(at)];
            const size_t comma = line.find(',');
            f == 0 ? line.erase(comma, 1) : line.insert(f == 1 ? comma : f == 2 ? comma + 1 : 0, f == 1 ? "," : "\n");
            const std::string what = std::string(faults[f]) + " in " + ObjectKindTag(static_cast<ObjectKind>(kind));
            ExpectSameAsOneThread(Text(sections, kind % 2 == 1), what + " at " + std::to_string(at));
        }
    }
}

TEST(ParallelRead, AFileEndingInsideALargeSectionReadsAsOneThreadReadsIt) {
    const std::string text = Text(AllKinds(), false);
    std::mt19937 random(11);
    for (int cut = 0; cut < 6; ++cut) {
        const size_t size = 1000 + random() % (text.size() - 1000);
        ExpectSameAsOneThread(text.substr(0, size), "cut at " + std::to_string(size));
    }
}

}  // namespace
}  // namespace talan
