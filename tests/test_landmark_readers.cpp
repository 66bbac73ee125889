// The digitisers' landmark formats on the files of tests/data, one file per quirk: what each
// reads to, and what each refuses with a message naming the file and the place.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "io/landmarkfile.h"
#include "platform/error.h"

using namespace vezedo;

namespace {

namespace fs = std::filesystem;

std::string fixture(const std::string& name)
{
    std::ifstream in(fs::path(VEZEDO_TEST_DATA_DIR) / name, std::ios::binary);
    EXPECT_TRUE(in.good()) << name;
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The landmarks every fixture's first specimen holds, in LPS, as the fixtures write them.
constexpr double kSkull[5][3] = {
    {10.5, 2.25, -3.0}, {12.0, 40.125, 8.5}, {-30.75, 38.0, 9.25}, {-45.5, -5.0, 2.0}, {-20.0, -12.5, -6.75}};
const char* const kNames = "Nasion|Bregma|Lambda|Opisthion|Basion";

std::string joined(const std::vector<std::string>& parts)
{
    std::string out;
    for (std::size_t i = 0; i < parts.size(); ++i)
        out += (i ? "|" : "") + parts[i];
    return out;
}

struct ReadCase {
    const char* file;
    io::LandmarkFormat format;
    std::size_t specimens;
    const char* ids;    // joined by '|'
    const char* names;  // joined by '|'; empty for none
    int missing;        // the first specimen's missing landmark (from 1), 0 for none
};

class LandmarkReader : public ::testing::TestWithParam<ReadCase> {};

TEST_P(LandmarkReader, ReadsTheFixturesLandmarksInLps)
{
    const ReadCase& c = GetParam();
    const std::string name = fs::path(c.file).filename().string();
    const io::LandmarkFile read = io::parseLandmarkFile(fixture(c.file), name);
    EXPECT_EQ(read.format, c.format);
    ASSERT_EQ(read.data.table.rows(), c.specimens);
    ASSERT_EQ(read.data.table.cols(), 15u);
    EXPECT_EQ(joined(read.data.ids), c.ids);
    EXPECT_EQ(joined(read.names), c.names);
    ASSERT_EQ(read.data.info.size(), c.specimens);
    for (std::size_t i = 0; i < 5; ++i)
        for (std::size_t d = 0; d < 3; ++d) {
            const double v = read.data.table(0, i * 3 + d);
            if (static_cast<int>(i) + 1 == c.missing)
                EXPECT_TRUE(std::isnan(v)) << "landmark " << i + 1;
            else
                EXPECT_EQ(v, kSkull[i][d]) << "landmark " << i + 1 << " coordinate " << d;
        }
}

using enum io::LandmarkFormat;

INSTANTIATE_TEST_SUITE_P(
    Formats, LandmarkReader,
    ::testing::Values(
        ReadCase{"markups_json/named_lps.mrk.json", MarkupsJson, 1, "named_lps", kNames, 0},
        ReadCase{"markups_json/named_ras.mrk.json", MarkupsJson, 1, "named_ras", kNames, 0},
        ReadCase{"markups_json/crlf_line_ends.mrk.json", MarkupsJson, 1, "crlf_line_ends", kNames, 0},
        ReadCase{"markups_json/with_a_line_markup.mrk.json", MarkupsJson, 1, "with_a_line_markup", kNames, 0},
        ReadCase{"markups_json/missing_position_status.mrk.json", MarkupsJson, 1, "missing_position_status", kNames, 3},
        ReadCase{"markups_json/point_without_position.mrk.json", MarkupsJson, 1, "point_without_position", kNames, 5},
        ReadCase{"fcsv/named_lps.fcsv", MarkupsFcsv, 1, "named_lps", kNames, 0},
        ReadCase{"fcsv/named_ras.fcsv", MarkupsFcsv, 1, "named_ras", kNames, 0},
        ReadCase{"fcsv/coordinate_system_zero_is_ras.fcsv", MarkupsFcsv, 1, "coordinate_system_zero_is_ras", kNames, 0},
        ReadCase{"fcsv/coordinate_system_one_is_lps.fcsv", MarkupsFcsv, 1, "coordinate_system_one_is_lps", kNames, 0},
        ReadCase{"fcsv/no_coordinate_system_line_is_ras.fcsv", MarkupsFcsv, 1, "no_coordinate_system_line_is_ras",
                 kNames, 0},
        ReadCase{"fcsv/no_header_by_extension.fcsv", MarkupsFcsv, 1, "no_header_by_extension", kNames, 0},
        ReadCase{"fcsv/columns_in_another_order.fcsv", MarkupsFcsv, 1, "columns_in_another_order", kNames, 0},
        ReadCase{"fcsv/empty_coordinates_are_missing.fcsv", MarkupsFcsv, 1, "empty_coordinates_are_missing", kNames, 4},
        ReadCase{"morphologika/two_specimens_with_names_and_wireframe.txt", Morphologika, 2, "skullA|skullB", "", 0},
        ReadCase{"morphologika/names_on_quote_lines.txt", Morphologika, 2, "skullA|skullB", "", 0},
        ReadCase{"morphologika/section_names_any_case.txt", Morphologika, 2, "skullA|skullB", "", 0},
        ReadCase{"morphologika/one_specimen_named_by_file.txt", Morphologika, 1, "one_specimen_named_by_file", "", 0},
        ReadCase{"pts/named_rows.pts", Pts, 1, "named_rows", kNames, 0},
        ReadCase{"pts/default_row_names.pts", Pts, 1, "default_row_names", "S0000|S0001|S0002|S0003|S0004", 0},
        ReadCase{"pts/tab_separated.pts", Pts, 1, "tab_separated", kNames, 0},
        ReadCase{"pts/missing_landmark_na.pts", Pts, 1, "missing_landmark_na", kNames, 2},
        ReadCase{"pp/named_points.pp", PickedPoints, 1, "named_points", kNames, 0},
        ReadCase{"pp/inactive_point_is_missing.pp", PickedPoints, 1, "inactive_point_is_missing", kNames, 3},
        ReadCase{"pp/name_with_entities.pp", PickedPoints, 1, "name_with_entities",
                 "Nasion & glabella|Bregma|Lambda|Opisthion|Basion", 0}),
    [](const auto& row) {
        std::string n =
            fs::path(row.param.file).stem().stem().string() + "_" + fs::path(row.param.file).parent_path().string();
        for (char& ch : n)
            if (!std::isalnum(static_cast<unsigned char>(ch)))
                ch = '_';
        return n;
    });

TEST(MorphologikaReader, OffersItsWireframe)
{
    const io::LandmarkFile read =
        io::parseMorphologika(fixture("morphologika/two_specimens_with_names_and_wireframe.txt"), "w.txt");
    ASSERT_EQ(read.wireframe.size(), 5u);
    EXPECT_EQ(read.wireframe[1], (std::array<std::size_t, 2>{2, 3}));
    EXPECT_EQ(read.wireframe[4], (std::array<std::size_t, 2>{5, 1}));
}

TEST(MorphologikaReader, ReadsACodedMissingLandmarkOfALaterSpecimen)
{
    const io::LandmarkFile read = io::parseMorphologika(fixture("morphologika/missing_landmark_coded.txt"), "m.txt");
    ASSERT_EQ(read.data.table.rows(), 2u);
    EXPECT_TRUE(std::isnan(read.data.table(1, 6)));
    EXPECT_FALSE(std::isnan(read.data.table(0, 6)));
}

struct RefusalCase {
    const char* file;
    int line;             // 0: the message names no line
    const char* message;  // a fragment of it
};

class LandmarkRefusal : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(LandmarkRefusal, NamesTheFileThePlaceAndTheProblem)
{
    const RefusalCase& c = GetParam();
    const std::string name = fs::path(c.file).filename().string();
    try {
        io::parseLandmarkFile(fixture(c.file), name);
        FAIL() << "read without complaint";
    } catch (const FileFormatError& e) {
        const std::string text = e.what();
        const std::string where = "File " + name + (c.line > 0 ? ", line " + std::to_string(c.line) + ":" : ":");
        EXPECT_EQ(text.rfind(where, 0), 0u) << text;
        EXPECT_NE(text.find(c.message), std::string::npos) << text;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Formats, LandmarkRefusal,
    ::testing::Values(
        RefusalCase{"markups_json/broken_json.mrk.json", 8, "no valid JSON"},
        RefusalCase{"markups_json/no_point_list.mrk.json", 0, "has 0"},
        RefusalCase{"markups_json/two_point_lists.mrk.json", 0, "has 2"},
        RefusalCase{"markups_json/unknown_coordinate_system.mrk.json", 0, "\"IJK\" is neither LPS nor RAS"},
        RefusalCase{"markups_json/position_of_two_numbers.mrk.json", 0,
                    "control point 2 (\"Bregma\"): its position is [12.0,40.125]"},
        RefusalCase{"markups_json/no_control_points.mrk.json", 0, "no control points"},
        RefusalCase{"markups_json/partly_missing.mrk.json", 0,
                    "control point 4 (\"Opisthion\"): landmark 4 is missing"},
        RefusalCase{"fcsv/comma_decimal.fcsv", 5, "point 2: \"4O.125\" is no number (column y)"},
        RefusalCase{"fcsv/unknown_coordinate_system.fcsv", 2, "\"IJK\" is none of RAS, LPS, 0 or 1"},
        RefusalCase{"fcsv/too_few_fields.fcsv", 7, "point 4 has 2 fields"},
        RefusalCase{"fcsv/no_points.fcsv", 0, "no points"},
        RefusalCase{"fcsv/columns_without_z.fcsv", 3, "no x, y and z columns"},
        RefusalCase{"morphologika/two_dimensions.txt", 5, "only 3D"},
        RefusalCase{"morphologika/rawpoints_short.txt", 10, "holds 9 landmarks, but 2 specimens of 5"},
        RefusalCase{"morphologika/more_names_than_individuals.txt", 7, "lists 3 names, but [individuals] says 2"},
        RefusalCase{"morphologika/wireframe_past_the_landmarks.txt", 23, "from 1 to 5; found \"5 6\""},
        RefusalCase{"morphologika/no_individuals_section.txt", 0, "no [individuals] section"},
        RefusalCase{"morphologika/partly_missing.txt", 18, "specimen 2, landmark 3: landmark 3 is missing in some"},
        RefusalCase{"morphologika/two_numbers_on_a_line.txt", 18, "specimen 2, landmark 3: expected the 3 numbers"},
        RefusalCase{"pts/count_above_the_rows.pts", 2, "announces 6 landmarks, but 5"},
        RefusalCase{"pts/row_of_three_fields.pts", 5, "landmark 3: a row is a name and x y z"},
        RefusalCase{"pts/glued_numbers.pts", 4, "landmark 2: \"40.1258.5\" is no number"},
        RefusalCase{"pts/no_version_line.pts", 1, "starts with a Version line"},
        RefusalCase{"pp/no_picked_points_element.pp", 0, "has a <PickedPoints> element; this one has none"},
        RefusalCase{"pp/point_without_z.pp", 12, "point 4 (\"Opisthion\") has no z="},
        RefusalCase{"pp/bad_number.pp", 10, "point 2 (\"Bregma\"): x=\"12a\" is no number"},
        RefusalCase{"pp/no_points.pp", 0, "no <point> elements"}),
    [](const auto& row) {
        std::string n =
            fs::path(row.param.file).stem().stem().string() + "_" + fs::path(row.param.file).parent_path().string();
        for (char& ch : n)
            if (!std::isalnum(static_cast<unsigned char>(ch)))
                ch = '_';
        return n;
    });

io::NamedLandmarkFile named(const std::string& file, std::vector<std::string> names, double shift = 0)
{
    std::vector<double> xyz;
    for (std::size_t i = 0; i < names.size(); ++i)
        for (std::size_t d = 0; d < 3; ++d)
            xyz.push_back(static_cast<double>(i * 3 + d) + shift);
    return {file, io::singleSpecimenFile(io::LandmarkFormat::MarkupsJson, file, xyz, std::move(names))};
}

TEST(CombineLandmarkFiles, ReordersAFileToTheFirstFilesNameOrder)
{
    std::vector<io::NamedLandmarkFile> files;
    files.push_back(named("a.mrk.json", {"N", "B", "L"}));
    files.push_back(named("b.mrk.json", {"L", "N", "B"}, 100));
    const io::CombinedLandmarks all = io::combineLandmarkFiles(std::move(files));
    EXPECT_EQ(joined(all.reordered), "b.mrk.json");
    EXPECT_EQ(joined(all.names), "N|B|L");
    EXPECT_EQ(joined(all.data.ids), "a|b");
    // b's N was its second landmark: x at column 3 + 100.
    EXPECT_EQ(all.data.table(1, 0), 103.0);
    EXPECT_EQ(all.data.table(1, 6), 100.0);
}

struct MatchCase {
    const char* name;
    std::vector<std::string> second;
    const char* message;
};

class CombineRefusal : public ::testing::TestWithParam<MatchCase> {};

TEST_P(CombineRefusal, NamesTheFileAndTheNames)
{
    std::vector<io::NamedLandmarkFile> files;
    files.push_back(named("a.pts", {"N", "B", "L"}));
    files.push_back(named("b.pts", GetParam().second));
    try {
        io::combineLandmarkFiles(std::move(files));
        FAIL() << "combined without complaint";
    } catch (const FileFormatError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("File b.pts: ", 0), 0u) << e.what();
        EXPECT_NE(std::string(e.what()).find(GetParam().message), std::string::npos) << e.what();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Names, CombineRefusal,
    ::testing::Values(MatchCase{"MissingName", {"N", "B"}, "it lacks \"L\""},
                      MatchCase{"ExtraName", {"N", "B", "L", "X"}, "it has \"X\" besides"},
                      MatchCase{"OtherName", {"N", "B", "Q"}, "it lacks \"L\"; it has \"Q\" besides"},
                      MatchCase{"RepeatedName", {"N", "B", "B"}, "the landmark names \"B\" stand more than once"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(CombineLandmarkFiles, WithoutNamesInEveryFileNeedsEqualCounts)
{
    std::vector<io::NamedLandmarkFile> files;
    files.push_back(named("a.pts", {"N", "B", "L"}));
    files.push_back(named("b.pts", {"", "", "", ""}));
    EXPECT_THROW(
        {
            try {
                io::combineLandmarkFiles(std::move(files));
            } catch (const FileFormatError& e) {
                EXPECT_NE(std::string(e.what()).find("File b.pts: it has 4 landmarks, but a.pts has 3"),
                          std::string::npos)
                    << e.what();
                throw;
            }
        },
        FileFormatError);
}

TEST(SpecimenIdFromFileName, DropsTheFormatsWholeExtension)
{
    EXPECT_EQ(io::specimenIdFromFileName("skull07.mrk.json", io::LandmarkFormat::MarkupsJson), "skull07");
    EXPECT_EQ(io::specimenIdFromFileName("skull.v2.fcsv", io::LandmarkFormat::MarkupsFcsv), "skull.v2");
    EXPECT_EQ(io::specimenIdFromFileName("skull07.PTS", io::LandmarkFormat::Pts), "skull07");
}

}  // namespace
