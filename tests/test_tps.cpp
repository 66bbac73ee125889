#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <random>
#include <string>

#include "harness.h"
#include "io/tps.h"
#include "platform/error.h"

using namespace vezedo;
using platform::CellList;
using platform::Matrix;
using platform::Value;
namespace fs = std::filesystem;

using vezedo::test::errorOf;
using vezedo::test::RestoreCurrentFolder;

namespace {

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

TEST(TpsReader, ReadsTheLandmarksAndPassesOverEverythingElse)
{
    const io::TpsData d = io::parseTps(kRealistic, "skulls.tps");
    EXPECT_EQ(d.table, Matrix::fromRows({{10.5, 20.25, -3, 11.5, 21.25, -4}, {10, 2.5, 3, -0.5, 0.25, 6}}));
    EXPECT_EQ(d.namelist, (CellList{Value("\n"), Value("\r\n"), Value(-1.0)}));
    EXPECT_EQ(d.ids, (std::vector<std::string>{"MNHN 1882-17", "skull_02.ply"}));

    // The namelist holds the rest of each header line; a specimen without ID or IMAGE is known by its number.
    const io::TpsData named = io::parseTps("LM=1 left side\n1 2 3\nlm=1.0\t# again\n4 5 6\nID=b", "t.tps");
    EXPECT_EQ(named.namelist, (CellList{Value(" left side\n"), Value("\t# again\n"), Value(-1.0)}));
    EXPECT_EQ(named.ids, (std::vector<std::string>{"specimen1", "b"}));
}

TEST(TpsReader, HeadersAreFoundByTheCharacterRules)
{
    const Matrix one = Matrix::fromRows({{1, 2, 3}});
    const Matrix two = Matrix::fromRows({{1, 2, 3}, {4, 5, 6}});
    const std::pair<std::string, Matrix> cases[] = {
        {"lm=1\n1 2 3\nLm=1\n4 5 6\nlM=1\n7 8 9\n", Matrix::fromRows({{1, 2, 3}, {4, 5, 6}, {7, 8, 9}})},
        {"LM3=1\n1 2 3\nlm3=1\n4 5 6\n", two},
        {"LM=1\n1 2 3\n\nCURVES=1\n  POINTS=2\n1 2\n\n3 4 5\nID=a\nLM=1\n4 5 6\n", two},  // blank lines, curve points
        {"model=1\n1 2 3\n", one},  // "l=" ending a word, before the first specimen
        {"LM=\n1\n1 2 3\n", one},   // the count on the next line
        {"LM=1\n0.1 2.2250738585072011e-308 1e-400\n", Matrix::rowVector({0.1, 2.2250738585072011e-308, 0.0})}};
    for (const auto& [text, table] : cases)
        EXPECT_EQ(io::parseTps(text, "t.tps").table, table) << text;
}

TEST(TpsReader, RefusesNamingFileLineSpecimenAndWhatWasExpected)
{
    const std::string count = "the landmark count after \"LM=\" must be a positive whole number; found ";
    const std::pair<std::string, std::string> cases[] = {
        {"1 2 3\n4 5 6\nID=a\n", "File mice.tps: no landmark header was found; each specimen of a TPS file begins "
                                 "with a line such as \"LM=10\" or \"LM3=10\""},
        {"LM=1\n1 2 3\nID=a\nLM2=1\n4 5\nID=b\n",
         "File mice.tps, line 4: specimen 2 (ID=b): \"LM2=\" heads landmarks with 2 coordinates each; only 3D "
         "landmarks (\"LM=\" or \"LM3=\") can be read"},
        {"LM=ten\n1 2 3\n", "File mice.tps, line 1: specimen 1: " + count + "\"ten\""},
        {"IMAGE=a.ply\nlm=0\n", "File mice.tps, line 2: specimen 1: the landmark count after \"lm=\" must be a "
                                "positive whole number; found \"0\""},
        {"LM=2.5\n1 2 3\n", "File mice.tps, line 1: specimen 1: " + count + "\"2.5\""},
        {"LM=1\n1 2 3\nLM=inf\n", "File mice.tps, line 3: specimen 2: " + count + "\"inf\""},
        {"LM=1\n1 2 3\nLM=", "File mice.tps, line 3: specimen 2: " + count + "the end of the file"},
        {"LM=999999999999\n1 2 3\n", "File mice.tps, line 1: specimen 1: the header announces 999999999999 "
                                     "landmarks, but the rest of the file (7 bytes) is too short for their x, y and z"},
        {"LM=2\n1 2 3\n4 5 6\nID=a\nLM=2\n1 2 3\n4 5\nID=b b\r\n",
         "File mice.tps, line 8: specimen 2 (ID=b b): expected 6 numbers (x, y and z of 2 landmarks) after the "
         "header on line 5, found 5 before \"ID=b b\""},
        {"LM=2\nID=a\nSCALE=0.5\n", "File mice.tps, line 2: specimen 1 (ID=a): expected 6 numbers (x, y and z of 2 "
                                    "landmarks) after the header on line 1, found 0 before \"ID=a\""},
        // Stopping here would silently drop every specimen after it.
        {"LM=1\n1 2 3\nLM=1\nIMAGE=b.ply\nLM=1\n7 8 9\n",
         "File mice.tps, line 4: specimen 2 (IMAGE=b.ply): expected 3 numbers (x, y and z of 1 landmark) after the "
         "header on line 3, found 0 before \"IMAGE=b.ply\""},
        {"LM=2\n1.5 2.5 3.5\n4.5\n", "File mice.tps, line 3: specimen 1: expected 6 numbers (x, y and z of 2 "
                                     "landmarks) after the header on line 1, found 4 before the end of the file"},
        {"LM=1\n1 2 3\nLM=2\n1 2 3\n4 5 6\nID=c\n",
         "File mice.tps, line 3: specimen 2 (ID=c): the header announces 2 landmarks, but the first specimen has 1; "
         "every specimen must have the same landmarks"}};
    for (const auto& [text, message] : cases) {
        try {
            io::parseTps(text, "mice.tps");
            ADD_FAILURE() << "no error for " << text;
        } catch (const FileFormatError& e) {
            EXPECT_EQ(std::string(e.what()), message);
            EXPECT_EQ(e.file(), "mice.tps");
        }
    }
}

struct TpsRefusal {
    const char* name;
    std::string text;
    std::string message;
};

class TpsReaderRefuses : public ::testing::TestWithParam<TpsRefusal> {};

TEST_P(TpsReaderRefuses, NamingFileLineAndSpecimen)
{
    EXPECT_EQ(errorOf([&] { io::parseTps(GetParam().text, "mice.tps"); }), GetParam().message);
}

const std::string kOnly = "only ID=, IMAGE=, SCALE=, COMMENT=, CURVES= and POINTS= lines (with their points) may "
                          "stand between a specimen's coordinates and the next \"LM=\" header";
const std::string kSomeOnly = " is missing in some coordinates only; a missing landmark has NA, NaN, -999 or -9999 "
                              "as all three of x, y and z";

// Whatever is neither a specimen's own line nor a header after its coordinates is refused: a
// lost header would otherwise shift coordinates onto the next specimen's ID.
const TpsRefusal kStrayLines[] = {
    {"LostIdAndHeaderLines", "LM=1\n1 2 3\n4 5 6\nID=b\n",
     "File mice.tps, line 3: specimen 1 (ID=b): found \"4 5 6\"; " + kOnly},
    {"HeaderTypo", "LM=1\n1 2 3\nID=a\nLMe=1\n4 5 6\nID=b\n",
     "File mice.tps, line 4: specimen 1 (ID=a): found \"LMe=1\"; " + kOnly},
    {"SpacedHeader", "LM=1\n1 2 3\nLM = 1\n4 5 6\n", "File mice.tps, line 3: specimen 1: found \"LM = 1\"; " + kOnly},
    {"DoubledLetterHeader", "LM=1\n1 2 3\nLLM=1\n4 5 6\n",
     "File mice.tps, line 3: specimen 1: found \"LLM=1\"; " + kOnly},
    {"LooseLHeader", "LM=1\n1 2 3\nl=1\n4 5 6\n", "File mice.tps, line 3: specimen 1: found \"l=1\"; " + kOnly},
    {"SurplusCoordinateLine", "LM=2\n1 2 3\n4 5 6\n7 8 9\nID=a\nLM=2\n1 2 3\n4 5 6\n",
     "File mice.tps, line 4: specimen 1 (ID=a): found \"7 8 9\"; " + kOnly},
    {"SurplusNumberOnTheLastLine", "LM=1\n1 2 3 4\nID=a\n",
     "File mice.tps, line 2: specimen 1 (ID=a): found \"4\" after the 3 numbers of the specimen's landmarks; " + kOnly},
    {"HashComment", "LM=1\n1 2 3\n# note\nLM=1\n4 5 6\n",
     "File mice.tps, line 3: specimen 1: found \"# note\"; " + kOnly},
    {"NumberAfterTheCurvePoints", "LM=1\n1 2 3\nPOINTS=1\n1 2\n3 4\n",
     "File mice.tps, line 5: specimen 1: found \"3 4\"; " + kOnly},
    {"FewerCurvePointsThanAnnounced", "LM=1\n1 2 3\nCURVES=1\nPOINTS=2\n1 2\nID=a\n",
     "File mice.tps, line 6: specimen 1 (ID=a): the POINTS= line 4 announces points still due, found \"ID=a\"; each "
     "point is a line of its 2 or 3 coordinates"},
    {"NulInAStrayToken", std::string("LM=1\n1 2 3 4\0x\n", 15),
     "File mice.tps, line 2: specimen 1: found \"4\\0x\" after the 3 numbers of the specimen's landmarks; " + kOnly},
};

INSTANTIATE_TEST_SUITE_P(StrayLines, TpsReaderRefuses, ::testing::ValuesIn(kStrayLines),
                         [](const auto& testCase) { return std::string(testCase.param.name); });

// A landmark is missing only when all three of its numbers carry the same code.
const TpsRefusal kPartlyCoded[] = {
    {"TwoOfMinus999", "LM=1\n-999 -999 5\nID=a\n", "File mice.tps, line 2: specimen 1 (ID=a): landmark 1" + kSomeOnly},
    {"OneOfMinus9999", "LM=2\n1 2 3\n4 -9999 6\n", "File mice.tps, line 3: specimen 1: landmark 2" + kSomeOnly},
    {"NaAndMinus999", "LM=1\nNA -999 -999\n", "File mice.tps, line 2: specimen 1: landmark 1" + kSomeOnly},
    {"Minus999AndMinus9999", "LM=1\n-999 -9999 -999\n", "File mice.tps, line 2: specimen 1: landmark 1" + kSomeOnly},
};

INSTANTIATE_TEST_SUITE_P(PartlyCoded, TpsReaderRefuses, ::testing::ValuesIn(kPartlyCoded),
                         [](const auto& testCase) { return std::string(testCase.param.name); });

// Long texts of 300 specimens of 3 landmarks, each number 10 * specimen + position / 8 (exact
// in binary), written in the ways real files differ. The reader sizes its table from a count
// of the header lines it made beforehand and gathers specimens in blocks, and it looks for
// lone CRs sixteen bytes at a time: every variant must give the same table, names and lines.
struct LongTextCase {
    const char* name;
    std::string (*write)(const std::string& plain);
    int firstHeaderLine;  // where specimen 1's header is, after any line made for the case
};

std::string replaceAll(std::string text, const std::string& from, const std::string& to)
{
    for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size())
        text.replace(at, from.size(), to);
    return text;
}

