// Data that describes itself: specimen IDs, SCALE, missing landmarks, the import report, CSV
// protocols and the lengths as CSV, driven as a user would and checked against distances
// computed here from the file's own coordinates.
#include <cmath>
#include <sstream>

#include "io/csv.h"
#include "scenario_checks.h"

using namespace vezedo;
using namespace vezedo::test;

namespace {

using Coordinates = std::vector<std::array<double, 3>>;

// Specimen j of six landmarks: a fixed irregular shape, scaled, turned and moved per specimen.
Coordinates specimen(std::size_t j)
{
    const Coordinates base{{0, 0, 0}, {10, 1, 0.5}, {2, 9, -1}, {1, 2, 7}, {8, 7, 3}, {5, -3, 4}};
    Coordinates out;
    const double s = 1 + 0.05 * static_cast<double>(j), a = 0.2 * static_cast<double>(j);
    for (const auto& [x, y, z] : base)
        out.push_back({s * (std::cos(a) * x - std::sin(a) * y) + static_cast<double>(j),
                       s * (std::sin(a) * x + std::cos(a) * y) - 0.5 * static_cast<double>(j),
                       s * z + 0.01 * static_cast<double>(j * j)});
    return out;
}

double distance(const Coordinates& c, std::size_t a, std::size_t b)
{
    const auto& p = c[a - 1];
    const auto& q = c[b - 1];
    return std::sqrt((p[0] - q[0]) * (p[0] - q[0]) + (p[1] - q[1]) * (p[1] - q[1]) + (p[2] - q[2]) * (p[2] - q[2]));
}

std::string coordinates(const Coordinates& c)
{
    std::string out;
    char buf[128];
    for (const auto& [x, y, z] : c) {
        std::snprintf(buf, sizeof buf, "%.17g %.17g %.17g\n", x, y, z);
        out += buf;
    }
    return out;
}

// A TPS file of k specimens: IDs with blanks, a curve block and a comment on the second, and
// SCALE= on every specimen when `scales` says so.
std::string tpsFile(std::size_t k, const std::vector<double>& scales = {})
{
    std::string out;
    for (std::size_t j = 0; j < k; ++j) {
        out += "LM3=6\n" + coordinates(specimen(j));
        if (j == 1)
            out += "CURVES=1\nPOINTS=3\n1 1 1\n2 2 2\n3 3 3\nCOMMENT=broken zygomatic\n";
        out += "IMAGE=scan " + std::to_string(j) + ".ply\nID=MNHN " + std::to_string(1800 + j) + "\n";
        if (j < scales.size())
            out += "SCALE=" + io::shortestNumber(scales[j]) + "\n";
    }
    return out;
}

// Saves the lengths as CSV; returns its rows.
std::vector<Strings> savedLengths(Scenario& s)
{
    s.press("SaveLengthsCSV", "lengths.csv");
    return io::parseCsv(s.read("lengths.csv"), "lengths.csv");
}

// Loads `tps` and a protocol, then saves the lengths as CSV; returns its rows.
std::vector<Strings> lengthsOf(Scenario& s, const std::string& tps, const std::string& protocol)
{
    s.loadTps("skulls.tps", tps);
    s.load("LoadProto", "p.txt", protocol);
    return savedLengths(s);
}

void applyScale(Scenario& s)
{
    tick(s, "ApplyScaleBox", true);
}

const std::string kThreeLines = "1 1 2\n2 2 3\n3 4 5\n";

TEST(SpecimenIds, TheLengthsCsvNamesEverySpecimenInFileOrder)
{
    Scenario s;
    const auto rows = lengthsOf(s, tpsFile(4), kThreeLines);
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0], (Strings{"id", "L1_2", "L2_3", "L4_5", "centroid_size", "estimated"}));
    for (std::size_t j = 0; j < 4; ++j) {
        SCOPED_TRACE(j);
        ASSERT_EQ(rows[j + 1].size(), 6u);
        EXPECT_EQ(rows[j + 1][0], "MNHN " + std::to_string(1800 + j));  // ID= wins over IMAGE=
        const Coordinates c = specimen(j);
        const double raw[] = {distance(c, 1, 2), distance(c, 2, 3), distance(c, 4, 5)};
        for (std::size_t i = 0; i < 3; ++i)
            EXPECT_NEAR(std::stod(rows[j + 1][i + 1]) / raw[i], 1.0, 1e-12);
        EXPECT_EQ(rows[j + 1][5], "");
    }
    EXPECT_TRUE(s.h.messages.shown().empty());
}

