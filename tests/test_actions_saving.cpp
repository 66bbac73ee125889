// "SaveLandmarks" and "SaveProtocolMarkups": the files written read back, with the program's
// own readers or with nlohmann-json, to exactly the numbers of the file that was loaded.
#include <cmath>

#include <nlohmann/json.hpp>

#include "controller/actiontable.h"
#include "controller/controls.h"
#include "io/csv.h"
#include "io/landmarkfile.h"
#include "scenario_checks.h"

using namespace vezedo;
using namespace vezedo::test;

namespace {

constexpr std::size_t kSpecimens = 4;
constexpr std::size_t kLandmarks = 6;
constexpr std::size_t kMissingSpecimen = 1, kMissingLandmark = 2;  // from 0
const Strings kIds = {"skullA", "skull B", "skullC", "skullD"};
const Strings kScales = {"0.5", "0.25", "2", "0.125"};

// An irregular, not flat shape per specimen with digits to spare, so that a rounded number shows.
double coordinate(std::size_t specimen, std::size_t landmark, std::size_t axis)
{
    const double j = static_cast<double>(specimen), i = static_cast<double>(landmark), d = static_cast<double>(axis);
    return 40.0 * std::sin(1.3 * i + 0.7 * d + 0.05 * j) + 3.0 * std::cos(0.9 * j + d) + 0.01 * j * i +
           11.0 * std::cos(2.3 * i * (d + 1.0));
}

bool missing(std::size_t j, std::size_t i)
{
    return j == kMissingSpecimen && i == kMissingLandmark;
}

std::string fixtureTps()
{
    std::string text;
    for (std::size_t j = 0; j < kSpecimens; ++j) {
        text += "LM3=" + std::to_string(kLandmarks) + "\n";
        for (std::size_t i = 0; i < kLandmarks; ++i)
            text += missing(j, i)
                        ? std::string("NA NA NA\n")
                        : io::shortestNumber(coordinate(j, i, 0)) + " " + io::shortestNumber(coordinate(j, i, 1)) +
                              " " + io::shortestNumber(coordinate(j, i, 2)) + "\n";
        text += "ID=" + kIds[j] + "\nSCALE=" + kScales[j] + "\n";
    }
    return text;
}

double scaleOf(std::size_t j)
{
    return std::stod(kScales[j]);
}

struct SaveCase {
    const char* name;
    const char* file;  // the name given in the save dialog
    bool applyScale;
    io::LandmarkFormat format;  // the format the written file reads as
};

class SaveLandmarks : public ::testing::TestWithParam<SaveCase> {};

TEST_P(SaveLandmarks, ReadBackGivesTheLoadedNumbersExactly)
{
    const SaveCase& c = GetParam();
    Scenario s;
    tick(s, std::string(controller::tags::applyScale), c.applyScale);
    s.loadTps("skulls.tps", fixtureTps());
    s.load(std::string(controller::action::loadProtocol), "proto.txt", protocolText({{1, 2}, {3, 6}, {5, 4}}));
    s.press(std::string(controller::action::saveLandmarks), c.file);
    ASSERT_TRUE(s.h.messages.shown().empty()) << s.h.messages.texts()[0];
    const io::LandmarkFile back = io::parseLandmarkFile(s.read(c.file), c.file);
    EXPECT_EQ(back.format, c.format);
    EXPECT_EQ(back.data.ids, kIds);
    ASSERT_EQ(back.data.table.rows(), kSpecimens);
    ASSERT_EQ(back.data.table.cols(), 3 * kLandmarks);
    for (std::size_t j = 0; j < kSpecimens; ++j)
        for (std::size_t i = 0; i < kLandmarks; ++i)
            for (std::size_t d = 0; d < 3; ++d) {
                const double got = back.data.table(j, 3 * i + d);
                if (missing(j, i)) {
                    EXPECT_TRUE(std::isnan(got)) << kIds[j] << " landmark " << i + 1;
                    continue;
                }
                const double expected = c.applyScale ? coordinate(j, i, d) * scaleOf(j) : coordinate(j, i, d);
                EXPECT_EQ(got, expected) << kIds[j] << " landmark " << i + 1 << " axis " << d;
            }
    if (c.format == io::LandmarkFormat::Tps) {
        // A SCALE left unapplied is kept; an applied one is in the numbers and not written again.
        for (std::size_t j = 0; j < kSpecimens; ++j) {
            if (c.applyScale)
                EXPECT_FALSE(back.data.info[j].scale) << kIds[j];
            else
                EXPECT_EQ(back.data.info[j].scale, std::optional<std::string>(kScales[j])) << kIds[j];
        }
    } else {
        EXPECT_EQ(back.wireframe, (std::vector<std::array<std::size_t, 2>>{{1, 2}, {3, 6}, {5, 4}}));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Formats, SaveLandmarks,
    ::testing::Values(SaveCase{"TpsAsRead", "out.tps", false, io::LandmarkFormat::Tps},
                      SaveCase{"TpsScaled", "out.TPS", true, io::LandmarkFormat::Tps},
                      SaveCase{"TpsForAnyOtherName", "out.dat", false, io::LandmarkFormat::Tps},
                      SaveCase{"MorphologikaAsRead", "out.txt", false, io::LandmarkFormat::Morphologika},
                      SaveCase{"MorphologikaScaled", "out.TXT", true, io::LandmarkFormat::Morphologika}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(SaveLandmarksAction, RefusesWithoutSpecimens)
{
    Scenario s;
    s.press(std::string(controller::action::saveLandmarks), "out.tps");
    ASSERT_EQ(s.h.messages.texts().size(), 1u);
    EXPECT_TRUE(containsEach(s.h.messages.texts()[0], "No specimens are loaded"));
}

// The markups file of a shape: the points' labels and positions (NaN for a missing one), and
// per line markup its name and its two ends' positions.
struct Markups {
    Strings labels;
    std::vector<std::array<double, 3>> points;
    Strings lineNames;
    std::vector<std::array<std::array<double, 3>, 2>> lineEnds;
};

std::array<double, 3> positionOf(const nlohmann::json& point)
{
    if (point.value("positionStatus", "") == "missing")
        return {NAN, NAN, NAN};
    const auto& p = point.at("position");
    return {p.at(0).get<double>(), p.at(1).get<double>(), p.at(2).get<double>()};
}

Markups readMarkups(const std::string& text)
{
    const nlohmann::json root = nlohmann::json::parse(text);
    Markups out;
    for (const nlohmann::json& markup : root.at("markups")) {
        EXPECT_EQ(markup.at("coordinateSystem"), "LPS");
        const auto& points = markup.at("controlPoints");
        if (markup.at("type") == "Fiducial") {
            for (const auto& point : points) {
                out.labels.push_back(point.at("label").get<std::string>());
                out.points.push_back(positionOf(point));
            }
        } else {
            EXPECT_EQ(markup.at("type"), "Line");
            EXPECT_EQ(points.size(), 2u);
            out.lineNames.push_back(markup.at("name").get<std::string>());
            out.lineEnds.push_back({positionOf(points.at(0)), positionOf(points.at(1))});
        }
    }
    return out;
}

void expectSame(const std::array<double, 3>& got, const std::array<double, 3>& expected, const std::string& what)
{
    for (std::size_t d = 0; d < 3; ++d) {
        if (std::isnan(expected[d]))
            EXPECT_TRUE(std::isnan(got[d])) << what;
        else
            EXPECT_EQ(got[d], expected[d]) << what << " axis " << d;
    }
}

struct MarkupsCase {
    const char* name;
    const char* specimenBox;
    std::size_t specimen;  // from 0
};

class SaveProtocolMarkups : public ::testing::TestWithParam<MarkupsCase> {};

TEST_P(SaveProtocolMarkups, ReadBackGivesTheSpecimensRawCoordinates)
{
    const MarkupsCase& c = GetParam();
    Scenario s;
    s.loadTps("skulls.tps", fixtureTps());
    s.load(std::string(controller::action::loadProtocol), "proto.csv", "name,from,to\nheight,1,5\n,3,2\n");
    s.type(std::string(controller::tags::specimen), c.specimenBox);
    s.press(std::string(controller::action::saveProtocolMarkups), "out.mrk.json");
    ASSERT_TRUE(s.h.messages.shown().empty()) << s.h.messages.texts()[0];
    const Markups back = readMarkups(s.read("out.mrk.json"));
    EXPECT_EQ(back.labels, (Strings{"1", "2", "3", "4", "5", "6"}));
    const auto expected = [&](std::size_t i) {
        return missing(c.specimen, i)
                   ? std::array<double, 3>{NAN, NAN, NAN}
                   : std::array<double, 3>{coordinate(c.specimen, i, 0), coordinate(c.specimen, i, 1),
                                           coordinate(c.specimen, i, 2)};
    };
    ASSERT_EQ(back.points.size(), kLandmarks);
    for (std::size_t i = 0; i < kLandmarks; ++i)
        expectSame(back.points[i], expected(i), "landmark " + std::to_string(i + 1));
    EXPECT_EQ(back.lineNames, (Strings{"height", "L3_2"}));
    ASSERT_EQ(back.lineEnds.size(), 2u);
    expectSame(back.lineEnds[0][0], expected(0), "height from");
    expectSame(back.lineEnds[0][1], expected(4), "height to");
    expectSame(back.lineEnds[1][0], expected(2), "L3_2 from");
    expectSame(back.lineEnds[1][1], expected(1), "L3_2 to");
}

INSTANTIATE_TEST_SUITE_P(Specimens, SaveProtocolMarkups,
                         ::testing::Values(MarkupsCase{"ById", "skullA", 0},
                                           MarkupsCase{"ByNumberWithAMissingLandmark", "2", kMissingSpecimen},
                                           MarkupsCase{"ByIdWithABlank", "skull B", kMissingSpecimen}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(SaveProtocolMarkupsAction, AnEmptyBoxWritesTheMeanShape)
{
    Scenario s;
    s.loadTps("skulls.tps", fixtureTps());
    s.press(std::string(controller::action::saveProtocolMarkups), "mean.mrk.json");
    ASSERT_TRUE(s.h.messages.shown().empty()) << s.h.messages.texts()[0];
    const Markups back = readMarkups(s.read("mean.mrk.json"));
    const platform::Matrix& mean = s.state().specimens.mean;
    ASSERT_EQ(back.points.size(), mean.rows());
    for (std::size_t i = 0; i < mean.rows(); ++i)
        expectSame(back.points[i], {mean(i, 0), mean(i, 1), mean(i, 2)}, "mean landmark " + std::to_string(i + 1));
    EXPECT_TRUE(back.lineNames.empty());
}

TEST(SaveProtocolMarkupsAction, NamedLandmarksKeepTheirNames)
{
    Scenario s;
    const std::string dir = VEZEDO_TEST_DATA_DIR;
    s.h.dialogs.queuePath(dir + "/pts/named_rows.pts");
    s.h.dialogs.queuePath(dir + "/pp/named_points.pp");
    s.press(std::string(controller::action::loadLandmarks));
    ASSERT_TRUE(s.h.messages.shown().empty()) << s.h.messages.texts()[0];
    s.type(std::string(controller::tags::specimen), "1");
    s.press(std::string(controller::action::saveProtocolMarkups), "named.mrk.json");
    const Markups back = readMarkups(s.read("named.mrk.json"));
    EXPECT_EQ(back.labels, s.state().specimens.landmarkNames);
}

TEST(SaveProtocolMarkupsAction, AnUnknownSpecimenIsRefusedAndNothingIsWritten)
{
    Scenario s;
    s.loadTps("skulls.tps", fixtureTps());
    s.type(std::string(controller::tags::specimen), "skullZ");
    s.press(std::string(controller::action::saveProtocolMarkups), "out.mrk.json");
    ASSERT_EQ(s.h.messages.texts().size(), 1u);
    EXPECT_TRUE(containsEach(s.h.messages.texts()[0], "No specimen is \"skullZ\""));
    EXPECT_TRUE(s.read("out.mrk.json").empty());
}

}  // namespace