const LongTextCase kLongTexts[] = {
    {"LineFeeds", [](const std::string& s) { return s; }, 1},
    {"CrLf", [](const std::string& s) { return replaceAll(s, "\n", "\r\n"); }, 1},
    {"LoneCrs", [](const std::string& s) { return replaceAll(s, "\n", "\r"); }, 1},
    {"OneLoneCrDeepInside",
     [](const std::string& s) {
         std::string t = s;
         t[t.find("\n", t.size() / 2 + 7)] = '\r';
         return t;
     },
     1},
    {"LoneCrAsLastByte", [](const std::string& s) { return s.substr(0, s.size() - 1) + "\r"; }, 1},
    {"FirstHeaderAfterTextOnItsLine", [](const std::string& s) { return "# from the arm " + s; }, 1},
    {"CommentLineFirst", [](const std::string& s) { return "# ruler in mm\n" + s; }, 2},
    {"LowerCaseHeadersAndBlankLines", [](const std::string& s) { return replaceAll(s, "LM=3\n", "\nlm=3\n"); }, 2},
};

class TpsReaderLongText : public ::testing::TestWithParam<LongTextCase> {};

TEST_P(TpsReaderLongText, GivesTheSameTableNamesAndLines)
{
    constexpr std::size_t kSpecimens = 300;
    std::string plain;
    Matrix expected(kSpecimens, 9);
    for (std::size_t s = 0; s < kSpecimens; ++s) {
        plain += "LM=3\n";
        for (std::size_t k = 0; k < 9; ++k) {
            expected(s, k) = 10.0 * static_cast<double>(s + 1) + static_cast<double>(k) / 8;
            plain += std::to_string(expected(s, k));  // "%f": exact for eighths
            plain += k % 3 == 2 ? "\n" : " ";
        }
        if (s % 7 == 3)
            plain += "ID=skull " + std::to_string(s + 1) + "\n";
    }
    const LongTextCase& c = GetParam();
    const io::TpsData d = io::parseTps(c.write(plain), "long.tps");
    EXPECT_EQ(d.table, expected);
    ASSERT_EQ(d.ids.size(), kSpecimens);
    ASSERT_EQ(d.info.size(), kSpecimens);
    int line = c.firstHeaderLine;
    for (std::size_t s = 0; s < kSpecimens; ++s) {
        EXPECT_EQ(d.ids[s], s % 7 == 3 ? "skull " + std::to_string(s + 1) : "specimen" + std::to_string(s + 1)) << s;
        EXPECT_EQ(d.info[s].headerLine, line) << "specimen " << s + 1;
        line += 4 + (s % 7 == 3) + (std::string(c.name) == "LowerCaseHeadersAndBlankLines");
    }
}

