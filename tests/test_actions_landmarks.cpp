// "LoadLandmarks": digitisers' files, one specimen each, load as one TPS file of the same data
// would; a file that does not fit refuses the whole load and changes nothing.
#include <cmath>
#include <filesystem>

#include <nlohmann/json.hpp>

#include "controller/views.h"
#include "io/csv.h"
#include "scenario_checks.h"

using namespace vezedo;
using namespace vezedo::test;

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kLandmarks = 6;

// An irregular shape per specimen, so that no two specimens or landmarks coincide.
double coordinate(std::size_t specimen, std::size_t landmark, std::size_t axis)
{
    const double j = static_cast<double>(specimen), i = static_cast<double>(landmark), d = static_cast<double>(axis);
    return 40.0 * std::sin(1.3 * i + 0.7 * d + 0.05 * j) + 3.0 * std::cos(0.9 * j + d) + 0.01 * j * i;
}

std::string specimenId(std::size_t j)
{
    return "skull" + std::string(j < 9 ? "0" : "") + std::to_string(j + 1);
}

// A markups file of specimen j, its points written in `order`.
std::string markupsFile(std::size_t j, const std::vector<std::size_t>& order)
{
    nlohmann::json points = nlohmann::json::array();
    for (std::size_t i : order)
        points.push_back({{"label", "LM" + std::to_string(i + 1)},
                          {"position", {coordinate(j, i, 0), coordinate(j, i, 1), coordinate(j, i, 2)}},
                          {"positionStatus", "defined"}});
    nlohmann::json root = {
        {"markups", {{{"type", "Fiducial"}, {"coordinateSystem", "LPS"}, {"controlPoints", points}}}}};
    return root.dump(2);
}

std::string tpsOf(std::size_t k)
{
    std::string text;
    for (std::size_t j = 0; j < k; ++j) {
        text += "LM3=" + std::to_string(kLandmarks) + "\n";
        for (std::size_t i = 0; i < kLandmarks; ++i)
            text += io::shortestNumber(coordinate(j, i, 0)) + " " + io::shortestNumber(coordinate(j, i, 1)) + " " +
                    io::shortestNumber(coordinate(j, i, 2)) + "\n";
        text += "ID=" + specimenId(j) + "\n";
    }
    return text;
}

const Pairs kProtocol = {{1, 2}, {2, 5}, {3, 6}, {4, 1}, {6, 5}};

std::string lengthsAfterProtocol(Scenario& s)
{
    s.load("LoadProto", "proto.txt", protocolText(kProtocol));
    s.press("SaveLengthsCSV", "lengths.csv");
    return s.read("lengths.csv");
}

TEST(LoadLandmarks, ThirtyMarkupsFilesInTwoOrdersGiveTheLengthsOfOneTpsFile)
{
    Scenario tps;
    tps.loadTps("all.tps", tpsOf(30));
    const std::string expected = lengthsAfterProtocol(tps);
    ASSERT_TRUE(tps.h.messages.shown().empty()) << tps.h.messages.texts()[0];

    Scenario s;
    const std::vector<std::size_t> usual = {0, 1, 2, 3, 4, 5}, other = {3, 0, 5, 1, 4, 2};
    for (std::size_t j = 0; j < 30; ++j) {
        s.file(specimenId(j) + ".mrk.json", markupsFile(j, j % 3 == 1 ? other : usual));
        s.answer(specimenId(j) + ".mrk.json");
    }
    s.press("LoadLandmarks");
    ASSERT_TRUE(s.h.messages.shown().empty()) << s.h.messages.texts()[0];
    EXPECT_EQ(s.state().specimens.count(), 30u);
    EXPECT_EQ(s.state().specimens.landmarkNames, (Strings{"LM1", "LM2", "LM3", "LM4", "LM5", "LM6"}));
    EXPECT_TRUE(containsEach(s.h.console.text(), "Format: Slicer markups JSON, 30 files|Matched by name: 10 files "
                                                 "reordered to the first file's landmark order: skull02.mrk.json"))
        << s.h.console.text();
    EXPECT_EQ(lengthsAfterProtocol(s), expected);
}

// Each format's fixture: a protocol line's length equals the distance of its two landmarks
// as the file writes them.
struct LengthCase {
    const char* file;
    double scale;  // of the first specimen's coordinates against the LPS skull below
};

constexpr double kSkull[5][3] = {
    {10.5, 2.25, -3.0}, {12.0, 40.125, 8.5}, {-30.75, 38.0, 9.25}, {-45.5, -5.0, 2.0}, {-20.0, -12.5, -6.75}};

