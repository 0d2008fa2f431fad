// Drill-hole tables: delimited text (separators, quotes, line ends, encodings), table
// recognition by header, skipped rows and their lines, minimum-curvature desurvey
// against closed forms, and the objects a set of tables becomes.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>
#include <iterator>
#include <numbers>
#include <string>
#include <tuple>
#include <vector>

#include "TestHelpers.h"
#include "scene/DelimitedText.h"
#include "scene/DrillHoles.h"

namespace talan {
namespace {

using testing::RecordingObserver;
using Vec3 = std::array<double, 3>;
constexpr double kPi = std::numbers::pi;

void ExpectNear(const Vec3& actual, const Vec3& expected, double scale) {
    for (size_t c = 0; c < 3; ++c) EXPECT_NEAR(actual[c], expected[c], 1e-9 * scale) << "axis " << c;
}

std::array<float, 3> Stored(const SceneModel& scene, int32_t vertex) {
    const SceneVertex v = VertexAt(scene, vertex);
    return {v.position[0], v.position[1], v.position[2]};
}

std::vector<std::string_view> Fields(DelimitedCursor& cursor, DelimitedRecord& record) {
    EXPECT_TRUE(NextRecord(cursor, record));
    return record.fields;
}

// ---------------------------------------------------------------------------------
// Desurvey

TEST(HoleOffsets, WithoutSurveyAHoleRunsStraightDown) {
    const auto offsets = HoleOffsets({}, {0.0, 12.5, 250.0});
    ASSERT_EQ(offsets.size(), 3u);
    EXPECT_EQ(offsets[1], (Vec3{0.0, 0.0, -12.5}));
    EXPECT_EQ(offsets[2], (Vec3{0.0, 0.0, -250.0}));
}

TEST(HoleOffsets, StraightInclinedHoleAboveBetweenAndBelowItsStations) {
    // Azimuth 30, dip −60: east sin30·cos60, north cos30·cos60, up −sin60 per metre.
    const Vec3 t{0.5 * 0.5, std::sqrt(3.0) / 2 * 0.5, -std::sqrt(3.0) / 2};
    const std::vector<SurveyStation> stations{{20.0, 30.0, -60.0}, {80.0, 30.0, -60.0}};
    const std::vector<double> depths{10.0, 50.0, 80.0, 150.0};
    const auto offsets = HoleOffsets(stations, depths);
    for (size_t k = 0; k < depths.size(); ++k) {
        ExpectNear(offsets[k], {t[0] * depths[k], t[1] * depths[k], t[2] * depths[k]}, depths[k]);
    }
}

TEST(HoleOffsets, QuarterCircleFromDownToEastLiesOnItsCircle) {
    const double length = 100.0;
    const double radius = 2.0 * length / kPi;
    const std::vector<SurveyStation> stations{{0.0, 90.0, -90.0}, {length, 90.0, 0.0}};
    const auto offsets = HoleOffsets(stations, {length / 2, length, length + 10.0});
    // The circle's centre is `radius` east of the collar.
    ExpectNear(offsets[0], {radius - radius * std::cos(kPi / 4), 0.0, -radius * std::sin(kPi / 4)}, radius);
    ExpectNear(offsets[1], {radius, 0.0, -radius}, radius);
    // Below the last station it goes on east.
    ExpectNear(offsets[2], {radius + 10.0, 0.0, -radius}, radius);

    // The same arc seen from the north: azimuth 0 turns it into the north axis, and
    // depths out of order are still placed.
    const auto north = HoleOffsets({{0.0, 0.0, -90.0}, {length, 0.0, 0.0}}, {length, length / 2});
    ExpectNear(north[0], {0.0, radius, -radius}, radius);
    ExpectNear(north[1], {0.0, radius - radius * std::cos(kPi / 4), -radius * std::sin(kPi / 4)}, radius);
}

TEST(HoleOffsets, TinyAndHalfTurnsStayFinite) {
    // A turn of 1e-9 degrees moves as a straight hole would, to 1e-9.
    const auto tiny = HoleOffsets({{0.0, 45.0, -50.0}, {100.0, 45.0, -50.0 + 1e-9}}, {100.0});
    const Vec3 t = SurveyDirection(45.0, -50.0);
    ExpectNear(tiny[0], {100 * t[0], 100 * t[1], 100 * t[2]}, 100.0);
    // Straight down then straight up has no arc plane: the step ends where it began.
    const auto reversal = HoleOffsets({{0.0, 0.0, -90.0}, {10.0, 0.0, 90.0}}, {5.0, 10.0});
    for (const Vec3& p : reversal) {
        for (double c : p) EXPECT_TRUE(std::isfinite(c));
    }
    ExpectNear(reversal[1], {0.0, 0.0, 0.0}, 10.0);
}

// ---------------------------------------------------------------------------------
// Delimited text

TEST(DelimitedText, SeparatorIsTheMostFrequentOutsideQuotes) {
    EXPECT_EQ(DetectSeparator("HOLEID;X;Y;Z"), ';');
    EXPECT_EQ(DetectSeparator("HOLEID\tX\tY"), '\t');
    EXPECT_EQ(DetectSeparator("\"a;b;c\",X"), ',');
    EXPECT_EQ(DetectSeparator("HOLEID"), ',');
}

TEST(DelimitedText, QuotesLineEndsBlankLinesAndLineNumbers) {
    const std::string text = "a, \"b, c\" ,\"say \"\"hi\"\"\"\r\n\r\n  \n\"two\nlines\",x,\n last ;y";
    DelimitedCursor cursor{text, ',', 0, 1};
    DelimitedRecord record;
    EXPECT_EQ(Fields(cursor, record), (std::vector<std::string_view>{"a", "b, c", "say \"hi\""}));
    EXPECT_EQ(record.line, 1);
    EXPECT_EQ(Fields(cursor, record), (std::vector<std::string_view>{"two\nlines", "x", ""}));
    EXPECT_EQ(record.line, 4);
    EXPECT_EQ(Fields(cursor, record), (std::vector<std::string_view>{"last ;y"}));
    EXPECT_EQ(record.line, 6);
    EXPECT_FALSE(NextRecord(cursor, record));
    EXPECT_TRUE(record.fields.empty());

    // A quote left open runs to the end; many doubled quotes in one record.
    const std::string open =
        "\"\"\"\",\"\"\"\",\"\"\"\",\"\"\"\",\"\"\"\",\"\"\"\",\"\"\"\",\"\"\"\",\"\"\"\",\"open\n";
    DelimitedCursor second{open, ',', 0, 1};
    const auto fields = Fields(second, record);
    ASSERT_EQ(fields.size(), 10u);
    for (size_t i = 0; i < 9; ++i) EXPECT_EQ(fields[i], "\"");
    EXPECT_EQ(fields[9], "open\n");
}

TEST(DelimitedText, NumbersMissingValuesAndEncodings) {
    double v = 0;
    EXPECT_TRUE(ParseNumberField("1.5e3", false, v));
    EXPECT_EQ(v, 1500.0);
    EXPECT_TRUE(ParseNumberField("-0.25", false, v));
    EXPECT_EQ(v, -0.25);
    EXPECT_TRUE(ParseNumberField("+12345678901234567", false, v));
    EXPECT_EQ(v, 12345678901234567.0);
    EXPECT_FALSE(ParseNumberField("1,5", false, v));
    EXPECT_TRUE(ParseNumberField("-1,5", true, v));
    EXPECT_EQ(v, -1.5);
    EXPECT_FALSE(ParseNumberField("1,5,0", true, v));
    EXPECT_TRUE(ParseNumberField("-1e400", false, v));
    EXPECT_EQ(v, -HUGE_VAL);
    EXPECT_TRUE(ParseNumberField("1e-400", false, v));
    EXPECT_EQ(v, 0.0);
    for (const char* bad : {"", "-", "--1", "1.5x", "1e", "abc", "1 2"})
        EXPECT_FALSE(ParseNumberField(bad, true, v)) << bad;
    EXPECT_TRUE(ParseNumberField("nan", false, v));
    EXPECT_TRUE(std::isnan(v));
    for (const char* missing : {"", "NA", "n/a", "-", "null"}) EXPECT_TRUE(IsMissingValue(missing)) << missing;
    EXPECT_FALSE(IsMissingValue("-999"));

    std::string storage;
    EXPECT_EQ(DelimitedTextAsUtf8("\xEF\xBB\xBFHOLE\xC3\xA9", storage), "HOLE\xC3\xA9");
    EXPECT_EQ(DelimitedTextAsUtf8("DH\xE9\x80", storage), "DH\xC3\xA9\xE2\x82\xAC");
}

// ---------------------------------------------------------------------------------
// Tables

TEST(ReadDrillTable, RecognisesTablesByAliasNamesInAnyCase) {
    std::vector<SkippedRow> skipped;
    DrillTable collar;
    ASSERT_EQ(ReadDrillTable("Hole ID;East;North;RL;Max_Depth\nA;1,5;2;3;\n", "c.csv", collar, skipped),
              ReadProblem::None);
    EXPECT_EQ(collar.kind, DrillTableKind::Collar);
    EXPECT_EQ(collar.file, "c.csv");
    EXPECT_EQ(collar.holeNames, (std::vector<std::string>{"A"}));
    ASSERT_EQ(collar.rowNumbers.size(), 1u);
    EXPECT_EQ(collar.rowNumbers[0][0], 1.5) << "a decimal comma in a ';' file";
    EXPECT_EQ(collar.rowNumbers[0][2], 3.0);
    EXPECT_TRUE(std::isnan(collar.rowNumbers[0][3])) << "an empty total depth is none";

    DrillTable survey;
    ASSERT_EQ(ReadDrillTable("bhid\tAT\tBearing\tdip\nA\t10\t45\t-60\n", "s.txt", survey, skipped), ReadProblem::None);
    EXPECT_EQ(survey.kind, DrillTableKind::Survey);
    EXPECT_EQ(survey.rowNumbers[0], (std::array<double, 4>{10, 45, -60, 0}));

    // FROM and TO win over the survey and collar names; units in brackets are ignored.
    DrillTable intervals;
    ASSERT_EQ(ReadDrillTable("hole_id,X,Y,Z,Dip,Azimuth,Depth,From (m),to,Au\nA,1,2,3,4,5,6,7,8,0.5\n", "i.csv",
                             intervals, skipped),
              ReadProblem::None);
    EXPECT_EQ(intervals.kind, DrillTableKind::Intervals);
    EXPECT_EQ(intervals.rowNumbers[0][0], 7.0);
    EXPECT_EQ(intervals.rowNumbers[0][1], 8.0);
    ASSERT_EQ(intervals.values.size(), 7u);
    EXPECT_EQ(intervals.values[0].name, "X");
    EXPECT_EQ(intervals.values[6].name, "Au");
    EXPECT_TRUE(skipped.empty());
}

TEST(ReadDrillTable, RefusesWhatIsNoTableAndKeepsTheTableUntouched) {
    std::vector<SkippedRow> skipped;
    DrillTable table;
    table.file = "kept";
    for (std::string_view text :
         {std::string_view(""), std::string_view("\n\r\n"), std::string_view("HOLEID,X,Y\nA,1,2\n"),
          std::string_view("\0\x01\xFF\xFE,\x80\n\0\0", 9), std::string_view("X,Y,Z\n1,2,3\n")}) {
        EXPECT_EQ(ReadDrillTable(text, "f", table, skipped), ReadProblem::NotATable);
    }
    EXPECT_EQ(table.file, "kept");
    EXPECT_TRUE(skipped.empty());

    // A header alone is a table without rows; a second read replaces the first.
    ASSERT_EQ(ReadDrillTable("HOLEID,FROM,TO,AU\nA,0,1,2\n", "f", table, skipped), ReadProblem::None);
    ASSERT_EQ(ReadDrillTable("HOLEID,FROM,TO", "g", table, skipped), ReadProblem::None);
    EXPECT_TRUE(table.rowHole.empty());
    EXPECT_TRUE(table.holeNames.empty());
    EXPECT_TRUE(table.values.empty());
}

TEST(ReadDrillTable, BadRowsAreSkippedWithTheirLinesAndTheRestRead) {
    const std::string text =
        "\xEF\xBB\xBFHOLEID,FROM,TO,AU\r\n"  // 1
        "A,0,1,0.5\r\n"                      // 2
        "A,1,x,0.5\r\n"                      // 3 NotANumber
        "\r\n"                               // 4
        "A,2\r\n"                            // 5 MissingField
        "A,3,3,1\r\n"                        // 6 FromNotBelowTo
        "A,-1,3,1\r\n"                       // 7 above the collar
        ",4,5,1\r\n"                         // 8 no hole id
        "\"A\",5,inf,1\r\n"                  // 9 NotANumber
        "A,6,1e308,1\r\n"                    // 10 too large to be a depth
        "\"B,1\",7,nan,2\r\n"                // 11 NotANumber
        "\"B,1\",8,9,";                      // 12 cut short, yet whole
    std::vector<SkippedRow> skipped;
    DrillTable table;
    ASSERT_EQ(ReadDrillTable(text, "a.csv", table, skipped), ReadProblem::None);
    std::vector<std::pair<int64_t, RowFault>> faults;
    for (const SkippedRow& row : skipped) {
        EXPECT_EQ(row.file, "a.csv");
        faults.emplace_back(row.line, row.fault);
    }
    EXPECT_EQ(faults, (std::vector<std::pair<int64_t, RowFault>>{{3, RowFault::NotANumber},
                                                                 {5, RowFault::MissingField},
                                                                 {6, RowFault::FromNotBelowTo},
                                                                 {7, RowFault::NotANumber},
                                                                 {8, RowFault::MissingField},
                                                                 {9, RowFault::NotANumber},
                                                                 {10, RowFault::NotANumber},
                                                                 {11, RowFault::NotANumber}}));
    EXPECT_EQ(table.rowLine, (std::vector<int64_t>{2, 12}));
    EXPECT_EQ(table.holeNames, (std::vector<std::string>{"A", "B,1"}));
    EXPECT_EQ(table.rowHole, (std::vector<int32_t>{0, 1}));
    ASSERT_EQ(table.values[0].numbers.size(), 2u);
    EXPECT_EQ(table.values[0].numbers[0], 0.5f);
    EXPECT_TRUE(std::isnan(table.values[0].numbers[1]));
}

TEST(ReadDrillTable, ValueColumnsAreNumbersOrTextsWithMissingValues) {
    const std::string text =
        "HOLEID,FROM,TO,AU,LITH,CODE\n"
        "DH\xE9,0,1,NA,oxide,12\n"
        "DH\xE9,1,2,1e300,waste,\n"
        "DH\xE9,2,3,2.5,oxide,7b\n"
        "DH\xE9,3,4,,N/A,12\n";
    std::vector<SkippedRow> skipped;
    DrillTable table;
    ASSERT_EQ(ReadDrillTable(text, "b.csv", table, skipped), ReadProblem::None);
    EXPECT_EQ(table.holeNames, (std::vector<std::string>{"DH\xC3\xA9"})) << "Windows-1252 read as such";
    ASSERT_EQ(table.values.size(), 3u);
    const ValueColumn& au = table.values[0];
    EXPECT_FALSE(au.text);
    ASSERT_EQ(au.numbers.size(), 4u);
    EXPECT_TRUE(std::isnan(au.numbers[0]));
    EXPECT_TRUE(std::isnan(au.numbers[1])) << "beyond a float";
    EXPECT_EQ(au.numbers[2], 2.5f);
    EXPECT_TRUE(std::isnan(au.numbers[3]));
    const ValueColumn& lith = table.values[1];
    EXPECT_TRUE(lith.text);
    EXPECT_EQ(lith.categories, (std::vector<int32_t>{0, 1, 0, -1}));
    EXPECT_EQ(lith.categoryNames, (std::vector<std::string>{"oxide", "waste"}));
    // Numbers first, a text on the third row: the column turns text, its rows read again.
    const ValueColumn& code = table.values[2];
    EXPECT_TRUE(code.text);
    EXPECT_TRUE(code.numbers.empty());
    EXPECT_EQ(code.categories, (std::vector<int32_t>{0, -1, 1, 0}));
    EXPECT_EQ(code.categoryNames, (std::vector<std::string>{"12", "7b"}));
}

TEST(ReadDrillTable, DamagedTablesNeverBreakTheTablesOrTheObjects) {
    const std::string tables[] = {
        "HOLEID,X,Y,Z,TD\nA,1,2,3,50\nB,4,5,6,\n\"C\",7,8,9,1e3\n",
        "HOLEID;DEPTH;AZIMUTH;DIP\nA;0;10;-60\nA;20;30,5;-40\nB;5;0;-90\nC;1;2;3\n",
        "HOLEID\tFROM\tTO\tAU\tLITH\nA\t0\t5\t1.5\t\"ox, red\"\nA\t5\t9\tNA\tsul\nB\t1\t2\t7\t3\n"};
    const char damage[] = {'\0', '"', ',', ';', '\t', '\n', '\r', '\xE9', '9', '-', 'e', '.', ' '};
    uint64_t state = 12345;
    const auto next = [&state] {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<size_t>(state >> 33);
    };
    for (int round = 0; round < 400; ++round) {
        std::vector<DrillTable> read;
        std::vector<SkippedRow> skipped;
        for (const std::string& original : tables) {
            std::string text = original;
            for (size_t edits = 1 + next() % 4; edits-- > 0;)
                text[next() % text.size()] = damage[next() % sizeof damage];
            if (next() % 3 == 0) text.resize(next() % text.size());
            DrillTable table;
            if (ReadDrillTable(text, "f", table, skipped) != ReadProblem::None) continue;
            const size_t rows = table.rowHole.size();
            ASSERT_EQ(table.rowLine.size(), rows);
            ASSERT_EQ(table.rowNumbers.size(), rows);
            for (int32_t hole : table.rowHole) ASSERT_LT(static_cast<size_t>(hole), table.holeNames.size());
            for (const ValueColumn& column : table.values) {
                ASSERT_EQ(column.Size(), rows);
                for (int32_t c : column.categories) ASSERT_LT(c, static_cast<int32_t>(column.categoryNames.size()));
            }
            read.push_back(std::move(table));
        }
        SceneModel scene;
        SceneLoadObserver observer;
        AddDrillHoles(scene, read, observer, skipped);
        ASSERT_EQ(scene.objectValues.size(), scene.objectNames.size());
        for (size_t k = 0; k < scene.objectNames.size(); ++k) {
            const ObjectValues& values = scene.objectValues[k];
            for (const ValueColumn& column : values.columns) {
                ASSERT_EQ(2 * static_cast<int32_t>(column.Size()), 2 * scene.elementCounts[k] - values.firstVertex);
            }
        }
        for (int32_t v = 0; v < scene.totalVertexCount; ++v) {
            for (float c : Stored(scene, v)) ASSERT_TRUE(std::isfinite(c)) << "round " << round;
        }
    }
}

// ---------------------------------------------------------------------------------
// Objects

std::vector<DrillTable> Tables(const std::vector<std::pair<std::string, std::string>>& files,
                               std::vector<SkippedRow>& skipped) {
    std::vector<DrillTable> tables;
    for (const auto& [name, text] : files) {
        tables.emplace_back();
        EXPECT_EQ(ReadDrillTable(text, name, tables.back(), skipped), ReadProblem::None) << name;
    }
    return tables;
}

TEST(AddDrillHoles, OneObjectPerCollarWithTraceThenIntervalsAndSharedCategories) {
    std::vector<SkippedRow> skipped;
    const auto tables = Tables({{"collars.csv",
                                 "HOLEID,X,Y,Z,TD\n"
                                 "DH1,100,200,50,10\n"  // 2
                                 "DH2,0,0,0,\n"         // 3
                                 "DH1,9,9,9,9\n"        // 4 duplicate
                                 "DH3,0,0,0,10\n"       // 5
                                 "DH4,5,5,5,0\n"},      // 6 nothing to draw
                                {"a.csv",
                                 "HOLEID,FROM,TO,AU,LITH\n"
                                 "DH1,4,6,NA,sul\n"  // 2
                                 "DH9,0,1,1,ox\n"    // 3 no collar
                                 "DH1,2,4,1.5,ox\n"  // 4
                                 "DH1,3,5,2,ox\n"},  // 5 overlaps 2-4
                                {"s.csv",
                                 "HOLEID,DEPTH,AZIMUTH,DIP\n"
                                 "DH2,0,90,-90\nDH2,10,90,0\n"
                                 "DH3,0,0,-90\nDH3,0,90,0\n"},  // the second at depth 0 is ignored
                                {"b.csv",
                                 "HOLEID,FROM,TO,LITH\n"
                                 "DH2,5,10,brec\nDH2,0,5,sul\n"}},
                               skipped);
    SceneModel scene;
    RecordingObserver observer;
    AddDrillHoles(scene, tables, observer, skipped);

    std::vector<std::tuple<std::string, int64_t, RowFault>> faults;
    for (const SkippedRow& row : skipped) faults.emplace_back(row.file, row.line, row.fault);
    EXPECT_EQ(faults,
              (std::vector<std::tuple<std::string, int64_t, RowFault>>{{"collars.csv", 4, RowFault::DuplicateCollar},
                                                                       {"a.csv", 3, RowFault::HoleWithoutCollar},
                                                                       {"a.csv", 5, RowFault::OverlappingInterval}}));

    EXPECT_EQ(scene.objectNames, (std::vector<std::string>{"DH1", "DH2", "DH3"}));
    EXPECT_EQ(scene.objectKinds, (std::vector<ObjectKind>(3, ObjectKind::SONKDX)));
    EXPECT_EQ(scene.objectFormats, (std::vector<SourceFormat>(3, SourceFormat::DrillHoleTables)));
    EXPECT_EQ(scene.kindCount[static_cast<int>(ObjectKind::SONKDX)], 3);
    EXPECT_EQ(scene.objectCount, 3);
    // DH1: trace 0-2 and 6-10, intervals 2-4 and 4-6. DH2: a quarter circle in 45 pieces
    // of 2 degrees, its intervals split at 5 m: 23 pieces each. DH3: one trace piece.
    EXPECT_EQ(scene.elementCounts, (std::vector<int32_t>{4, 46, 1}));
    EXPECT_EQ(scene.verticesPerElement, (std::vector<int32_t>{2, 2, 2}));
    EXPECT_EQ(scene.firstVertex, (std::vector<int32_t>{0, 8, 100}));
    EXPECT_EQ(scene.objectValues[0].firstVertex, 4);
    EXPECT_EQ(scene.objectValues[1].firstVertex, 0);
    EXPECT_EQ(scene.objectValues[2].firstVertex, 2);
    for (const ObjectValues& values : scene.objectValues) {
        EXPECT_EQ(values.verticesPerValue, 2);
        EXPECT_EQ(values.ownColour, (std::array<float, 4>{1.0f, 0.6f, 0.1f, 1.0f}));
    }

    // Positions as stored: (east, elevation, north).
    using F3 = std::array<float, 3>;
    EXPECT_EQ(Stored(scene, 0), (F3{100, 50, 200}));
    EXPECT_EQ(Stored(scene, 1), (F3{100, 48, 200}));
    EXPECT_EQ(Stored(scene, 2), (F3{100, 44, 200}));
    EXPECT_EQ(Stored(scene, 3), (F3{100, 40, 200}));
    EXPECT_EQ(Stored(scene, 4), (F3{100, 48, 200}));
    EXPECT_EQ(Stored(scene, 7), (F3{100, 44, 200}));
    const SceneVertex trace = VertexAt(scene, 0), interval = VertexAt(scene, 4);
    EXPECT_EQ(trace.colour[0], 0.7f);
    EXPECT_EQ(interval.colour[1], 0.6f);
    EXPECT_EQ(interval.normal[0], 0.0f);
    const float r = static_cast<float>(20.0 / kPi);
    EXPECT_NEAR(Stored(scene, 8 + 91)[0], r, 1e-5);
    EXPECT_NEAR(Stored(scene, 8 + 91)[1], -r, 1e-5);
    EXPECT_NEAR(Stored(scene, 8 + 91)[2], 0.0f, 1e-5);
    EXPECT_EQ(Stored(scene, 101), (F3{0, -10, 0})) << "the first survey row at a depth counts";
    EXPECT_EQ(scene.boundsMin, (F3{0, 0, -10}));
    EXPECT_EQ(scene.boundsMax, (F3{100, 200, 50}));

    // Values: one per interval piece; LITH shares its categories over both tables and holes.
    const auto& dh1 = scene.objectValues[0].columns;
    ASSERT_EQ(dh1.size(), 2u);
    EXPECT_EQ(dh1[0].name, "AU");
    EXPECT_FALSE(dh1[0].text);
    ASSERT_EQ(dh1[0].numbers.size(), 2u);
    EXPECT_EQ(dh1[0].numbers[0], 1.5f);
    EXPECT_TRUE(std::isnan(dh1[0].numbers[1]));
    EXPECT_EQ(dh1[1].categories, (std::vector<int32_t>{1, 0}));
    const std::vector<std::string> names{"sul", "ox", "brec"};
    EXPECT_EQ(dh1[1].categoryNames, names);
    const auto& dh2 = scene.objectValues[1].columns;
    EXPECT_EQ(dh2[1].categoryNames, names);
    std::vector<int32_t> expected(23, 0);
    expected.insert(expected.end(), 23, 2);
    EXPECT_EQ(dh2[1].categories, expected);
    EXPECT_EQ(dh2[0].numbers.size(), 46u);
    EXPECT_TRUE(std::isnan(dh2[0].numbers[45])) << "a table without AU gives no AU";
    EXPECT_TRUE(scene.objectValues[2].columns[0].numbers.empty());

    // Announced with menu ids as every object is; one progress bar up to 100.
    ASSERT_EQ(observer.announcements.size(), 3u);
    EXPECT_EQ(observer.announcements[2].name, "DH3");
    EXPECT_EQ(observer.announcements[2].menuId, 5004);
    EXPECT_EQ(observer.progressTitles, (std::vector<std::string>{"Drill holes"}));
    EXPECT_EQ(observer.progress[0].back(), 100);
    EXPECT_EQ(observer.closed, 1);
}

TEST(AddDrillHoles, LongArcsSplitIntoSmallTurnsAndASecondSetAppends) {
    std::vector<SkippedRow> skipped;
    const auto tables = Tables({{"c.csv", "HOLEID,X,Y,Z\nH,0,0,0\n"},
                                {"s.csv", "HOLEID,DEPTH,AZIMUTH,DIP\nH,10,0,-90\nH,110,0,-30\n"},
                                {"i.csv", "HOLEID,FROM,TO,CU\nH,51,200,0.1\n"}},
                               skipped);
    SceneModel scene;
    RecordingObserver observer;
    AddDrillHoles(scene, tables, observer, skipped);
    AddDrillHoles(scene, tables, observer, skipped);
    EXPECT_TRUE(skipped.empty());
    ASSERT_EQ(scene.objectNames.size(), 2u);
    EXPECT_EQ(scene.firstVertex[1], 2 * scene.elementCounts[0]);
    // 0-10 straight, 10-110 one arc of 60 degrees in 30 pieces, split at 51: pieces of
    // the trace 1 + 13, of the interval 18 on the arc and one straight below it.
    EXPECT_EQ(scene.objectValues[0].firstVertex, 2 * 14);
    EXPECT_EQ(scene.elementCounts[0], 14 + 19);
    // No piece turns more than two degrees.
    for (int32_t e = 0; e + 1 < scene.elementCounts[0]; ++e) {
        const auto a0 = Stored(scene, 2 * e), a1 = Stored(scene, 2 * e + 1);
        const auto b0 = Stored(scene, 2 * e + 2), b1 = Stored(scene, 2 * e + 3);
        if (a1 != b0) continue;  // trace and interval pieces meet elsewhere
        double dot = 0, la = 0, lb = 0;
        for (int c = 0; c < 3; ++c) {
            dot += double(a1[c] - a0[c]) * double(b1[c] - b0[c]);
            la += double(a1[c] - a0[c]) * double(a1[c] - a0[c]);
            lb += double(b1[c] - b0[c]) * double(b1[c] - b0[c]);
        }
        EXPECT_LT(std::acos(std::min(1.0, dot / std::sqrt(la * lb))), 2.01 * kPi / 180) << "piece " << e;
    }
    // The end of the hole: 200 m deep, the last part straight at dip −30 to the north.
    const auto end = HoleOffsets({{10, 0, -90}, {110, 0, -30}}, {200.0})[0];
    const auto last = Stored(scene, 2 * scene.elementCounts[0] - 1);
    EXPECT_NEAR(last[0], end[0], 1e-4);
    EXPECT_NEAR(last[1], end[2], 1e-4);
    EXPECT_NEAR(last[2], end[1], 1e-4);
    EXPECT_EQ(observer.progressTitles.size(), 2u);

    // A turn about face within half a metre: two pieces of 0.25 m, not 90 of 2 degrees.
    const auto wild = Tables({{"c.csv", "HOLEID,X,Y,Z\nW,0,0,0\n"},
                              {"s.csv", "HOLEID,DEPTH,AZIMUTH,DIP\nW,0,0,-90\nW,0.5,0,89\nW,0.5,0,-90\n"}},
                             skipped);
    SceneModel wildScene;
    AddDrillHoles(wildScene, wild, observer, skipped);
    EXPECT_EQ(wildScene.elementCounts, (std::vector<int32_t>{2}));
}

TEST(AddDrillHoles, SampleTablesMakeTwelveHolesWithoutASkippedRow) {
    std::vector<SkippedRow> skipped;
    std::vector<std::pair<std::string, std::string>> files;
    for (const char* name : {"collars.csv", "surveys.csv", "assays.csv"}) {
        std::ifstream in(std::string(TALAN_SAMPLES_DIR) + "/drillholes/" + name, std::ios::binary);
        files.emplace_back(name, std::string(std::istreambuf_iterator<char>(in), {}));
        ASSERT_FALSE(files.back().second.empty()) << name;
    }
    const auto tables = Tables(files, skipped);
    EXPECT_EQ(tables[0].kind, DrillTableKind::Collar);
    EXPECT_EQ(tables[1].kind, DrillTableKind::Survey);
    EXPECT_EQ(tables[2].kind, DrillTableKind::Intervals);
    SceneModel scene;
    RecordingObserver observer;
    AddDrillHoles(scene, tables, observer, skipped);
    EXPECT_TRUE(skipped.empty());
    ASSERT_EQ(scene.objectNames.size(), 12u);
    EXPECT_EQ(scene.objectNames[11], "DH-00012");
    for (size_t k = 0; k < scene.objectValues.size(); ++k) {
        const auto& columns = scene.objectValues[k].columns;
        ASSERT_EQ(columns.size(), 3u);
        EXPECT_FALSE(columns[0].text);
        EXPECT_TRUE(columns[2].text);
        EXPECT_EQ(columns[2].categoryNames, scene.objectValues[0].columns[2].categoryNames);
        const int32_t pieces = scene.elementCounts[k] - scene.objectValues[k].firstVertex / 2;
        EXPECT_EQ(static_cast<int32_t>(columns[2].Size()), pieces);
    }
    // Every vertex lies over the site, below the highest collar.
    for (int c = 0; c < 3; ++c) EXPECT_LE(scene.boundsMin[c], scene.boundsMax[c]);
    EXPECT_GE(scene.boundsMin[0], 900.0f);
    EXPECT_LE(scene.boundsMax[1], 4100.0f);
    EXPECT_LE(scene.boundsMax[2], 600.0f);
    EXPECT_EQ(observer.progress[0].size(), 12u) << "one step per hole, each a new percentage";
}

}  // namespace
}  // namespace talan
