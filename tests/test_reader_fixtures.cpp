// Every reader on the files of tests/data, one file per quirk: what loads, and what is
// refused with a message naming the file and the problem while nothing changes.
#include <filesystem>

#include "scenario_checks.h"

using namespace vezedo;
using namespace vezedo::test;

namespace {

namespace fs = std::filesystem;

struct FixtureCase {
    const char* file;     // under tests/data
    const char* action;   // the loading action
    int loaded;           // specimens, protocol lines or blocks after the load; -1: refused
    const char* message;  // fragments of the refusal, joined by '|'
};

std::size_t loadedCount(Scenario& s, const std::string& action)
{
    if (action == "LoadFile1" || action == "LoadFileIMP")
        return s.state().specimens.count();
    if (action == "LoadBlock")
        return s.state().blocks.count().value_or(0);
    return s.state().protocol.size();
}

class ReaderFixture : public ::testing::TestWithParam<FixtureCase> {};

TEST_P(ReaderFixture, LoadsOrIsRefusedWithoutChange)
{
    const FixtureCase& c = GetParam();
    SCOPED_TRACE(c.file);
    Scenario s;
    // Specimens of 4 landmarks, a protocol of 4 lines and one block, so that every loader
    // has something to keep or replace.
    s.loadTps("base.tps", makeTps(5, 4));
    s.file("base.txt", protocolText({{1, 2}, {2, 3}, {3, 4}, {4, 1}}));
    s.answer("base.txt");
    s.press("LoadProto");
    s.type("MaxBlockBox", "1");
    s.press("SetBlocks");
    s.h.console.take();
    ASSERT_TRUE(s.h.messages.shown().empty()) << s.h.messages.texts()[0];

    const Snapshot before = snapshot(s);
    const fs::path path = fs::path(VEZEDO_TEST_DATA_DIR) / c.file;
    ASSERT_TRUE(fs::exists(path)) << path;
    s.h.dialogs.queuePath(path.string());
    s.press(c.action);
    if (c.loaded < 0) {
        ASSERT_EQ(s.h.messages.texts().size(), 1u) << s.h.console.text();
        const std::string shown = s.h.messages.texts()[0];
        EXPECT_TRUE(containsEach(shown, path.filename().string() + "|" + c.message)) << shown;
        EXPECT_TRUE(snapshot(s) == before);
    } else {
        EXPECT_TRUE(s.h.messages.shown().empty()) << s.h.messages.texts()[0];
        EXPECT_EQ(loadedCount(s, c.action), static_cast<std::size_t>(c.loaded));
    }
}

const FixtureCase kFixtures[] = {
    {"tps/crlf_line_ends.tps", "LoadFile1", 3, ""},
    {"tps/cr_only_line_ends.tps", "LoadFile1", 3, ""},
    {"tps/glued_numbers.tps", "LoadFile1", -1, "line 4|specimen 1|\"8.5091115.9247\" is not a coordinate"},
    {"tps/double_point.tps", "LoadFile1", -1, "line 4|\"1..5\" is not a coordinate"},
    {"tps/comma_decimal.tps", "LoadFile1", -1, "line 4|\"8,5\" is not a coordinate"},
    {"tps/nan_coordinate.tps", "LoadFile1", -1, "line 4|landmark 3 is missing in some coordinates only"},
    {"tps/inf_coordinate.tps", "LoadFile1", -1, "line 4|\"inf\" is not a coordinate"},
    {"tps/lost_id_and_header_lines.tps", "LoadFile1", -1, "line 6|specimen 1 (ID=skull_02)|found \"1 -1 0.5\""},
    {"tps/header_typo.tps", "LoadFile1", -1, "line 7|specimen 1 (ID=skull_01)|found \"LMe=4\""},
    {"tps/coordinate_line_past_the_count.tps", "LoadFile1", -1, "line 6|specimen 1 (ID=skull_01)|found \"3 3 3\""},
    {"tps/partly_coded_landmark.tps", "LoadFile1", -1,
     "line 9|specimen 2 (ID=skull_02)|landmark 2 is missing in some coordinates only"},
    {"tps/nul_bytes.tps", "LoadFile1", -1, "could not be opened|it is not a text file (byte 1 is a NUL byte)"},
    {"table/partly_coded_landmark.txt", "LoadFileIMP", -1,
     "line 2|specimen 2, landmark 3 is missing in some coordinates only"},
    {"table/cr_only_line_ends.txt", "LoadFileIMP", 3, ""},
    {"table/blank_line_in_middle.txt", "LoadFileIMP", 3, ""},
    {"table/truncated_last_line.txt", "LoadFileIMP", -1, "line 4|found 1 numbers"},
    {"table/zero_size.txt", "LoadFileIMP", -1, "Row 2|centroid size 0|positive"},
    {"table/negative_size.txt", "LoadFileIMP", -1, "Row 2|centroid size -3|positive"},
    {"table/nan_size.txt", "LoadFileIMP", -1, "Row 2|centroid size NaN|positive"},
    {"table/inf_size.txt", "LoadFileIMP", -1, "Row 2|centroid size Inf|positive"},
    {"protocol/empty.txt", "LoadProto", -1, "holds no protocol lines"},
    {"protocol/blank_only.txt", "LoadWire", -1, "holds no protocol lines"},
    {"protocol/bom_only.txt", "LoadProto", -1, "holds no protocol lines"},
    {"protocol/minus_one.txt", "LoadProto", -1, "line 1 holds 1 number"},
    {"protocol/truncated_last_line.txt", "LoadWire", -1, "line 3|found 1 numbers"},
    {"protocol/placeholder_only.txt", "LoadProto", 0, ""},
    {"protocol/cr_only_line_ends.txt", "LoadWire", 3, ""},
    {"protocol/blank_line_in_middle.txt", "LoadProto", 3, ""},
    {"protocol/csv_quoted_header.csv", "LoadProto", 2, ""},
    {"protocol/csv_cr_only_line_ends.csv", "LoadWire", 3, ""},
    {"protocol/csv_header_out_of_order.csv", "LoadProto", -1,
     "Line 1 is the header \"from,to,name\"|must be name,from,to"},
    {"protocol/csv_repeated_column.csv", "LoadProto", -1,
     "Line 1 is the header \"name,from,from\"|must be name,from,to"},
    {"protocol/csv_error_after_two_line_name.csv", "LoadProto", -1, "Line 4 names landmark \"9\""},
    {"blocks/empty.txt", "LoadBlock", -1, "holds no blocks"},
    {"blocks/header_only.txt", "LoadBlock", -1, "holds no blocks"},
    {"blocks/tps_file.txt", "LoadBlock", -1, "Line 3 (block 2)|no line 10"},
    {"blocks/binary.bin", "LoadBlock", -1, "it is not a text file (byte 1 is a NUL byte)"},
    {"blocks/fractional_line.txt", "LoadBlock", -1, "Line 2 (block 1)|\"2.5\""},
    {"blocks/negative_line.txt", "LoadBlock", -1, "Line 3 (block 2)|\"-2\""},
    {"blocks/line_not_in_protocol.txt", "LoadBlock", -1, "Line 3 (block 2)|no line 9|lines 1 to 4"},
    {"blocks/cr_only_line_ends.txt", "LoadBlock", 3, ""},
    {"blocks/zero_kept.txt", "LoadBlock", 2, ""},
};
INSTANTIATE_TEST_SUITE_P(Files, ReaderFixture, ::testing::ValuesIn(kFixtures));

}  // namespace