TEST(SpecimenIds, FallBackToImageThenToTheSpecimenNumber)
{
    Scenario s;
    std::string tps = "LM3=6\n" + coordinates(specimen(0)) + "IMAGE=a.ply\n";
    tps += "LM3=6\n" + coordinates(specimen(1));
    tps += "LM3=6\n" + coordinates(specimen(2)) + "ID=a.ply\n";
    s.loadTps("mixed.tps", tps);
    EXPECT_EQ(s.state().specimens.ids, (Strings{"a.ply", "specimen2", "a.ply"}));
    EXPECT_TRUE(containsEach(s.h.console.text(), "1 ID repeated|a.ply (2 times)|1 specimen has no ID="))
        << s.h.console.text();
}

TEST(SpecimenIds, ATableMayLeadWithAnIdColumn)
{
    Scenario s;
    std::string table;
    for (std::size_t j = 0; j < 3; ++j) {
        std::string row = "skull_" + std::to_string(j);
        for (const auto& xyz : specimen(j))
            for (double v : xyz)
                row += " " + io::shortestNumber(v);
        table += row + " " + std::to_string(10 + j) + "\n";
    }
    s.load("LoadFileIMP", "t.txt", table);
    EXPECT_EQ(s.state().specimens.ids, (Strings{"skull_0", "skull_1", "skull_2"}));
    EXPECT_EQ(s.state().specimens.sizes, (std::vector<double>{10, 11, 12}));
    EXPECT_TRUE(containsEach(s.h.console.text(), "IDs: the first field of every line")) << s.h.console.text();
}

TEST(ImportReport, SaysWhatTheFileHeldAndOneLineForACleanFile)
{
    Scenario s;
    s.loadTps("skulls.tps", tpsFile(3, {0.5, 0.25, 2}));
    const std::string report = s.h.console.take();
    EXPECT_TRUE(containsEach(report, "skulls.tps: 3 specimens, 6 landmarks, IDs unique\n"
                                     "|SCALE: given for 3 specimens (0.25 to 2), not applied (Apply SCALE is off)"
                                     "|Curves: 1 curve of 3 points skipped|Comments: 1 line"))
        << report;
    EXPECT_EQ(s.box("DataSetBox"), "skulls.tps: 3 specimens, 6 landmarks, IDs unique");

    s.loadTps("clean.tps", makeTps(5, 4));
    EXPECT_EQ(s.h.console.take(),
              platform::displayValue("lm", platform::Value(4.0)) + "clean.tps: 5 specimens, 4 landmarks, IDs unique\n");
}

TEST(ApplyScale, EveryLengthIsTheRawDistanceTimesTheSpecimensScale)
{
    Scenario s;
    const std::vector<double> scales{0.5, 0.025, 2, 1.25};
    applyScale(s);
    const auto rows = lengthsOf(s, tpsFile(4, scales), kThreeLines);
    ASSERT_EQ(rows.size(), 5u);
    for (std::size_t j = 0; j < 4; ++j) {
        const Coordinates c = specimen(j);
        EXPECT_NEAR(std::stod(rows[j + 1][1]) / (distance(c, 1, 2) * scales[j]), 1.0, 1e-9) << j;
        EXPECT_NEAR(std::stod(rows[j + 1][3]) / (distance(c, 4, 5) * scales[j]), 1.0, 1e-9) << j;
    }
    EXPECT_TRUE(containsEach(s.h.console.text(), "SCALE: given for 4 specimens (0.025 to 2), applied"));
}

