// Loads of several files of different formats: which reader takes a file, a
// drill-hole set made of the tables of one load, and what each file reports.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <utility>
#include <string>
#include <vector>

#include "scene/DataFiles.h"

namespace talan {
namespace {

// Files of the given texts in the test's temporary folder, removed afterwards.
struct Files {
    std::vector<std::string> paths;
    std::string Add(const std::string& name, std::string_view text) {
        paths.push_back(::testing::TempDir() + "datafiles_" + std::to_string(::getpid()) + "_" + name);
        std::ofstream(paths.back(), std::ios::binary) << text;
        return paths.back();
    }
    ~Files() {
        for (const std::string& path : paths) std::remove(path.c_str());
    }
};

constexpr std::string_view kCollars = "HOLE_ID;EAST;NORTH;RL\r\nDH1;10;20;30\r\nDH2;40;50;60\r\n";
constexpr std::string_view kAssays = "hole id\tfrom\tto\tcu\nDH1\t0\t5\t0.2\nDH2\t1\t2\t0.4\n";
constexpr std::string_view kGocad = "GOCAD PLine 1\nHEADER {\nname: crest\n}\nVRTX 1 0 0 0\nVRTX 2 1 0 0\nSEG 1 2\n"
                                    "END\n";
constexpr std::string_view kScene = "\"Tavrin\"  PTS      2,\n255,\npoints,\nskip\n1,2,3\n4,5,6\n";

TEST(DataFiles, FormatsAreToldByTheFirstLineThenByTheName) {
    EXPECT_EQ(SniffDataFormat("a.KDX", "\"Tavrin\"  T3  3,\n"), DataFormat::SceneFile);
    EXPECT_EQ(SniffDataFormat("a.csv", "\"Tavrin\",x\n"), DataFormat::SceneFile);  // the signature wins
    EXPECT_EQ(SniffDataFormat("a.dat", "GOCAD TSurf 1\r\n"), DataFormat::Gocad);
    EXPECT_EQ(SniffDataFormat("a.ts", "\xEF\xBB\xBFGOCAD VSet 1\n"), DataFormat::Gocad);
    EXPECT_EQ(SniffDataFormat("a.CSV", "anything"), DataFormat::Table);
    EXPECT_EQ(SniffDataFormat("a.txt", ""), DataFormat::Table);
    EXPECT_EQ(SniffDataFormat("collars", "HOLEID;X;Y;Z\n"), DataFormat::Table);
    EXPECT_EQ(SniffDataFormat("a.png", std::string_view("\x89PNG\r\n\x1a\n\0\0,", 12)), DataFormat::SceneFile);
    EXPECT_EQ(SniffDataFormat("notes", "plain words\n"), DataFormat::SceneFile);
}

TEST(DataFiles, OneLoadOfEveryFormatKeepsTheOrderAndCountsEachObjectOnce) {
    Files files;
    const std::vector<std::string> paths = {files.Add("collars.csv", kCollars), files.Add("scene.KDX", kScene),
                                            files.Add("assays.txt", kAssays), files.Add("crest.pl", kGocad)};
    SceneModel scene;
    const DataFilesRead read = ReadDataFiles(scene, paths, nullptr);
    ASSERT_EQ(read.files.size(), 4u);
    for (const DataFileRead& file : read.files) EXPECT_TRUE(file.read.read) << file.path;
    EXPECT_TRUE(read.skipped.empty());
    EXPECT_TRUE(read.Combined().read);
    EXPECT_EQ(read.Combined().problem, ReadProblem::None);
    // Scene file and GOCAD objects in the order of the files, the holes after them.
    ASSERT_EQ(scene.objectNames, (std::vector<std::string>{"points", "crest", "DH1", "DH2"}));
    EXPECT_EQ(scene.objectFormats, (std::vector<SourceFormat>{SourceFormat::SceneFile, SourceFormat::GocadPLine,
                                                               SourceFormat::DrillHoleTables,
                                                               SourceFormat::DrillHoleTables}));
    EXPECT_EQ(scene.kindCount[static_cast<int>(ObjectKind::PTS)], 1);
    EXPECT_EQ(scene.kindCount[static_cast<int>(ObjectKind::LIN)], 1);
    EXPECT_EQ(scene.kindCount[static_cast<int>(ObjectKind::SONKDX)], 2);
    EXPECT_EQ(scene.objectCount, 4);
    EXPECT_FALSE(scene.boundsFromFile);
    // Menu identifiers follow one another across the formats.
    EXPECT_EQ(scene.nextObjectMenuId, kFirstObjectMenuId + 8);
    ASSERT_EQ(scene.objectValues[2].columns.size(), 1u);
    EXPECT_EQ(scene.objectValues[2].columns[0].name, "cu");
}

TEST(DataFiles, TablesWithoutCollarsAndFilesOfNoFormatAreRefusedEachWithItsReason) {
    Files files;
    const std::vector<std::string> paths = {
        files.Add("assays.csv", kAssays),       files.Add("list.csv", "a,b\n1,2\n"),
        files.Add("words", "one, two\n"),       files.Add("missing_dir/none.csv", ""),
        files.Add("empty.ts", ""),              files.Add("objects.ts", "GOCAD TSurf 1\nEND\n"),
    };
    std::remove(paths[3].c_str());  // a folder that does not exist
    SceneModel scene;
    const DataFilesRead read = ReadDataFiles(scene, paths, nullptr);
    ASSERT_EQ(read.files.size(), 6u);
    EXPECT_EQ(read.files[0].read.problem, ReadProblem::NoCollarTable);
    EXPECT_EQ(read.files[1].read.problem, ReadProblem::NotATable);
    // Taken for a table only for its comma, then no table: refused as no scene file.
    EXPECT_EQ(read.files[2].read.problem, ReadProblem::NoSignature);
    EXPECT_EQ(read.files[3].read.problem, ReadProblem::NotFound);
    EXPECT_EQ(read.files[4].read.problem, ReadProblem::Empty);
    EXPECT_EQ(read.files[5].read.problem, ReadProblem::NoObjects);
    for (const DataFileRead& file : read.files) EXPECT_FALSE(file.read.read) << file.path;
    EXPECT_FALSE(read.Combined().read);
    EXPECT_EQ(read.Combined().problem, ReadProblem::NoCollarTable);  // the first file's
    EXPECT_TRUE(scene.objectNames.empty());
    EXPECT_EQ(scene.objectCount, 0);
}

TEST(DataFiles, SkippedRowsAreListedFileByFileInTheLoadsOrderAndByLine) {
    Files files;
    const std::string collars = files.Add("c2.csv", "HOLEID,X,Y,Z\nA,1,2,3\nA,1,2,3\n");
    const std::string assays = files.Add("a2.csv", "HOLEID,FROM,TO,AU\nA,0,5,1\nA,4,6,2\nA,7,6,1\nB,0,1,1\n");
    SceneModel scene;
    const DataFilesRead read = ReadDataFiles(scene, {assays, collars}, nullptr);
    std::vector<std::pair<std::string, int64_t>> listed;
    for (const SkippedRow& row : read.skipped) listed.emplace_back(row.file, row.line);
    EXPECT_EQ(listed, (std::vector<std::pair<std::string, int64_t>>{{assays, 3}, {assays, 4}, {assays, 5}, {collars, 3}}));
    EXPECT_EQ(scene.objectNames, std::vector<std::string>{"A"});
}

TEST(DataFiles, ASetReadAgainGivesTheSameScene) {
    Files files;
    const std::vector<std::string> paths = {files.Add("c.csv", kCollars), files.Add("a.csv", kAssays)};
    SceneModel first, second;
    ReadDataFiles(first, paths, nullptr);
    ReadDataFiles(second, {paths[1], paths[0]}, nullptr);  // the tables in another order
    ASSERT_EQ(first.objectNames, second.objectNames);
    ASSERT_EQ(first.storedVertexCount, second.storedVertexCount);
    for (int64_t i = 0; i < first.storedVertexCount; ++i) {
        const SceneVertex& a = first.sceneVertices[static_cast<size_t>(i)];
        const SceneVertex& b = second.sceneVertices[static_cast<size_t>(i)];
        for (int c = 0; c < 3; ++c) EXPECT_EQ(a.position[c], b.position[c]) << i;
    }
}

}  // namespace
}  // namespace talan