INSTANTIATE_TEST_SUITE_P(Variants, TpsReaderLongText, ::testing::ValuesIn(kLongTexts),
                         [](const auto& testCase) { return std::string(testCase.param.name); });

TEST(IoRows, Gettpsfile3DReadsTheChosenFileAndMakesItsFolderCurrent)
{
    const RestoreCurrentFolder restore;
    test::TempDir dir;
    test::Harness h;
    const auto call = [&] { return h.program.registry().call("gettpsfile3D", {Value(0.0)}, 3); };
    h.dialogs.queuePath(dir.write("skulls.txt", kRealistic));
    const auto out = call();
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[0].matrix().rows(), 2u);
    EXPECT_EQ(out[1], Value("skulls.txt"));
    EXPECT_EQ(out[2].cell().size(), 3u);
    EXPECT_EQ(fs::current_path(), fs::canonical(dir.path()));
    ASSERT_EQ(h.dialogs.requests().size(), 1u);
    EXPECT_EQ(h.dialogs.requests()[0].filter, "*.txt");
    EXPECT_EQ(h.dialogs.requests()[0].title, "Specify 3D input file to load");
    EXPECT_EQ(h.console.text(), "");

    // Cancelled: no table, the name 0, the folder unchanged.
    fs::current_path(restore.before);
    h.dialogs.queueCancel();
    const auto cancelled = call();
    EXPECT_TRUE(cancelled[0].isEmptyMatrix());
    EXPECT_EQ(cancelled[1], Value(0.0));
    EXPECT_TRUE(cancelled[2].cell().empty());
    EXPECT_EQ(fs::current_path(), restore.before);

    // Unreadable: the open error on the console, the name kept, the folder made current.
    h.dialogs.queuePath((dir.path() / "gone.txt").string());
    const auto gone = call();
    EXPECT_TRUE(gone[0].isEmptyMatrix());
    EXPECT_EQ(gone[1], Value("gone.txt"));
    EXPECT_EQ(h.console.text(), "Error on file open");
    EXPECT_EQ(fs::current_path(), fs::canonical(dir.path()));
}

