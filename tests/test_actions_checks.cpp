// Checks before measuring, end to end: a planted landmark swap is found, the line summary
// and the measurement error match sums worked out here from the file's own coordinates.
#include <cmath>
#include <fstream>
#include <functional>
#include <sstream>

#include "controller/loadsteps.h"
#include "io/csv.h"
#include "scenario_checks.h"
#include "shape/shapecheck.h"
#include "skullsfile.h"

using namespace vezedo;
using namespace vezedo::test;

namespace {

using Rows = std::vector<std::vector<std::string>>;

std::string pointText(const Point& p)
{
    return io::shortestNumber(p[0]) + " " + io::shortestNumber(p[1]) + " " + io::shortestNumber(p[2]);
}

// The example skulls and a protocol, then `again` as their replicate.
void loadWithReplicate(Scenario& s, const std::string& protocol, const std::vector<std::string>& again)
{
    s.loadTps("skulls.tps", kSkulls);
    s.load("LoadProto", "p.txt", protocol);
    s.load("LoadReplicate", "again.tps", joinLines(again));
}

Rows saved(Scenario& s, const std::string& action, const std::string& name)
{
    s.press(action, name);
    return io::parseCsv(s.read(name), name);
}

TEST(CheckSpecimens, FindsAPlantedSwapRanksItFirstAndSuggestsThePair)
{
    Scenario s;
    s.loadTps("skulls.tps", swapped(6, 3, 8));
    s.press("CheckSpecimens");
    const auto& check = s.state().check;
    ASSERT_EQ(check.distance.size(), 25u);
    EXPECT_EQ(std::max_element(check.distance.begin(), check.distance.end()) - check.distance.begin(), 6);
    EXPECT_TRUE(check.outlier[6]);
    ASSERT_TRUE(check.swap[6].has_value());
    EXPECT_EQ(*check.swap[6], (session::SpecimenCheck::Swap{3, 8}));
    EXPECT_TRUE(containsEach(s.h.console.text(), "Checked 25 specimens|skull_07|landmarks 3 and 8 look swapped"))
        << s.h.console.text();

    const Rows rows = saved(s, "SaveSpecimenCheck", "check.csv");
    ASSERT_EQ(rows.size(), 26u);
    EXPECT_EQ(rows[0],
              (Strings{"id", "group", "procrustes_distance", "outlier", "mirrored", "swap_i", "swap_j", "swap_gain"}));
    EXPECT_EQ(rows[7][0], "skull_07");
    EXPECT_EQ(rows[7][1], "");
    EXPECT_EQ(std::stod(rows[7][2]), check.distance[6]);  // the shortest text that reads back
    EXPECT_EQ(Strings(rows[7].begin() + 3, rows[7].begin() + 7), (Strings{"1", "0", "3", "8"}));
    EXPECT_EQ(std::stod(rows[7][7]), check.gain[6]);
    EXPECT_GT(check.gain[6], 0.0);
    EXPECT_EQ(rows[1][7], "");  // no suggestion, no gain
    EXPECT_EQ(s.h.dialogs.requests().back().filter, "*.csv");

    // Shown over the mean, the suspected pair is joined in magenta.
    s.type("SpecimenBox", "skull_07");
    s.press("ShowSpecimen");
    const platform::Matrix shape = s.state().specimens.fitted.sliceMatrix(6);
    int pairs = 0;
    for (platform::Handle h : s.drawn(platform::ObjectType::Line)) {
        const auto& line = s.g().object(h).as<platform::LineData>();
        if (line.color == platform::Rgb{1, 0, 1} && line.points.size() == 2 && line.points[0][0] == shape(2, 0) &&
            line.points[1][0] == shape(7, 0))
            ++pairs;
    }
    EXPECT_EQ(pairs, 1);

    // The CSV's distances are those of a fit to convergence with rotations only, worked out
    // here directly: every specimen's distance to the converged mean.
    const auto fit = shape::fitToConvergence(controller::unfittedSpecimens(s.state().specimens));
    EXPECT_TRUE(fit.converged);
    for (std::size_t j = 0; j < 25; ++j) {
        double squared = 0;
        for (std::size_t i = 0; i < 30; ++i) {
            const double d = fit.fitted.slice(j)[i] - fit.mean.data()[i];
            squared += d * d;
        }
        EXPECT_NEAR(std::stod(rows[j + 1][2]), std::sqrt(squared), 1e-9) << j;
    }
    EXPECT_TRUE(containsEach(s.h.console.text(), "Fitted to convergence in|passes")) << s.h.console.text();

    // With the swap undone the specimen is an ordinary one.
    Scenario clean;
    clean.loadTps("skulls.tps", kSkulls);
    clean.press("CheckSpecimens");
    EXPECT_FALSE(clean.state().check.outlier[6]);
    EXPECT_FALSE(clean.state().check.swap[6].has_value());
}

TEST(CheckSpecimens, FlagsAMirroredSpecimenAndSavesIt)
{
    std::vector<std::string> all = lines(kSkulls);
    for (std::size_t l = 1; l <= 10; ++l) {  // skull_12 loaded the wrong way round: x -> -x
        auto [x, y, z] = point(landmarkLine(all, 11, l));
        landmarkLine(all, 11, l) = pointText({-x, y, z});
    }
    Scenario s;
    s.loadTps("skulls.tps", joinLines(all));
    s.press("CheckSpecimens");
    const auto& check = s.state().check;
    for (std::size_t j = 0; j < 25; ++j)
        EXPECT_EQ(check.mirrored[j], j == 11) << j;
    EXPECT_FALSE(check.swap[11].has_value());
    EXPECT_TRUE(containsEach(s.h.console.text(), "1 mirrored|skull_12|mirrored")) << s.h.console.text();
    const Rows rows = saved(s, "SaveSpecimenCheck", "check.csv");
    EXPECT_EQ(rows[12][0], "skull_12");
    EXPECT_EQ(rows[12][4], "1");
    EXPECT_EQ(rows[1][4], "0");
}

// The summary of one line, worked out here from the raw coordinates of the file.
TEST(LineSummary, MatchesSumsOfTheRawLengths)
{
    Scenario s;
    s.loadTps("skulls.tps", kSkulls);
    s.load("LoadProto", "p.txt", "1 2 5\n2 7 8\n");
    std::vector<std::string> all = lines(kSkulls);
    std::vector<double> lengths;
    for (std::size_t j = 0; j < 25; ++j)
        lengths.push_back(distance(point(landmarkLine(all, j, 7)), point(landmarkLine(all, j, 8))));
    double mean = 0, ss = 0;
    for (double v : lengths)
        mean += v / 25;
    for (double v : lengths)
        ss += (v - mean) * (v - mean);
    const double sd = std::sqrt(ss / 24);

    s.type("TargetLineBox", "2");
    s.press("ShowMLine");
    char expected[64];
    std::snprintf(expected, sizeof expected, "%.3f (SD %.3f, n 25)", mean, sd);
    EXPECT_EQ(s.box("LengthBox"), expected);

    const Rows rows = saved(s, "SaveLineSummary", "summary.csv");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], (Strings{"line", "name", "from", "to", "n", "mean", "sd", "cv", "min", "max", "outliers",
                                "suspect", "group"}));
    const Strings& r = rows[2];
    EXPECT_EQ(r[12], "");  // no groups loaded
    EXPECT_EQ(Strings(r.begin(), r.begin() + 5), (Strings{"2", "", "7", "8", "25"}));
    EXPECT_NEAR(std::stod(r[5]) / mean, 1, 1e-9);
    EXPECT_NEAR(std::stod(r[6]) / sd, 1, 1e-9);
    EXPECT_NEAR(std::stod(r[7]) / (100 * sd / mean), 1, 1e-9);
    EXPECT_NEAR(std::stod(r[8]) / *std::min_element(lengths.begin(), lengths.end()), 1, 1e-9);
    EXPECT_NEAR(std::stod(r[9]) / *std::max_element(lengths.begin(), lengths.end()), 1, 1e-9);
    s.press("ClearTarget");
    EXPECT_EQ(s.box("LengthBox"), " ");
}