class LandmarkLengths : public ::testing::TestWithParam<LengthCase> {};

TEST_P(LandmarkLengths, EqualTheRawDistances)
{
    Scenario s;
    const fs::path path = fs::path(VEZEDO_TEST_DATA_DIR) / GetParam().file;
    s.h.dialogs.queuePath(path.string());
    s.h.dialogs.queuePath(path.string());  // twice: a fit wants more than one specimen
    s.press("LoadLandmarks");
    ASSERT_TRUE(s.h.messages.shown().empty()) << s.h.messages.texts()[0];
    const Pairs pairs = {{1, 2}, {2, 3}, {3, 4}, {4, 5}, {5, 1}, {1, 3}};
    s.load("LoadProto", "proto.txt", protocolText(pairs));
    s.press("SaveLengthsCSV", "lengths.csv");
    const auto rows = io::parseCsv(s.read("lengths.csv"), "lengths.csv");
    ASSERT_GE(rows.size(), 2u);
    ASSERT_GE(rows[1].size(), pairs.size() + 1);
    for (std::size_t l = 0; l < pairs.size(); ++l) {
        const auto [a, b] = pairs[l];
        double sum = 0;
        for (std::size_t d = 0; d < 3; ++d) {
            const double diff = kSkull[a - 1][d] - kSkull[b - 1][d];
            sum += diff * diff;
        }
        const double expected = GetParam().scale * std::sqrt(sum);
        const double got = std::stod(rows[1][l + 1]);
        EXPECT_NEAR(got, expected, 1e-12 * expected) << "line " << l + 1 << " in " << rows[1][0];
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, LandmarkLengths,
                         ::testing::Values(LengthCase{"markups_json/named_lps.mrk.json", 1},
                                           LengthCase{"markups_json/named_ras.mrk.json", 1},
                                           LengthCase{"fcsv/named_lps.fcsv", 1}, LengthCase{"fcsv/named_ras.fcsv", 1},
                                           LengthCase{"morphologika/two_specimens_with_names_and_wireframe.txt", 1},
                                           LengthCase{"pts/named_rows.pts", 1}, LengthCase{"pp/named_points.pp", 1}),
                         [](const auto& row) {
                             std::string n = row.param.file;
                             for (char& ch : n)
                                 if (!std::isalnum(static_cast<unsigned char>(ch)))
                                     ch = '_';
                             return n;
                         });

TEST(LoadLandmarks, AFileThatDoesNotMatchRefusesTheLoadAndChangesNothing)
{
    Scenario s;
    s.loadTps("base.tps", makeTps(5, 5));
    s.h.console.take();
    const Snapshot before = snapshot(s);
    const fs::path data(VEZEDO_TEST_DATA_DIR);
    s.h.dialogs.queuePath((data / "pts/named_rows.pts").string());
    s.h.dialogs.queuePath((data / "pts/default_row_names.pts").string());
    s.press("LoadLandmarks");
    ASSERT_EQ(s.h.messages.texts().size(), 1u);
    EXPECT_TRUE(containsEach(s.h.messages.texts()[0],
                             "File default_row_names.pts: its landmark names do not match those of named_rows.pts: "
                             "it lacks \"Nasion\""))
        << s.h.messages.texts()[0];
    EXPECT_TRUE(snapshot(s) == before);
}

TEST(LoadLandmarks, ABrokenFileAmongGoodOnesRefusesThemAll)
{
    Scenario s;
    s.loadTps("base.tps", makeTps(5, 5));
    const Snapshot before = snapshot(s);
    const fs::path data(VEZEDO_TEST_DATA_DIR);
    s.h.dialogs.queuePath((data / "pp/named_points.pp").string());
    s.h.dialogs.queuePath((data / "pp/bad_number.pp").string());
    s.press("LoadLandmarks");
    ASSERT_EQ(s.h.messages.texts().size(), 1u);
    EXPECT_TRUE(containsEach(s.h.messages.texts()[0], "File bad_number.pp, line 10: point 2"))
        << s.h.messages.texts()[0];
    EXPECT_TRUE(snapshot(s) == before);
}

TEST(LoadLandmarks, AMorphologikaWireframeBecomesTheProtocol)
{
    Scenario s;
    const fs::path path = fs::path(VEZEDO_TEST_DATA_DIR) / "morphologika/two_specimens_with_names_and_wireframe.txt";
    s.h.dialogs.queuePath(path.string());
    s.press("LoadLandmarks");
    ASSERT_TRUE(s.h.messages.shown().empty()) << s.h.messages.texts()[0];
    EXPECT_EQ(s.state().specimens.ids, (Strings{"skullA", "skullB"}));
    EXPECT_EQ(s.proto(), platform::Matrix::fromRows({{1, 1, 2}, {2, 2, 3}, {3, 3, 4}, {4, 4, 5}, {5, 5, 1}}));
    EXPECT_TRUE(
        containsEach(s.h.console.text(), "Format: Morphologika|Wireframe: the file's 5 lines are now the protocol"));
}

TEST(LoadLandmarks, MissingLandmarksAreEstimatedAndReported)
{
    Scenario s;
    const fs::path data(VEZEDO_TEST_DATA_DIR);
    for (const char* f : {"markups_json/named_lps.mrk.json", "markups_json/named_ras.mrk.json", "fcsv/named_lps.fcsv",
                          "markups_json/missing_position_status.mrk.json"})
        s.h.dialogs.queuePath((data / f).string());
    s.press("LoadLandmarks");
    ASSERT_TRUE(s.h.messages.shown().empty()) << s.h.messages.texts()[0];
    ASSERT_EQ(s.state().specimens.flags.size(), 4u);
    EXPECT_EQ(s.state().specimens.flags[3].estimated, (std::vector<std::size_t>{3}));
    EXPECT_TRUE(containsEach(s.h.console.text(), "Format: Slicer markups JSON, Slicer markups FCSV, 4 files|"
                                                 "missing_position_status:3"));
}

TEST(LoadLandmarks, TheProtocolTableNamesTheLinesEnds)
{
    Scenario s;
    const fs::path data(VEZEDO_TEST_DATA_DIR);
    s.h.dialogs.queuePath((data / "pts/named_rows.pts").string());
    s.h.dialogs.queuePath((data / "pp/named_points.pp").string());
    s.press("LoadLandmarks");
    ASSERT_TRUE(s.h.messages.shown().empty()) << s.h.messages.texts()[0];
    s.load("LoadProto", "proto.txt", protocolText({{1, 3}, {5, 2}}));
    const auto rows = controller::protocolTableRows(s.state());
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].fromLabel, "1 Nasion");
    EXPECT_EQ(rows[0].toLabel, "3 Lambda");
    EXPECT_EQ(rows[1].fromLabel, "5 Basion");
    EXPECT_EQ(controller::landmarkLabel(s.state().specimens, 4), "4 Opisthion");
}