// Random and mutated texts: the reader gives a consistent table or a FileFormatError, never
// anything else. A crash, a hang or an allocation for a made-up landmark count fails the run
// (under the sanitizers a huge allocation aborts).
std::string validFile(std::mt19937& random)
{
    std::uniform_int_distribution<int> count(1, 6);
    std::uniform_real_distribution<double> coordinate(-100.0, 100.0);
    const int landmarks = count(random);
    std::string text = "# fuzz\n";
    for (int s = 0, specimens = count(random); s < specimens; ++s) {
        text += (s % 2 ? "LM3=" : "LM=") + std::to_string(landmarks) + "\n";
        for (int i = 0; i < 3 * landmarks; ++i)
            text += std::to_string(coordinate(random)) + (i % 3 == 2 ? "\n" : " ");
        text += "IMAGE=s" + std::to_string(s) + ".ply\nID=" + std::to_string(s) + "\nCURVES=1\nPOINTS=1\n1 2 3\n";
    }
    return text;
}

// Truncations, random bytes, dropped stretches, inserted header fragments and changed digits.
std::string mutate(std::string text, std::mt19937& random)
{
    static const std::string fragments[] = {"LM=",      "lm3=",  "LM2=",   "l=",      "LM=999999999999",
                                            "LM=1e300", "LM=-1", "LM=nan", "ID=",     "\n",
                                            "\r\n",     " ",     "1e400",  "-",       "+",
                                            ".",        "inf",   "nan(",   "POINTS=", "0x1p3",
                                            "LM=0",     "LLM=",  "1.5e",   {'\0'}};
    auto pick = [&random](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n)(random); };
    for (std::size_t e = 0, edits = 1 + pick(3); e < edits; ++e) {
        const std::size_t at = pick(text.size()), kind = pick(4);
        if (kind == 0)
            text.resize(at);
        else if (kind == 1)
            text.insert(at, 1, static_cast<char>(pick(255)));
        else if (kind == 2)
            text.erase(at, pick(12));
        else if (kind == 3)
            text.insert(at, fragments[pick(std::size(fragments) - 1)]);
        else if (at < text.size())
            text[at] = static_cast<char>('0' + pick(9));
    }
    return text;
}