TEST(LineSummary, NamesTheSpecimensWhoseSwapTouchesTheLine)
{
    Scenario s;
    s.loadTps("skulls.tps", swapped(6, 3, 8));
    s.load("LoadProto", "p.txt", "1 2 5\n2 7 8\n3 3 9\n");
    EXPECT_EQ(saved(s, "SaveLineSummary", "before.csv")[2][11], "");  // nothing checked yet
    s.press("CheckSpecimens");
    const Rows rows = saved(s, "SaveLineSummary", "after.csv");
    EXPECT_EQ(rows[1][11], "");
    EXPECT_EQ(rows[2][11], "skull_07");
    EXPECT_EQ(rows[3][11], "skull_07");
}

// ---- Groups ------------------------------------------------------------------------------------

// A groups file for the example skulls: a header, then "skull_NN,GROUP" for every specimen
// that `groupOf` gives a group (nullptr leaves the specimen out).
std::string groupsCsv(const std::function<const char*(std::size_t)>& groupOf, const std::string& header = "id,group")
{
    std::string out = header + "\n";
    for (std::size_t j = 0; j < 25; ++j) {
        char id[16];
        std::snprintf(id, sizeof id, "skull_%02zu", j + 1);
        if (const char* g = groupOf(j))
            out += std::string(id) + "," + g + "\n";
    }
    return out;
}

