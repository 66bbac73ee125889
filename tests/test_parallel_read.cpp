// A read split over threads gives what one thread gives: values, IDs, names, per-specimen
// facts, and for a refused file the same message (the same first problem, the same line).
// So does a TPS file read a piece at a time, wherever the pieces end. And the progress hook:
// called from the reading thread, and a false answer stops the read.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "harness.h"
#include "io/files.h"
#include "io/numeric.h"
#include "io/sizetable.h"
#include "io/tps.h"
#include "platform/error.h"

using namespace vezedo;
namespace fs = std::filesystem;

namespace {

std::string bytesOf(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

io::ReadOptions serial()
{
    io::ReadOptions options;
    options.threads = 1;
    return options;
}

// Every text, however small, in parallel parts.
io::ReadOptions parallel(std::size_t threads)
{
    io::ReadOptions options;
    options.threads = threads;
    options.parallelFrom = 0;
    return options;
}

// Equal as stored: NaN equals NaN, and -0 differs from 0.
bool sameBits(const platform::Matrix& a, const platform::Matrix& b)
{
    return a.rows() == b.rows() && a.cols() == b.cols() &&
           (a.numel() == 0 || std::memcmp(a.data(), b.data(), a.numel() * sizeof(double)) == 0);
}

// What a read gives, or the message of its refusal.
struct Outcome {
    platform::Matrix table;
    platform::CellList namelist;
    std::vector<std::string> ids;
    std::vector<io::TpsSpecimenInfo> info;
    std::string message;
};

void expectSame(const Outcome& one, const Outcome& many)
{
    EXPECT_EQ(one.message, many.message);
    EXPECT_TRUE(sameBits(one.table, many.table));
    EXPECT_EQ(one.namelist, many.namelist);
    EXPECT_EQ(one.ids, many.ids);
    EXPECT_EQ(one.info, many.info);
}

// What `read` gives, or the message of its refusal.
Outcome outcomeOf(const std::function<void(Outcome&)>& read)
{
    Outcome out;
    try {
        read(out);
    } catch (const Error& e) {
        out = Outcome{};
        out.message = e.what();
    }
    return out;
}

void keep(io::TpsData data, Outcome& out)
{
    out.table = std::move(data.table);
    out.namelist = std::move(data.namelist);
    out.ids = std::move(data.ids);
    out.info = std::move(data.info);
}

Outcome tpsOutcome(const std::string& bytes, const io::ReadOptions& options)
{
    return outcomeOf([&](Outcome& out) { keep(io::parseTps(bytes, "data.tps", options), out); });
}

// What readChosenTps gives for `bytes` as a file, read `pieceBytes` at a time.
Outcome pieceOutcome(const std::string& bytes, std::size_t pieceBytes, io::ReadOptions options)
{
    const test::TempDir dir;
    const test::RestoreCurrentFolder restore;
    dir.write("data.tps", bytes);
    options.chunkBytes = pieceBytes;
    return outcomeOf([&](Outcome& out) { keep(io::readChosenTps({"data.tps", dir.path().string()}, options), out); });
}

Outcome tableOutcome(const std::string& bytes, const io::ReadOptions& options)
{
    return outcomeOf([&](Outcome& out) { out.table = io::parseNumericTable(bytes, "data.txt", options); });
}

Outcome specimenTableOutcome(const std::string& bytes, const io::ReadOptions& options)
{
    return outcomeOf([&](Outcome& out) {
        io::SpecimenTable data = io::parseSpecimenTable(bytes, "data.txt", options);
        out.table = std::move(data.table);
        out.ids = std::move(data.ids);
    });
}

std::vector<fs::path> fixtures(const char* folder)
{
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(fs::path(VEZEDO_TEST_DATA_DIR) / folder))
        files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

TEST(ParallelRead, TpsFixturesReadAsBySerialRead)
{
    const auto files = fixtures("tps");
    ASSERT_GE(files.size(), 10u);
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.filename().string());
        const std::string bytes = bytesOf(file);
        const Outcome one = tpsOutcome(bytes, serial());
        for (std::size_t threads : {1u, 4u}) {
            SCOPED_TRACE(threads);
            expectSame(one, tpsOutcome(bytes, parallel(threads)));
        }
    }
}

TEST(ParallelRead, TableFixturesReadAsBySerialRead)
{
    const auto files = fixtures("table");
    ASSERT_GE(files.size(), 5u);
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.filename().string());
        const std::string bytes = bytesOf(file);
        const Outcome table = tableOutcome(bytes, serial());
        const Outcome specimens = specimenTableOutcome(bytes, serial());
        for (std::size_t threads : {1u, 4u}) {
            SCOPED_TRACE(threads);
            expectSame(table, tableOutcome(bytes, parallel(threads)));
            expectSame(specimens, specimenTableOutcome(bytes, parallel(threads)));
        }
    }
}