void expectTableOrFormatError(const std::string& text)
{
    try {
        const io::TpsData d = io::parseTps(text, "fuzz.tps");
        const std::size_t k = d.table.rows();
        ASSERT_GT(k, 0u);
        ASSERT_EQ(d.table.cols() % 3, 0u);
        ASSERT_EQ(d.namelist.size(), k + 1);
        ASSERT_EQ(d.ids.size(), k);
        ASSERT_EQ(d.namelist.back(), platform::Value(-1.0));
    } catch (const FileFormatError& e) {
        ASSERT_EQ(e.file(), "fuzz.tps");
        ASSERT_FALSE(std::string(e.what()).empty());
    }
}

TEST(TpsReaderFuzz, MutatedFilesAndRandomBytesGiveATableOrAFormatError)
{
    std::mt19937 random(20240611);
    for (int i = 0; i < 4000; ++i)
        ASSERT_NO_FATAL_FAILURE(expectTableOrFormatError(mutate(validFile(random), random))) << "mutated case " << i;

    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<std::size_t> length(0, 300);
    for (int i = 0; i < 2000; ++i) {
        std::string text(length(random), '\0');
        for (char& ch : text)
            ch = static_cast<char>(byte(random));
        if (i % 10 == 0)  // a header in front, so the coordinates are read too
            text.insert(0, "LM=2\n");
        ASSERT_NO_FATAL_FAILURE(expectTableOrFormatError(text)) << "random case " << i;
    }
}

}  // namespace