const char* oddOrEven(std::size_t j)
{
    return j % 2 == 0 ? "odd" : "even";
}

TEST(LoadGroups, RefusesNamingTheIdAndChangesNothing)
{
    struct Case {
        const char* name;
        bool specimens;
        std::string csv;
        const char* message;
    };
    const std::string all = groupsCsv(oddOrEven);
    const Case cases[] = {
        {"no specimens loaded", false, all, "No specimens are loaded"},
        {"ID not in the data", true, all + "skull_99,odd\n", "groups.csv|line 27|\"skull_99\" is not among"},
        {"specimen without a row", true, groupsCsv([](std::size_t j) { return j == 12 ? nullptr : oddOrEven(j); }),
         "groups.csv|\"skull_13\"|no group"},
        {"specimen with an empty group", true, groupsCsv([](std::size_t j) { return j == 4 ? "" : oddOrEven(j); }),
         "groups.csv|line 6|\"skull_05\" has no group"},
        {"ID given twice", true, all + "skull_02,odd\n", "groups.csv|line 27|\"skull_02\" is given twice|line 3"},
        {"no header", true, groupsCsv(oddOrEven, "skull_00,odd"), "groups.csv|line 1|header id,group"},
        {"three fields", true, all + "skull_02,odd,x\n", "groups.csv|line 27|two fields"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Scenario s;
        if (c.specimens)
            s.loadTps("skulls.tps", kSkulls);
        const Snapshot before = snapshot(s);
        s.file("groups.csv", c.csv);
        if (c.specimens)
            s.press("LoadGroups", "groups.csv");
        else
            s.press("LoadGroups");
        expectMessage(s, c.message);
        EXPECT_TRUE(snapshot(s) == before);
    }
}

// Coordinates of two structures: 20 specimens near one shape, 6 near a quite different one,
// each with its own small deterministic scatter.
std::string twoStructures()
{
    std::string out;
    char buf[128];
    for (std::size_t j = 0; j < 26; ++j) {
        const bool second = j >= 20;
        out += "LM=8\n";
        for (std::size_t i = 0; i < 8; ++i) {
            const auto di = static_cast<double>(i), dj = static_cast<double>(j);
            double x = std::cos(di) * (3 + static_cast<double>(i % 3)), y = std::sin(di * 1.7) * 2,
                   z = static_cast<double>(i % 4) - 1.5;
            if (second) {
                x *= i < 4 ? 1.6 : 0.8;
                z += i < 4 ? 0.0 : 2.0;
            }
            x += 0.04 * std::sin(13.1 * dj + 7.3 * di);
            y += 0.04 * std::sin(5.7 * dj + 3.1 * di + 1.0);
            z += 0.04 * std::sin(9.3 * dj + 2.9 * di + 2.0);
            std::snprintf(buf, sizeof buf, "%.6f %.6f %.6f\n", x, y, z);
            out += buf;
        }
        out += "ID=" + std::string(second ? "mandible_" : "cranium_") + std::to_string(j + 1) + "\n";
    }
    return out;
}

// Judged with the whole sample, the six specimens of the smaller structure stand out; judged
// within their own group, none does. The check CSV names each specimen's group.
TEST(LoadGroups, GroupsDecideWhichSpecimensAreOutliers)
{
    Scenario s;
    s.loadTps("bones.tps", twoStructures());
    s.press("CheckSpecimens");
    for (std::size_t j = 20; j < 26; ++j)
        EXPECT_TRUE(s.state().check.outlier[j]) << j;

    std::string csv = "ID,Group\r\n";  // any letter case, CRLF, quoted fields
    for (std::size_t j = 0; j < 26; ++j)
        csv += j >= 20 ? "\"mandible_" + std::to_string(j + 1) + "\",mandible\r\n"
                       : "cranium_" + std::to_string(j + 1) + ",\"cranium\"\r\n";
    s.load("LoadGroups", "groups.csv", csv);
    EXPECT_TRUE(s.h.messages.texts().empty()) << testing::PrintToString(s.h.messages.texts());
    EXPECT_EQ(s.h.dialogs.requests().back().filter, "*.csv");
    EXPECT_EQ(s.h.dialogs.requests().back().title, "Load groups: a CSV of id,group");
    EXPECT_TRUE(containsEach(s.h.console.text(), "Groups: 2 groups (cranium 20, mandible 6)")) << s.h.console.text();
    // The check on view was run again within the groups.
    for (std::size_t j = 20; j < 26; ++j)
        EXPECT_FALSE(s.state().check.outlier[j]) << j;
    s.press("CheckSpecimens");
    for (std::size_t j = 20; j < 26; ++j)
        EXPECT_FALSE(s.state().check.outlier[j]) << j;
    const Rows rows = saved(s, "SaveSpecimenCheck", "check.csv");
    ASSERT_EQ(rows.size(), 27u);
    EXPECT_EQ(rows[1][0], "cranium_1");
    EXPECT_EQ(rows[1][1], "cranium");
    EXPECT_EQ(rows[26][0], "mandible_26");
    EXPECT_EQ(rows[26][1], "mandible");
    EXPECT_EQ(rows[26][3], "0");

    // A new load forgets the groups.
    s.loadTps("bones.tps", twoStructures());
    EXPECT_TRUE(s.state().specimens.groups.empty());
    EXPECT_EQ(saved(s, "SaveSpecimenCheck", "again.csv")[26][1], "");
}

TEST(LoadGroups, AGroupOfFewerThanFourIsJudgedWithTheWholeSample)
{
    Scenario s;
    s.loadTps("skulls.tps", kSkulls);
    s.load("LoadGroups", "groups.csv", groupsCsv([](std::size_t j) { return j < 22 ? "large" : "small"; }));
    s.press("CheckSpecimens");
    EXPECT_EQ(s.state().check.pooledGroups, (Strings{"small"}));
    EXPECT_TRUE(containsEach(s.h.console.text(),
                             "Groups: 2 groups (large 22, small 3)|fewer than 4 specimens|whole sample: small"))
        << s.h.console.text();
}

// With groups, one row per line and group, each summing up only the lengths of its group.
TEST(LineSummary, SumsUpEachGroupOnItsOwn)
{
    Scenario s;
    s.loadTps("skulls.tps", kSkulls);
    s.load("LoadProto", "p.txt", "1 2 5\n2 7 8\n");
    s.load("LoadGroups", "groups.csv", groupsCsv(oddOrEven));
    const std::vector<std::string> all = lines(kSkulls);
    const Rows rows = saved(s, "SaveLineSummary", "summary.csv");
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0].back(), "group");
    const struct {
        std::size_t row;
        const char* line;
        const char* group;
        std::size_t first;  // of the group's specimens, every second one
        std::size_t from, to;
    } expected[] = {
        {1, "1", "odd", 0, 2, 5}, {2, "1", "even", 1, 2, 5}, {3, "2", "odd", 0, 7, 8}, {4, "2", "even", 1, 7, 8}};
    for (const auto& e : expected) {
        SCOPED_TRACE(e.row);
        std::vector<std::string> all2 = all;
        double sum = 0;
        std::size_t n = 0;
        for (std::size_t j = e.first; j < 25; j += 2, ++n)
            sum += distance(point(landmarkLine(all2, j, e.from)), point(landmarkLine(all2, j, e.to)));
        const Strings& r = rows[e.row];
        ASSERT_EQ(r.size(), 13u);
        EXPECT_EQ(r[0], e.line);
        EXPECT_EQ(r[12], e.group);
        EXPECT_EQ(r[4], std::to_string(n));
        EXPECT_NEAR(std::stod(r[5]) / (sum / static_cast<double>(n)), 1, 1e-9);
    }
}

