// Corrections of the loaded specimens made in place: each one with its undo and redo, the
// lengths and the check that follow them, the refusals, and the CSV that lists them.
#include <array>
#include <cmath>
#include <fstream>
#include <functional>
#include <sstream>

#include "io/csv.h"
#include "scenario_checks.h"
#include "skullsfile.h"

using namespace vezedo;
using namespace vezedo::test;

namespace {

using Kind = session::Correction::Kind;

// The example skulls with specimen j (from 0) written the wrong way round: x -> -x.
std::string mirrored(std::size_t j)
{
    std::vector<std::string> all = lines(kSkulls);
    for (std::size_t l = 1; l <= 10; ++l) {
        const auto [x, y, z] = point(landmarkLine(all, j, l));
        landmarkLine(all, j, l) = io::shortestNumber(-x) + " " + io::shortestNumber(y) + " " + io::shortestNumber(z);
    }
    return joinLines(all);
}

// The example skulls without specimen j (from 0).
std::string without(std::size_t j)
{
    std::vector<std::string> all = lines(kSkulls);
    all.erase(all.begin() + static_cast<long>(j * 12), all.begin() + static_cast<long>(j * 12 + 12));
    return joinLines(all);
}

void correct(Scenario& s, const std::string& action, const std::string& specimen, const std::string& first = "",
             const std::string& second = "")
{
    s.type("SpecimenBox", specimen);
    s.type("EndBox1", first);
    s.type("EndBox2", second);
    s.press(action);
}

// What a correction and its undo must bring back exactly.
struct Corrected {
    session::Specimens specimens;
    std::vector<session::Correction> corrections;
    bool operator==(const Corrected&) const = default;
};

Corrected corrected(Scenario& s)
{
    return {s.state().specimens, s.state().corrections};
}

struct CorrectionCase {
    const char* name;
    std::function<void(Scenario&)> before;  // steps that are not undone
    std::function<void(Scenario&)> act;
    std::vector<session::Correction> after;  // the corrections in force afterwards
    std::size_t count;                       // specimens in use afterwards
};

const CorrectionCase kCorrectionCases[] = {
    {"ExchangeById",
     [](Scenario&) {},
     [](Scenario& s) { correct(s, "ExchangeLandmarks", "skull_07", "8", "3"); },
     {{7, "skull_07", Kind::Exchange, 3, 8}},
     25},
    {"MirrorByNumber",
     [](Scenario&) {},
     [](Scenario& s) { correct(s, "MirrorSpecimen", "12"); },
     {{12, "skull_12", Kind::Mirror, 0, 0}},
     25},
    {"Exclude",
     [](Scenario&) {},
     [](Scenario& s) { correct(s, "ExcludeSpecimen", "skull_03"); },
     {{3, "skull_03", Kind::Exclude, 0, 0}},
     24},
    {"IncludeTakesTheExclusionBack",
     [](Scenario& s) {
         correct(s, "ExcludeSpecimen", "skull_03");
         correct(s, "MirrorSpecimen", "skull_05");
     },
     [](Scenario& s) { correct(s, "IncludeSpecimen", "3"); },
     {{5, "skull_05", Kind::Mirror, 0, 0}},
     25},
    // Numbers count in the loaded order: with specimen 3 left out, 4 is still skull_04.
    {"NumbersKeepTheLoadedOrderPastAnExclusion",
     [](Scenario& s) { correct(s, "ExcludeSpecimen", "3"); },
     [](Scenario& s) { correct(s, "ExchangeLandmarks", "4", "1", "2"); },
     {{3, "skull_03", Kind::Exclude, 0, 0}, {4, "skull_04", Kind::Exchange, 1, 2}},
     24},
};

class EachCorrection : public testing::TestWithParam<CorrectionCase> {};

}  // namespace

TEST_P(EachCorrection, ChangesTheSpecimensAndUndoAndRedoBringEachStateBackExactly)
{
    const CorrectionCase& param = GetParam();
    Scenario s;
    s.loadTps("skulls.tps", kSkulls);
    param.before(s);
    const Corrected before = corrected(s);
    param.act(s);
    EXPECT_TRUE(s.h.messages.texts().empty()) << testing::PrintToString(s.h.messages.texts());
    EXPECT_EQ(s.state().corrections, param.after);
    EXPECT_EQ(s.state().specimens.count(), param.count);
    EXPECT_FALSE(s.state().specimens == before.specimens);
    EXPECT_TRUE(s.state().revisions.correctionsChanged());
    const Corrected after = corrected(s);
    s.press("Undo");
    EXPECT_TRUE(corrected(s) == before);
    s.press("Redo");
    EXPECT_TRUE(corrected(s) == after);
}