TEST(LoadLandmarks, ACsvProtocolMayGiveLandmarksByName)
{
    Scenario s;
    const fs::path data(VEZEDO_TEST_DATA_DIR);
    s.h.dialogs.queuePath((data / "pts/named_rows.pts").string());
    s.h.dialogs.queuePath((data / "pp/named_points.pp").string());
    s.press("LoadLandmarks");
    s.load("LoadProto", "proto.csv", "name,from,to\nheight,Nasion,Basion\nmixed,2, Lambda \n");
    ASSERT_TRUE(s.h.messages.shown().empty()) << s.h.messages.texts()[0];
    EXPECT_EQ(s.proto(), platform::Matrix::fromRows({{1, 1, 5}, {2, 2, 3}}));
    EXPECT_EQ(s.state().protocol.lines()[0].name, "height");
}

TEST(LoadLandmarks, ACsvProtocolNamingNoLandmarkIsRefused)
{
    Scenario s;
    const fs::path data(VEZEDO_TEST_DATA_DIR);
    s.h.dialogs.queuePath((data / "pts/named_rows.pts").string());
    s.h.dialogs.queuePath((data / "pp/named_points.pp").string());
    s.press("LoadLandmarks");
    s.load("LoadProto", "proto.csv", "name,from,to\nheight,Nasion,Inion\n");
    ASSERT_EQ(s.h.messages.texts().size(), 1u);
    EXPECT_TRUE(containsEach(s.h.messages.texts()[0], "\"Inion\"|landmarks 1 to 5, or one of their names"))
        << s.h.messages.texts()[0];
    EXPECT_TRUE(s.state().protocol.empty());
}

TEST(LoadLandmarks, LandmarksOfUnnamedFilesAreTheirNumbers)
{
    Scenario s;
    s.loadTps("base.tps", makeTps(5, 5));
    EXPECT_EQ(controller::landmarkLabel(s.state().specimens, 4), "4");
}

TEST(LoadLandmarks, ACancelledDialogChangesNothing)
{
    Scenario s;
    s.loadTps("base.tps", makeTps(5, 5));
    const Snapshot before = snapshot(s);
    s.cancel();
    s.press("LoadLandmarks");
    EXPECT_TRUE(s.h.messages.shown().empty());
    EXPECT_TRUE(snapshot(s) == before);
}

}  // namespace