// A replicate in which only landmark 9 was placed again elsewhere: the lines through it have
// the largest %ME and the lowest ICC, the others have no error at all.
TEST(MeasurementError, OnlyTheLinesThroughAMovedLandmarkShowError)
{
    Scenario s;
    std::vector<std::string> again = lines(kSkulls);
    for (std::size_t j = 0; j < 25; ++j) {
        const auto [x, y, z] = point(landmarkLine(again, j, 9));
        const double shift = 1.5 + 0.25 * static_cast<double>(j % 5);
        landmarkLine(again, j, 9) = pointText({x + shift, y, z - shift});
    }
    loadWithReplicate(s, "1 2 5\n2 7 8\n3 9 10\n4 1 9\n", again);
    EXPECT_TRUE(containsEach(s.h.console.text(), "Replicate again.tps: 25 specimens matched by ID"))
        << s.h.console.text();
    const Rows rows = saved(s, "SaveMeasurementError", "me.csv");
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[0], (Strings{"line", "name", "from", "to", "n", "tem", "rtem", "pct_me", "icc", "note"}));
    for (std::size_t row = 1; row < rows.size(); ++row)
        EXPECT_EQ(rows[row][9], "") << row;  // real lengths that vary: nothing to note
    EXPECT_EQ(rows[5][0], "cs");
    EXPECT_EQ(rows[5][1], "centroid_size");
    // Lines measured the same twice: TEM 0, up to the rounding of two separate fits.
    for (std::size_t line : {1u, 2u}) {
        EXPECT_LT(std::stod(rows[line][6]), 1e-10) << line;  // relative TEM, in percent
        EXPECT_LT(std::stod(rows[line][7]), 1e-10) << line;
        EXPECT_NEAR(std::stod(rows[line][8]), 1, 1e-10) << line;
    }
    for (std::size_t line : {3u, 4u}) {
        EXPECT_GT(std::stod(rows[line][7]), std::stod(rows[1][7])) << line;
        EXPECT_LT(std::stod(rows[line][8]), std::stod(rows[1][8])) << line;
        EXPECT_GT(std::stod(rows[line][5]), 0.1) << line;
    }
}