INSTANTIATE_TEST_SUITE_P(Corrections, EachCorrection, testing::ValuesIn(kCorrectionCases),
                         [](const auto& row) { return std::string(row.param.name); });

// Exchanging the planted pair back gives exactly what the file without the exchange gives.
TEST(ExchangeLandmarks, UndoesAPlantedExchangeAsIfTheFileHadBeenRight)
{
    Scenario planted, clean;
    planted.loadTps("skulls.tps", swapped(6, 3, 8));
    clean.loadTps("skulls.tps", kSkulls);
    correct(planted, "ExchangeLandmarks", "skull_07", "3", "8");
    const session::Specimens& a = planted.state().specimens;
    const session::Specimens& b = clean.state().specimens;
    EXPECT_EQ(a.fitted, b.fitted);
    EXPECT_EQ(a.mean, b.mean);
    EXPECT_EQ(a.sizes, b.sizes);
    EXPECT_EQ(a.read, b.read);
    // The specimens as loaded stay as the file had them.
    ASSERT_TRUE(planted.state().uncorrected.has_value());
    EXPECT_NE(planted.state().uncorrected->read, b.read);
    EXPECT_TRUE(containsEach(planted.h.console.text(),
                             "Corrections: 1 change in place|specimen 7 (skull_07): landmarks 3 and 8 exchanged"))
        << planted.h.console.text();
}

// The lengths file written after the exchange, against distances worked out here from the
// coordinates of the file with the pair exchanged back by hand.
TEST(ExchangeLandmarks, LengthsWrittenAfterwardsUseTheExchangedCoordinates)
{
    Scenario s;
    s.loadTps("skulls.tps", swapped(6, 3, 8));
    s.load("LoadProto", "p.txt", "1 1 3\n2 8 9\n3 2 5\n");
    correct(s, "ExchangeLandmarks", "skull_07", "3", "8");
    s.press("SaveLengthsCSV", "lengths.csv");
    const auto rows = io::parseCsv(s.read("lengths.csv"), "lengths.csv");
    ASSERT_EQ(rows.size(), 26u);
    std::vector<std::string> all = lines(kSkulls);
    const auto at = [&](std::size_t j, std::size_t l) { return point(landmarkLine(all, j, l)); };
    for (std::size_t j = 0; j < 25; ++j) {
        SCOPED_TRACE(rows[j + 1][0]);
        const double expected[] = {distance(at(j, 1), at(j, 3)), distance(at(j, 8), at(j, 9)),
                                   distance(at(j, 2), at(j, 5))};
        for (std::size_t i = 0; i < 3; ++i)
            EXPECT_NEAR(std::stod(rows[j + 1][i + 1]), expected[i], 1e-9 * expected[i]);
    }
}

TEST(MirrorSpecimen, TakesAwayTheMirroredFlagOfAReflectedCopy)
{
    Scenario s;
    s.loadTps("skulls.tps", mirrored(11));
    s.press("CheckSpecimens");
    ASSERT_TRUE(s.state().check.mirrored.at(11));
    correct(s, "MirrorSpecimen", "skull_12");
    // The check on view was made again on the corrected specimens.
    const auto& check = s.state().check;
    ASSERT_EQ(check.mirrored.size(), 25u);
    for (std::size_t j = 0; j < 25; ++j)
        EXPECT_FALSE(check.mirrored[j]) << j;
    // x -> -x once more gives the coordinates of the file as it should have been.
    Scenario clean;
    clean.loadTps("skulls.tps", kSkulls);
    for (std::size_t col = 0; col < 30; ++col)
        EXPECT_NEAR(s.state().specimens.read(11, col), clean.state().specimens.read(11, col), 1e-12) << col;
}