TEST(ApplyScale, RefusesAFileItCannotScaleNamingTheSpecimen)
{
    struct Case {
        const char* name;
        std::string tps;
        const char* message;
    };
    const std::string one = "LM3=6\n" + coordinates(specimen(0)) + "ID=first\n";
    const std::string two = "LM3=6\n" + coordinates(specimen(1)) + "ID=second\n";
    const Case cases[] = {
        {"some without", one + "SCALE=0.5\n" + two, "line 10|specimen 2 (second) has no SCALE="},
        {"first without", one + two + "SCALE=0.5\n", "line 1|specimen 1 (first) has no SCALE="},
        {"zero", one + "SCALE=0\n" + two + "SCALE=1\n", "line 9|specimen 1 (first): SCALE=0 is not a positive"},
        {"text", one + "SCALE=1\n" + two + "SCALE=1 mm\n", "line 18|specimen 2 (second): SCALE=1 mm is not a positive"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Scenario s;
        applyScale(s);
        expectRefusedLoad(s, "LoadFile1", "scaled.tps", c.tps, c.message, snapshot(s));
    }
}

// One landmark of one specimen missing, coded either way: the file loads, lines through it
// are NA in both files, every other length is the raw distance.
TEST(MissingLandmarks, LinesThroughAMissingLandmarkAreNaAndTheOthersAreRaw)
{
    for (const std::string code : {"NA NA NA", "nan NaN NAN", "-9999 -9999 -9999", "-999 -999 -999"}) {
        SCOPED_TRACE(code);
        Scenario s;
        std::string tps = tpsFile(6);
        // Landmark 2 of the third specimen (its line 2 of coordinates).
        const std::string third = coordinates(specimen(2));
        const std::size_t at = tps.find(third);
        ASSERT_NE(at, std::string::npos);
        const std::size_t lineStart = tps.find('\n', at) + 1;
        tps.replace(lineStart, tps.find('\n', lineStart) - lineStart, code);
        const auto rows = lengthsOf(s, tps, kThreeLines);
        ASSERT_TRUE(s.h.messages.shown().empty()) << s.h.messages.texts()[0];
        ASSERT_EQ(rows.size(), 7u);
        EXPECT_EQ(rows[3][1], "NA");
        EXPECT_EQ(rows[3][2], "NA");
        EXPECT_EQ(rows[3][5], "2");
        EXPECT_NEAR(std::stod(rows[3][3]) / distance(specimen(2), 4, 5), 1.0, 1e-12);
        for (std::size_t j : {0u, 1u, 3u, 4u, 5u}) {
            EXPECT_NEAR(std::stod(rows[j + 1][1]) / distance(specimen(j), 1, 2), 1.0, 1e-12) << j;
            EXPECT_EQ(rows[j + 1][5], "");
        }
        EXPECT_TRUE(containsEach(s.h.console.text(),
                                 "1 missing landmark estimated|Missing landmarks: 1 in 1 specimen, estimated: MNHN "
                                 "1802:2"))
            << s.h.console.text();
        s.press("SaveLengths", "m.txt");
        std::istringstream measures(s.read("m.txt"));
        std::string line;
        for (int i = 0; i < 3; ++i)
            std::getline(measures, line);
        EXPECT_TRUE(line.starts_with(" NA  NA  ")) << line;
    }
}

TEST(MissingLandmarks, RefusesWhatCannotBeEstimatedNamingTheSpecimen)
{
    const auto coded = [](std::size_t j, std::initializer_list<std::size_t> missing) {
        Coordinates c = specimen(j);
        std::string out = "LM3=6\n";
        for (std::size_t i = 0; i < c.size(); ++i) {
            const bool gone = std::find(missing.begin(), missing.end(), i + 1) != missing.end();
            out += gone ? "NA NA NA\n" : coordinates({c[i]});
        }
        return out + "ID=s" + std::to_string(j + 1) + "\n";
    };
    const std::pair<std::string, std::string> cases[] = {
        {coded(0, {1}) + coded(1, {2}), "at least one complete specimen"},
        {coded(0, {}) + coded(1, {1, 2, 3}), "specimen 2 (s2, line 9) has 3 present landmarks"},
        {"LM3=6\n1 NA 2\n" + coordinates(specimen(0)).substr(0), "landmark 1 is missing in some coordinates only"},
    };
    for (const auto& [tps, message] : cases) {
        SCOPED_TRACE(message);
        Scenario s;
        expectRefusedLoad(s, "LoadFile1", "gaps.tps", tps, message, snapshot(s));
    }
}

TEST(CsvProtocol, RoundTripsByteForByteAndNamesTheLengthColumns)
{
    Scenario s;
    s.loadTps("skulls.tps", tpsFile(3));
    const std::string csv = "name,from,to\n"
                            "skull length,1,2\n"
                            "\"width, max\",2,3\n"
                            ",4,5\n"
                            "\"the \"\"id\"\"\",5,6\n"
                            "id,1,3\n"
                            "skull length,3,4\n";
    s.load("LoadWire", "named.csv", " Name , FROM,to \n" + csv.substr(csv.find('\n') + 1));
    EXPECT_EQ(s.box("ProtoPointBox"), "6");
    EXPECT_EQ(s.proto(),
              platform::Matrix::fromRows({{1, 1, 2}, {2, 2, 3}, {3, 4, 5}, {4, 5, 6}, {5, 1, 3}, {6, 3, 4}}));
    s.press("SaveProtocolCSV", "again.csv");
    EXPECT_EQ(s.read("again.csv"), csv);
    EXPECT_EQ(s.h.dialogs.requests().back().filter, "*.csv");
    s.load("LoadProto", "again.csv", s.read("again.csv"));
    s.press("SaveProtocolCSV", "again2.csv");
    EXPECT_EQ(s.read("again2.csv"), csv);

    EXPECT_EQ(savedLengths(s).at(0), (Strings{"id", "skull length", "width, max", "L4_5", "the \"id\"", "id.2",
                                              "skull length.2", "centroid_size", "estimated"}));
    // Names follow the lines through edits: an added line has none, a deleted one takes its own.
    s.type("ActivePointBox", "2");
    s.press("DeleteLine");
    typeEnds(s, "6", "1");
    s.press("AddLine");
    s.press("SaveProtocolCSV", "edited.csv");
    EXPECT_EQ(s.read("edited.csv"), "name,from,to\nskull length,1,2\n,4,5\n\"the \"\"id\"\"\",5,6\nid,1,3\n"
                                    "skull length,3,4\n,6,1\n");
    EXPECT_TRUE(s.h.messages.shown().empty());
}

TEST(CsvProtocol, RefusesRowsThatAreNoLinesNamingTheLine)
{
    const std::pair<std::string, std::string> cases[] = {
        {"name,from,to\na,1,2\nb,1\n", "Line 3 has 2 fields"},
        {"name,from,to\na,1,7\n", "Line 2 names landmark \"7\""},
        {"name,from,to\na,x,2\n", "Line 2 names landmark \"x\""},
        {"name,from,to\n\"open,1,2\n", "line 2|never closed"},
    };
    for (const auto& [text, message] : cases) {
        SCOPED_TRACE(message);
        Scenario s;
        s.loadTps("skulls.tps", tpsFile(3));
        s.h.console.take();
        expectRefusedLoad(s, "LoadProto", "bad.csv", text, message, snapshot(s));
    }
}

TEST(LengthsCsv, ColumnNamesStayUniqueAndFieldsAreQuotedOnlyWhenTheyMust)
{
    struct Case {
        const char* names;  // protocol CSV rows after the header
        std::vector<std::string> header;
    };
    const Case cases[] = {
        {",1,2\n,1,2\n,1,2\n", {"L1_2", "L1_2.2", "L1_2.3"}},
        {"L1_2,3,4\n,1,2\n", {"L1_2", "L1_2.2"}},
        {"centroid_size,1,2\nestimated,2,3\nid,3,4\n", {"centroid_size.2", "estimated.2", "id.2"}},
        {"a,1,2\na.2,2,3\na,3,4\n", {"a", "a.2", "a.3"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.names);
        Scenario s;
        const auto rows = lengthsOf(s, tpsFile(2), std::string("name,from,to\n") + c.names);
        EXPECT_EQ(rows.at(0), (Strings{"id"} + c.header + Strings{"centroid_size", "estimated"}));
    }
    Scenario s;
    lengthsOf(s, tpsFile(2), kThreeLines);
    const std::string text = s.read("lengths.csv");
    EXPECT_TRUE(text.starts_with("id,L1_2,L2_3,L4_5,centroid_size,estimated\nMNHN 1800,")) << text;
    EXPECT_EQ(text.find('\r'), std::string::npos);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 3);
}

}  // namespace