// 40 specimens of 3 landmarks; `change` rewrites the text of specimen j (from 0).
std::string tpsText(const std::function<void(std::size_t, std::string&)>& change = {})
{
    std::string out = "# made for the test\n";
    for (std::size_t j = 0; j < 40; ++j) {
        std::string one = "LM=3\n";
        for (std::size_t i = 0; i < 3; ++i)
            one += std::to_string(j) + "." + std::to_string(i) + " " + std::to_string(i) + " -" +
                   std::to_string(j % 7) + ".5\n";
        if (j % 3 == 0)
            one += "ID=skull_" + std::to_string(j) + "\n";
        if (j % 5 == 0)
            one += "SCALE=0.5\nCURVES=1\nPOINTS=2\n1 2\n3 4\n";
        if (change)
            change(j, one);
        out += one;
    }
    return out;
}

struct TpsCase {
    const char* name;
    std::function<void(std::size_t, std::string&)> change;
};

// Files larger than the fixtures, so that every part holds several specimens, with their
// problems late in the file and more than one of them.
const TpsCase kTpsCases[] = {
    {"plain", {}},
    {"missing landmarks",
     [](std::size_t j, std::string& s) {
         if (j % 4 != 1)
             return;
         const auto from = s.find('\n') + 1;
         s.replace(from, s.find('\n', from) - from, "NA NA NA");
     }},
    {"late bad number",
     [](std::size_t j, std::string& s) {
         if (j == 33)
             s.replace(s.find("1 -"), 1, "1..5");
     }},
    {"two bad numbers, the first reported",
     [](std::size_t j, std::string& s) {
         if (j == 25 || j == 38)
             s.replace(s.find("1 -"), 1, "x");
     }},
    {"other landmark count late",
     [](std::size_t j, std::string& s) {
         if (j == 30)
             s.replace(0, 4, "LM=2");
     }},
    {"stray line late",
     [](std::size_t j, std::string& s) {
         if (j == 29)
             s += "7 7 7\n";
     }},
    {"header typo late",
     [](std::size_t j, std::string& s) {
         if (j == 35)
             s += "LMe=3\n";
     }},
    {"no IDs",
     [](std::size_t, std::string& s) {
         if (s.find("ID=") != std::string::npos)
             s.erase(s.find("ID="), s.find('\n', s.find("ID=")) - s.find("ID=") + 1);
     }},
    {"header in the middle of a line",
     [](std::size_t j, std::string& s) {
         if (j == 20)
             s += "COMMENT=see LM=3\n";
     }},
    {"partly coded landmark late",
     [](std::size_t j, std::string& s) {
         if (j == 31)
             s.replace(s.find("1 -"), 1, "-999");
     }},
    {"points still due",
     [](std::size_t j, std::string& s) {
         if (j == 35)
             s += "POINTS=4\n1 2\n";
     }},
    {"lone CR line ends", [](std::size_t, std::string& s) { std::replace(s.begin(), s.end(), '\n', '\r'); }},
    {"CRLF line ends",
     [](std::size_t, std::string& s) {
         for (std::size_t at = s.find('\n'); at != std::string::npos; at = s.find('\n', at + 2))
             s.insert(at, 1, '\r');
     }},
    {"first header l=",
     [](std::size_t j, std::string& s) {
         if (j == 0)
             s.replace(0, 2, "l");
     }},
    {"LM3= headers and text after a count",
     [](std::size_t j, std::string& s) {
         if (j % 6 == 2)
             s.replace(0, 4, "LM3=3 skull " + std::to_string(j));
     }},
    {"a specimen longer than many pieces",
     [](std::size_t j, std::string& s) {
         if (j == 17)
             s += "COMMENT=" + std::string(3000, 'c') + "\n";
     }},
    {"last line without line end",
     [](std::size_t j, std::string& s) {
         if (j == 39)
             s.pop_back();
     }},
};

class ParallelTps : public ::testing::TestWithParam<TpsCase> {};

TEST_P(ParallelTps, ReadsAsSerialRead)
{
    const std::string bytes = tpsText(GetParam().change);
    const Outcome one = tpsOutcome(bytes, serial());
    for (std::size_t threads : {2u, 3u, 4u, 7u}) {
        SCOPED_TRACE(threads);
        expectSame(one, tpsOutcome(bytes, parallel(threads)));
    }
}

