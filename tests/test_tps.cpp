#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "harness.h"
#include "io/tps.h"
#include "platform/error.h"

using namespace vezedo;
using platform::CellList;
using platform::Matrix;
using platform::Value;
namespace fs = std::filesystem;

namespace {

// Puts the process back in the folder it was in, however the test ends.
struct RestoreCurrentFolder {
    std::filesystem::path before = std::filesystem::current_path();
    ~RestoreCurrentFolder() { std::filesystem::current_path(before); }
};

Matrix rowsOf(std::initializer_list<std::initializer_list<double>> rows)
{
    return Matrix::fromRows(rows);
}

// Two specimens of two landmarks as the digitiser writes them, with the extra lines real
// 3D files carry: image, scale, comments and a curve of points after the landmarks.
const std::string kRealistic = "# skulls digitised 2023-04-02\n"
                               "LM3=2\n"
                               "10.5 20.25 -3\n"
                               "11.5 21.25 -4\n"
                               "CURVES=1\n"
                               "POINTS=3\n"
                               "1 2 3\n4 5 6\n7 8 9\n"
                               "IMAGE=skull_01.ply\n"
                               "ID=MNHN 1882-17\n"
                               "SCALE=0.01\n"
                               "COMMENT=left zygomatic damaged\n"
                               "lm3=2\r\n"
                               "1e1\t+2.5 3.\r\n"
                               "-0.5 .25 6\r\n"
                               "IMAGE=skull_02.ply\r\n";

TEST(TpsReader, RealisticFilePassesOverEverythingButTheLandmarks)
{
    const io::TpsData d = io::parseTps(kRealistic, "skulls.tps");
    EXPECT_EQ(d.table, rowsOf({{10.5, 20.25, -3, 11.5, 21.25, -4}, {10, 2.5, 3, -0.5, 0.25, 6}}));
    EXPECT_EQ(d.namelist, (CellList{Value("\n"), Value("\r\n"), Value(-1.0)}));
    EXPECT_EQ(d.ids, (std::vector<std::string>{"MNHN 1882-17", "skull_02.ply"}));
}

TEST(TpsReader, SpecimenWithoutIdOrImageIsKnownByItsNumber)
{
    const io::TpsData d = io::parseTps("LM=1\n1 2 3\nLM=1\n4 5 6\nID=b\n", "t.tps");
    EXPECT_EQ(d.ids, (std::vector<std::string>{"1", "b"}));
}

TEST(TpsReader, NamelistHoldsTheRestOfEachHeaderLine)
{
    const io::TpsData d = io::parseTps("LM=1 left side\n1 2 3\nlm=1.0\t# again\n4 5 6", "t.tps");
    EXPECT_EQ(d.namelist, (CellList{Value(" left side\n"), Value("\t# again\n"), Value(-1.0)}));
}

TEST(TpsReader, SurplusNumbersArePassedOver)
{
    const io::TpsData d = io::parseTps("LM=1\n1 2 3 99 98\n97\nLM=1\n4 5 6 7\n", "t.tps");
    EXPECT_EQ(d.table, rowsOf({{1, 2, 3}, {4, 5, 6}}));
}

TEST(TpsReader, NumbersReadToTheCorrectlyRoundedDouble)
{
    const io::TpsData d = io::parseTps("LM=1\n0.1 2.2250738585072011e-308 1e400\n", "t.tps");
    EXPECT_EQ(d.table, rowsOf({{0.1, 2.2250738585072011e-308, INFINITY}}));
}

struct HeaderCase {
    const char* name;
    std::string text;
    Matrix expected;
};

class TpsHeaders : public testing::TestWithParam<HeaderCase> {};

TEST_P(TpsHeaders, AreFoundByTheCharacterRules)
{
    EXPECT_EQ(io::parseTps(GetParam().text, "t.tps").table, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    TpsReader, TpsHeaders,
    testing::Values(
        HeaderCase{"LowerAndMixedCase", "lm=1\n1 2 3\nLm=1\n4 5 6\nlM=1\n7 8 9\n",
                   rowsOf({{1, 2, 3}, {4, 5, 6}, {7, 8, 9}})},
        HeaderCase{"ThreeDimensionalFormAnyCase", "LM3=1\n1 2 3\nlm3=1\n4 5 6\n", rowsOf({{1, 2, 3}, {4, 5, 6}})},
        HeaderCase{"LEqualsEndingAWordBeforeTheFirstSpecimen", "model=1\n1 2 3\n", rowsOf({{1, 2, 3}})},
        HeaderCase{"LEqualsAfterTheFirstSpecimenIsPassedOver", "LM=1\n1 2 3\nl=1\n4 5 6\n", rowsOf({{1, 2, 3}})},
        // After a failed attempt the scan resumes past the letters it looked at.
        HeaderCase{"RepeatedLettersHoldNoHeader", "LM=1\n1 2 3\nLLM=1\nLML=1\nlmm=1\n4 5 6\n", rowsOf({{1, 2, 3}})},
        HeaderCase{"SpacedHeaderIsNoHeader", "LM=1\n1 2 3\nLM = 1\n4 5 6\n", rowsOf({{1, 2, 3}})},
        HeaderCase{"CountOnTheNextLine", "LM=\n1\n1 2 3\n", rowsOf({{1, 2, 3}})}),
    [](const auto& row) { return std::string(row.param.name); });

struct BadCase {
    const char* name;
    std::string text;
    std::string message;
};

class TpsRefuses : public testing::TestWithParam<BadCase> {};

TEST_P(TpsRefuses, NamingFileSpecimenAndWhatWasExpected)
{
    try {
        io::parseTps(GetParam().text, "mice.tps");
        FAIL() << "no error";
    } catch (const FileFormatError& e) {
        EXPECT_EQ(std::string(e.what()), GetParam().message);
        EXPECT_EQ(e.file(), "mice.tps");
    }
}

INSTANTIATE_TEST_SUITE_P(
    TpsReader, TpsRefuses,
    testing::Values(
        BadCase{"NoHeader", "1 2 3\n4 5 6\nID=a\n",
                "File mice.tps: no landmark header was found; each specimen of a TPS file begins with a line such "
                "as \"LM=10\" or \"LM3=10\""},
        BadCase{"TwoDimensionalHeader", "LM=1\n1 2 3\nID=a\nLM2=1\n4 5\nID=b\n",
                "File mice.tps, line 4: specimen 2 (ID=b): \"LM2=\" heads landmarks with 2 coordinates each; only "
                "3D landmarks (\"LM=\" or \"LM3=\") can be read"},
        BadCase{"CountNotANumber", "LM=ten\n1 2 3\n",
                "File mice.tps, line 1: specimen 1: the landmark count after \"LM=\" must be a positive whole "
                "number; found \"ten\""},
        BadCase{"CountZero", "IMAGE=a.ply\nlm=0\n",
                "File mice.tps, line 2: specimen 1: the landmark count after \"lm=\" must be a positive whole number; "
                "found \"0\""},
        BadCase{"CountFractional", "LM=2.5\n1 2 3\n",
                "File mice.tps, line 1: specimen 1: the landmark count after \"LM=\" must be a positive whole "
                "number; found \"2.5\""},
        BadCase{"CountInfinite", "LM=1\n1 2 3\nLM=inf\n",
                "File mice.tps, line 3: specimen 2: the landmark count after \"LM=\" must be a positive whole "
                "number; found \"inf\""},
        BadCase{"CountMissingAtTheEnd", "LM=1\n1 2 3\nLM=",
                "File mice.tps, line 3: specimen 2: the landmark count after \"LM=\" must be a positive whole "
                "number; found the end of the file"},
        BadCase{"HugeCount", "LM=999999999999\n1 2 3\n",
                "File mice.tps, line 1: specimen 1: the header announces 999999999999 landmarks, but the rest of "
                "the file (7 bytes) is too short for their x, y and z"},
        BadCase{"ShortBlock", "LM=2\n1 2 3\n4 5 6\nID=a\nLM=2\n1 2 3\n4 5\nID=b b\r\n",
                "File mice.tps, line 8: specimen 2 (ID=b b): expected 6 numbers (x, y and z of 2 landmarks) after "
                "the header on line 5, found 5 before \"ID=b b\""},
        BadCase{"FirstBlockEmpty", "LM=2\nID=a\nSCALE=0.5\n",
                "File mice.tps, line 2: specimen 1 (ID=a): expected 6 numbers (x, y and z of 2 landmarks) after "
                "the header on line 1, found 0 before \"ID=a\""},
        // The scan would stop here and silently drop every specimen after it.
        BadCase{"LaterHeaderWithoutNumbers", "LM=1\n1 2 3\nLM=1\nIMAGE=b.ply\nLM=1\n7 8 9\n",
                "File mice.tps, line 4: specimen 2 (IMAGE=b.ply): expected 3 numbers (x, y and z of 1 landmark) "
                "after the header on line 3, found 0 before \"IMAGE=b.ply\""},
        BadCase{"BlockCutByTheEndOfTheFile", "LM=2\n1.5 2.5 3.5\n4.5\n",
                "File mice.tps, line 3: specimen 1: expected 6 numbers (x, y and z of 2 landmarks) after the "
                "header on line 1, found 4 before the end of the file"},
        BadCase{"LaterHeaderWithAnotherCount", "LM=1\n1 2 3\nLM=2\n1 2 3\n4 5 6\nID=c\n",
                "File mice.tps, line 3: specimen 2 (ID=c): the header announces 2 landmarks, but the first "
                "specimen has 1; every specimen must have the same landmarks"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(IoRows, Gettpsfile3DReadsTheChosenFileAndMakesItsFolderCurrent)
{
    const RestoreCurrentFolder restore;
    test::TempDir dir;
    test::Harness h;
    h.dialogs.queuePath(dir.write("skulls.txt", kRealistic));
    const auto out = h.program.registry().call("gettpsfile3D", {Value(0.0)}, 3);
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[0].matrix().rows(), 2u);
    EXPECT_EQ(out[1], Value("skulls.txt"));
    EXPECT_EQ(out[2].cell().size(), 3u);
    EXPECT_EQ(fs::current_path(), fs::canonical(dir.path()));
    ASSERT_EQ(h.dialogs.requests().size(), 1u);
    EXPECT_EQ(h.dialogs.requests()[0].filter, "*.txt");
    EXPECT_EQ(h.dialogs.requests()[0].title, "Specify 3D input file to load");
    EXPECT_EQ(h.console.text(), "");
}

TEST(IoRows, Gettpsfile3DCancelledGivesNoTableAndTheNameZero)
{
    const RestoreCurrentFolder restore;
    const fs::path& before = restore.before;
    test::Harness h;
    h.dialogs.queueCancel();
    const auto out = h.program.registry().call("gettpsfile3D", {Value(0.0)}, 3);
    EXPECT_TRUE(out[0].isEmptyMatrix());
    EXPECT_EQ(out[1], Value(0.0));
    EXPECT_TRUE(out[2].cell().empty());
    EXPECT_EQ(fs::current_path(), before);
}

TEST(IoRows, Gettpsfile3DUnreadableFileWritesTheOpenErrorAndKeepsTheName)
{
    const RestoreCurrentFolder restore;
    test::TempDir dir;
    test::Harness h;
    h.dialogs.queuePath((dir.path() / "gone.txt").string());
    const auto out = h.program.registry().call("gettpsfile3D", {Value(0.0)}, 3);
    EXPECT_TRUE(out[0].isEmptyMatrix());
    EXPECT_EQ(out[1], Value("gone.txt"));
    EXPECT_TRUE(out[2].cell().empty());
    EXPECT_EQ(h.console.text(), "Error on file open");
    EXPECT_EQ(fs::current_path(), fs::canonical(dir.path()));
}

}  // namespace