TEST(ExcludeSpecimen, LeavesTheSpecimenOutOfTheFitTheMeasuresAndTheMeanLengths)
{
    Scenario s;
    s.loadTps("skulls.tps", kSkulls);
    s.load("LoadProto", "p.txt", "1 1 3\n2 8 9\n");
    correct(s, "ExcludeSpecimen", "skull_03");
    // The fit is the fit of the other 24, as a file without skull_03 gives it.
    Scenario fewer;
    fewer.loadTps("skulls.tps", without(2));
    EXPECT_EQ(s.state().specimens.mean, fewer.state().specimens.mean);
    EXPECT_EQ(s.state().specimens.ids, fewer.state().specimens.ids);

    s.press("SaveLengthsCSV", "lengths.csv");
    const auto rows = io::parseCsv(s.read("lengths.csv"), "lengths.csv");
    ASSERT_EQ(rows.size(), 25u);
    for (const auto& row : rows)
        EXPECT_NE(row[0], "skull_03");
    // The mean length under "Length" is the average of the 24 raw distances worked out here.
    std::vector<std::string> all = lines(kSkulls);
    double sum = 0;
    for (std::size_t j = 0; j < 25; ++j)
        if (j != 2)
            sum += distance(point(landmarkLine(all, j, 1)), point(landmarkLine(all, j, 3)));
    s.type("TargetLineBox", "1");
    s.press("ShowMLine");
    const std::string length = s.box("LengthBox");
    EXPECT_NEAR(std::stod(length), sum / 24, 5e-4) << length;
    EXPECT_NE(length.find("n 24)"), std::string::npos) << length;
    EXPECT_TRUE(containsEach(s.h.console.text(), "Excluded: 1 specimen left out|specimen 3 (skull_03): excluded"))
        << s.h.console.text();
}

namespace {

struct RefusalCase {
    const char* name;
    std::function<void(Scenario&)> setup;
    std::function<void(Scenario&)> act;
    const char* message;  // pieces joined by |
};

const RefusalCase kRefusals[] = {
    {"NothingLoaded", [](Scenario&) {}, [](Scenario& s) { correct(s, "ExchangeLandmarks", "1", "1", "2"); },
     "No specimens are loaded"},
    {"UnknownSpecimen", [](Scenario& s) { s.loadTps("skulls.tps", kSkulls); },
     [](Scenario& s) { correct(s, "MirrorSpecimen", "skull_99"); }, "No specimen is \"skull_99\"|number from 1 to 25"},
    {"NumberPastTheLast", [](Scenario& s) { s.loadTps("skulls.tps", kSkulls); },
     [](Scenario& s) { correct(s, "ExcludeSpecimen", "26"); }, "No specimen is \"26\""},
    {"LandmarkOutOfRange", [](Scenario& s) { s.loadTps("skulls.tps", kSkulls); },
     [](Scenario& s) { correct(s, "ExchangeLandmarks", "skull_07", "3", "11"); },
     "second landmark box holds \"11\"|from 1 to 10"},
    {"LandmarkNotANumber", [](Scenario& s) { s.loadTps("skulls.tps", kSkulls); },
     [](Scenario& s) { correct(s, "ExchangeLandmarks", "skull_07", "x", "2"); }, "first landmark box holds \"x\""},
    {"EqualLandmarks", [](Scenario& s) { s.loadTps("skulls.tps", kSkulls); },
     [](Scenario& s) { correct(s, "ExchangeLandmarks", "skull_07", "4", "4"); },
     "Cannot exchange landmark 4 with itself"},
    {"IncludeOfASpecimenInUse", [](Scenario& s) { s.loadTps("skulls.tps", kSkulls); },
     [](Scenario& s) { correct(s, "IncludeSpecimen", "skull_07"); }, "skull_07|it is not excluded"},
    {"ExcludeTwice",
     [](Scenario& s) {
         s.loadTps("skulls.tps", kSkulls);
         correct(s, "ExcludeSpecimen", "skull_07");
     },
     [](Scenario& s) { correct(s, "ExcludeSpecimen", "7"); }, "skull_07|excluded already"},
    {"ExcludeBelowWhatTheFitNeeds", [](Scenario& s) { s.loadTps("two.tps", makeTps(2, 6)); },
     [](Scenario& s) { correct(s, "ExcludeSpecimen", "1"); }, "the fit needs at least 2 specimens"},
    {"MirrorOfAnExcludedSpecimen",
     [](Scenario& s) {
         s.loadTps("skulls.tps", kSkulls);
         correct(s, "ExcludeSpecimen", "skull_07");
     },
     [](Scenario& s) { correct(s, "MirrorSpecimen", "skull_07"); }, "Cannot mirror specimen 7 (skull_07)|excluded"},
    {"ExchangeInAnExcludedSpecimen",
     [](Scenario& s) {
         s.loadTps("skulls.tps", kSkulls);
         correct(s, "ExcludeSpecimen", "skull_07");
     },
     [](Scenario& s) { correct(s, "ExchangeLandmarks", "skull_07", "1", "2"); }, "skull_07|it is excluded"},
    {"ShowAnExcludedSpecimen",
     [](Scenario& s) {
         s.loadTps("skulls.tps", kSkulls);
         correct(s, "ExcludeSpecimen", "skull_07");
     },
     [](Scenario& s) { correct(s, "ShowSpecimen", "7"); }, "Specimen 7 (skull_07) is excluded"},
    {"SaveWithoutCorrections", [](Scenario& s) { s.loadTps("skulls.tps", kSkulls); },
     [](Scenario& s) { s.press("SaveCorrections"); }, "There are no corrections to save"},
};

class CorrectionRefusal : public testing::TestWithParam<RefusalCase> {};

}  // namespace