// Pieces of every size from one byte up, so that a header, a number, a CRLF, an ID line and
// each refusal fall on a piece's edge somewhere.
TEST_P(ParallelTps, ReadsAsSerialReadWhenTheFileIsReadInPieces)
{
    const std::string bytes = tpsText(GetParam().change);
    const Outcome one = tpsOutcome(bytes, serial());
    for (std::size_t threads : {1u, 3u}) {
        for (std::size_t piece : {1u, 2u, 3u, 5u, 8u, 13u, 21u, 34u, 55u, 89u, 144u, 233u, 610u, 1597u}) {
            SCOPED_TRACE(std::to_string(threads) + " threads, pieces of " + std::to_string(piece) + " bytes");
            io::ReadOptions options;
            options.threads = threads;
            expectSame(one, pieceOutcome(bytes, piece, options));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, ParallelTps, ::testing::ValuesIn(kTpsCases), [](const auto& param) {
    std::string name = param.param.name;
    for (char& ch : name)
        if (!std::isalnum(static_cast<unsigned char>(ch)))
            ch = '_';
    return name;
});

struct TableCase {
    const char* name;
    std::function<void(std::size_t, std::string&)> change;  // of line j (from 0), without its end
};

std::string tableText(const std::function<void(std::size_t, std::string&)>& change, bool ids)
{
    std::string out;
    for (std::size_t j = 0; j < 60; ++j) {
        std::string line = ids ? "s" + std::to_string(j) + " " : "";
        for (std::size_t i = 0; i < 6; ++i)
            line += std::to_string(j * 10 + i) + ".25 ";
        line += "3.5";
        if (change)
            change(j, line);
        out += line + "\n";
    }
    return out;
}

// Makes the fourth field of a line -999: one coordinate of a landmark coded missing.
void codeFourthField(std::string& line)
{
    const std::size_t at = line.find(' ', line.find(' ', line.find(' ') + 1) + 1) + 1;
    line.replace(at, line.find(' ', at) - at, "-999");
}

const TableCase kTableCases[] = {
    {"plain", {}},
    {"blank lines",
     [](std::size_t j, std::string& s) {
         if (j % 9 == 4)
             s += "\n  \t";
     }},
    {"late short line",
     [](std::size_t j, std::string& s) {
         if (j == 50)
             s.erase(s.rfind(' '));
     }},
    {"two bad lines, the first reported",
     [](std::size_t j, std::string& s) {
         if (j == 35 || j == 55)
             s += " x";
     }},
    {"late comma without number",
     [](std::size_t j, std::string& s) {
         if (j == 41)
             s.replace(0, 0, ", ");
     }},
    {"missing landmarks",
     [](std::size_t j, std::string& s) {
         if (j % 7 == 3)
             s.replace(s.find(' ', s.find(' ') + 1), 0, " NA NA NA");
     }},
    {"partly coded landmark late",
     [](std::size_t j, std::string& s) {
         if (j == 40)
             codeFourthField(s);
     }},
    {"partly coded landmark, then a short line",
     [](std::size_t j, std::string& s) {
         if (j == 20)
             codeFourthField(s);
         if (j == 50)
             s.erase(s.rfind(' '));
     }},
    {"ID alone late",
     [](std::size_t j, std::string& s) {
         if (j == 44)
             s.erase(s.find(' '));
     }},
};

class ParallelTable : public ::testing::TestWithParam<TableCase> {};

TEST_P(ParallelTable, ReadsAsSerialRead)
{
    for (bool ids : {false, true}) {
        SCOPED_TRACE(ids);
        const std::string bytes = tableText(GetParam().change, ids);
        const Outcome table = tableOutcome(bytes, serial());
        const Outcome specimens = specimenTableOutcome(bytes, serial());
        for (std::size_t threads : {2u, 3u, 4u, 7u}) {
            SCOPED_TRACE(threads);
            expectSame(table, tableOutcome(bytes, parallel(threads)));
            expectSame(specimens, specimenTableOutcome(bytes, parallel(threads)));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, ParallelTable, ::testing::ValuesIn(kTableCases), [](const auto& param) {
    std::string name = param.param.name;
    for (char& ch : name)
        if (!std::isalnum(static_cast<unsigned char>(ch)))
            ch = '_';
    return name;
});

struct ProgressCase {
    const char* name;
    std::size_t threads;
    bool table;
};

const ProgressCase kProgressCases[] = {
    {"tps_serial", 1, false},
    {"tps_parallel", 3, false},
    {"table_serial", 1, true},
    {"table_parallel", 3, true},
};

class ReadProgress : public ::testing::TestWithParam<ProgressCase> {};

// About 10 MB, so that the hook is called several times.
const std::string& bigText(bool table)
{
    static const auto make = [](bool asTable) {
        std::string out;
        for (std::size_t j = 0; out.size() < (std::size_t{10} << 20); ++j) {
            if (!asTable)
                out += "LM=20\n";
            for (std::size_t i = 0; i < 20; ++i)
                out += "12.345678 -23.456789 34.567891" + std::string(asTable ? " " : "\n");
            if (asTable)
                out += "1.5\n";
        }
        return out;
    };
    static const std::string tps = make(false);
    static const std::string tableText = make(true);
    return table ? tableText : tps;
}

TEST_P(ReadProgress, ReportsFromTheCallingThreadAndStopsWhenTold)
{
    const ProgressCase& c = GetParam();
    const std::string& bytes = bigText(c.table);
    io::ReadOptions options = c.threads == 1 ? serial() : parallel(c.threads);
    std::vector<std::size_t> done;
    bool otherThread = false;
    const auto caller = std::this_thread::get_id();
    const auto read = [&] {
        if (c.table)
            io::parseNumericTable(bytes, "big.txt", options);
        else
            io::parseTps(bytes, "big.tps", options);
    };
    options.progress = [&](std::size_t at, std::size_t total) {
        EXPECT_EQ(total, bytes.size());
        EXPECT_LE(at, total);
        otherThread = otherThread || std::this_thread::get_id() != caller;
        done.push_back(at);
        return true;
    };
    EXPECT_NO_THROW(read());
    EXPECT_FALSE(otherThread);
    if (c.threads == 1) {
        EXPECT_GE(done.size(), 2u);
    }
    EXPECT_TRUE(std::is_sorted(done.begin(), done.end()));

    options.progress = [](std::size_t, std::size_t) { return false; };
    EXPECT_THROW(read(), io::Cancelled);
}

INSTANTIATE_TEST_SUITE_P(Cases, ReadProgress, ::testing::ValuesIn(kProgressCases),
                         [](const auto& param) { return std::string(param.param.name); });

struct PieceProgressCase {
    const char* name;
    std::size_t threads;
    std::string (*text)();  // of the file
};

// The hook hears of the file's size and is called from the reading thread however the file is
// read: in pieces, or again whole when a late part is refused or a lone CR turns up.
const PieceProgressCase kPieceProgressCases[] = {
    {"serial", 1, [] { return bigText(false); }},
    {"parallel", 3, [] { return bigText(false); }},
    {"refused late", 3, [] { return bigText(false) + "LM=20\n1 2 3\n"; }},
    {"lone CR late", 3, [] { return bigText(false) + "\r"; }},
};

class PieceProgress : public ::testing::TestWithParam<PieceProgressCase> {};

TEST_P(PieceProgress, ReportsFromTheCallingThreadAndStopsWhenTold)
{
    const PieceProgressCase& c = GetParam();
    const std::string bytes = c.text();
    io::ReadOptions options;
    options.threads = c.threads;
    std::vector<std::size_t> done;
    bool otherThread = false;
    const auto caller = std::this_thread::get_id();
    options.progress = [&](std::size_t at, std::size_t total) {
        EXPECT_EQ(total, bytes.size());
        EXPECT_LE(at, total);
        otherThread = otherThread || std::this_thread::get_id() != caller;
        done.push_back(at);
        return true;
    };
    const Outcome read = pieceOutcome(bytes, std::size_t{1} << 20, options);
    EXPECT_EQ(read.message, tpsOutcome(bytes, serial()).message);
    EXPECT_FALSE(otherThread);
    EXPECT_GE(done.size(), 10u);  // at least once a piece

    std::size_t calls = 0;
    options.progress = [&](std::size_t, std::size_t) { return ++calls < 3; };
    EXPECT_EQ(pieceOutcome(bytes, std::size_t{1} << 20, options).message, io::Cancelled().what());
    EXPECT_EQ(calls, 3u);
}

INSTANTIATE_TEST_SUITE_P(Cases, PieceProgress, ::testing::ValuesIn(kPieceProgressCases), [](const auto& param) {
    std::string name = param.param.name;
    std::replace(name.begin(), name.end(), ' ', '_');
    return name;
});

// A file larger than a piece is refused as a whole read refuses it, before any of it is parsed.
TEST(PieceRead, RefusesWhatTheWholeReadRefuses)
{
    const test::TempDir dir;
    const std::string nulEarly = "LM=1\n1 2 3\n" + std::string(1, '\0') + std::string(5000, ' ');
    const std::string path = dir.write("nul.tps", nulEarly);
    std::string whole;
    try {
        io::readFile(path);
    } catch (const io::UnreadableFile& e) {
        whole = e.what();
    }
    ASSERT_NE(whole.find("byte 12 is a NUL byte"), std::string::npos) << whole;
    const test::RestoreCurrentFolder restore;
    io::ReadOptions options;
    options.chunkBytes = 100;
    try {
        io::readChosenTps({"nul.tps", dir.path().string()}, options);
        ADD_FAILURE() << "read";
    } catch (const io::UnreadableFile& e) {
        EXPECT_EQ(e.what(), whole);
    }
}

}  // namespace