// A SCALE the data set cannot use says what is wrong with it, quoting it as written and naming
// the specimen and line; with Apply SCALE off a bad SCALE is only reported, quoted.
TEST(ApplyScale, ABadOrExtremeScaleIsNamedAsWritten)
{
    const std::string shape = "LM=3\n0 0 0\n1 0 0\n0 1 0\n";
    const struct {
        const char* name;
        bool apply;
        std::string tps;
        const char* shown;  // in the message box when applied, else in the console's report
    } cases[] = {
        {"too small", true, shape + "SCALE=1e-300\nID=a\n" + shape + "SCALE=1\nID=b\n",
         "specimen 1 (a): SCALE=1e-300 is too small"},
        {"too large", true, shape + "SCALE=1\nID=a\n" + shape + "SCALE=1e300\nID=b\n",
         "specimen 2 (b): SCALE=1e300 is too large"},
        {"not a number, applied", true, shape + "SCALE=abc\nID=a\n" + shape + "SCALE=1\nID=b\n",
         "SCALE=abc is not a positive number"},
        {"not a number, not applied", false, shape + "SCALE=abc\nID=a\n" + shape + "SCALE=1\nID=b\n",
         "\"abc\" is no positive number"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Scenario s;
        tick(s, "ApplyScaleBox", c.apply);
        s.loadTps("scaled.tps", c.tps);
        const std::string said =
            c.apply ? (s.h.messages.texts().empty() ? "" : s.h.messages.texts()[0]) : s.h.console.text();
        EXPECT_NE(said.find(c.shown), std::string::npos) << said;
        EXPECT_EQ(s.state().specimens.empty(), c.apply);
    }
}