// TEM, %ME and ICC of one line against the one-way analysis worked out here, on a replicate
// that scales every specimen by its own small factor.
TEST(MeasurementError, MatchesTheOneWayAnalysisWorkedOutByHand)
{
    Scenario s;
    std::vector<std::string> again = lines(kSkulls);
    std::vector<double> first, second;
    for (std::size_t j = 0; j < 25; ++j) {
        const double f = 1 + 0.01 * static_cast<double>((j * 7) % 5);
        const double d = distance(point(landmarkLine(again, j, 2)), point(landmarkLine(again, j, 5)));
        for (std::size_t l = 1; l <= 10; ++l) {
            const auto [x, y, z] = point(landmarkLine(again, j, l));
            landmarkLine(again, j, l) = pointText({x * f, y * f, z * f});
        }
        first.push_back(d);
        second.push_back(d * f);
    }
    double grand = 0;
    for (std::size_t j = 0; j < 25; ++j)
        grand += (first[j] + second[j]) / 50;
    double within = 0, among = 0;
    for (std::size_t j = 0; j < 25; ++j) {
        const double m = (first[j] + second[j]) / 2;
        within += (first[j] - m) * (first[j] - m) + (second[j] - m) * (second[j] - m);
        among += (m - grand) * (m - grand);
    }
    const double msWithin = within / 25, msAmong = 2 * among / 24, s2 = (msAmong - msWithin) / 2;
    loadWithReplicate(s, "1 2 5\n", again);
    const Rows rows = saved(s, "SaveMeasurementError", "me.csv");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_NEAR(std::stod(rows[1][5]) / std::sqrt(msWithin), 1, 1e-9);
    EXPECT_NEAR(std::stod(rows[1][6]) / (100 * std::sqrt(msWithin) / grand), 1, 1e-9);
    EXPECT_NEAR(std::stod(rows[1][7]) / (100 * msWithin / (msWithin + s2)), 1, 1e-9);
    EXPECT_NEAR(std::stod(rows[1][8]) / (s2 / (s2 + msWithin)), 1, 1e-9);
}

TEST(Checks, RefuseWithAMessageSayingWhatIsNeeded)
{
    struct Case {
        const char* name;
        std::size_t specimens;  // 0: none loaded
        bool protocol;
        const char* action;
        const char* message;
    };
    const Case cases[] = {
        {"check without specimens", 0, false, "CheckSpecimens", "No specimens are loaded"},
        {"check of three", 3, false, "CheckSpecimens", "at least 4 specimens; 3 are loaded"},
        {"summary without protocol", 5, false, "SaveLineSummary", "The protocol has no lines"},
        {"error without replicate", 5, true, "SaveMeasurementError", "No replicate is loaded"},
        {"replicate of three", 3, false, "LoadReplicate", "at least 4 specimens"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Scenario s;
        if (c.specimens > 0)
            s.loadTps("mice.tps", makeTps(c.specimens, 4));
        if (c.protocol)
            s.load("LoadProto", "p.txt", "1 1 2\n");
        const Snapshot before = snapshot(s);
        s.press(c.action);
        expectMessage(s, c.message);
        EXPECT_TRUE(snapshot(s) == before);
    }
    Scenario s;  // a replicate with other landmarks is refused by name
    s.loadTps("mice.tps", makeTps(5, 4));
    s.load("LoadReplicate", "other.tps", makeTps(5, 6));
    expectMessage(s, "other.tps|6 landmarks|have 4");
    EXPECT_FALSE(s.state().replicate.has_value());
}

}  // namespace