TEST_P(CorrectionRefusal, SaysWhatIsWrongAndChangesNothing)
{
    const RefusalCase& param = GetParam();
    Scenario s;
    param.setup(s);
    s.h.messages.clear();
    const Corrected before = corrected(s);
    const session::Revisions revisions = s.state().revisions;
    const std::size_t dialogs = s.h.dialogs.requests().size();
    param.act(s);
    expectMessage(s, param.message);
    EXPECT_TRUE(corrected(s) == before);
    EXPECT_EQ(s.state().revisions, revisions);
    EXPECT_EQ(s.h.dialogs.requests().size(), dialogs);
}

INSTANTIATE_TEST_SUITE_P(Corrections, CorrectionRefusal, testing::ValuesIn(kRefusals),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(SaveCorrections, WritesOneRowPerCorrectionInForceAndCountsAsSaved)
{
    Scenario s;
    s.loadTps("skulls.tps", kSkulls);
    correct(s, "ExchangeLandmarks", "skull_07", "8", "3");
    correct(s, "MirrorSpecimen", "12");
    correct(s, "ExcludeSpecimen", "skull_03");
    EXPECT_TRUE(s.state().revisions.correctionsChanged());
    s.press("SaveCorrections", "fixes.csv");
    EXPECT_EQ(s.read("fixes.csv"), "id,correction,i,j\n"
                                   "skull_07,exchange,3,8\n"
                                   "skull_12,mirror,,\n"
                                   "skull_03,exclude,,\n");
    EXPECT_EQ(s.h.dialogs.requests().back().filter, "*.csv");
    EXPECT_FALSE(s.state().revisions.correctionsChanged());
    // An undo after the save is unsaved work again; a redo back to what was saved is not.
    s.press("Undo");
    EXPECT_TRUE(s.state().revisions.correctionsChanged());
    s.press("Redo");
    EXPECT_FALSE(s.state().revisions.correctionsChanged());
}

TEST(Corrections, KeepTheUndoHistoryAndANewLoadDropsThem)
{
    Scenario s;
    s.loadTps("skulls.tps", kSkulls);
    s.load("LoadProto", "p.txt", "1 1 3\n");
    typeEnds(s, "2", "5");
    s.press("AddLine");
    correct(s, "MirrorSpecimen", "skull_05");
    s.press("Undo");
    s.press("Undo");  // the line added before the correction
    EXPECT_EQ(s.state().protocol.size(), 1u);
    EXPECT_TRUE(s.state().corrections.empty());
    s.press("Redo");
    s.press("Redo");
    EXPECT_EQ(s.state().protocol.size(), 2u);
    ASSERT_EQ(s.state().corrections.size(), 1u);

    s.loadTps("skulls.tps", kSkulls);
    EXPECT_TRUE(s.state().corrections.empty());
    EXPECT_FALSE(s.state().uncorrected.has_value());
    EXPECT_FALSE(s.state().revisions.correctionsChanged());
}

TEST(Corrections, GroupsAreGivenForEverySpecimenAsLoadedAndTheExcludedOnesLeftOut)
{
    Scenario s;
    s.loadTps("skulls.tps", kSkulls);
    correct(s, "ExcludeSpecimen", "skull_02");
    std::string groups = "id,group\n";
    for (std::size_t j = 1; j <= 25; ++j)
        groups += std::string("skull_") + (j < 10 ? "0" : "") + std::to_string(j) + "," + (j % 2 ? "a" : "b") + "\n";
    s.load("LoadGroups", "groups.csv", groups);
    EXPECT_TRUE(s.h.messages.texts().empty()) << testing::PrintToString(s.h.messages.texts());
    const auto& kept = s.state().specimens.groups;
    ASSERT_EQ(kept.size(), 24u);
    EXPECT_EQ(kept[0], "a");  // skull_01
    EXPECT_EQ(kept[1], "a");  // skull_03: skull_02 is left out
    correct(s, "IncludeSpecimen", "skull_02");
    ASSERT_EQ(s.state().specimens.groups.size(), 25u);
    EXPECT_EQ(s.state().specimens.groups[1], "b");
}
