// Reading speed of the landmark readers against the floor of the machine: every benchmark
// also times, in the same run, a plain loop of std::from_chars over the tokens of the same
// bytes on one core, and prints both and their ratio (floor_share = floor time / reader
// time; the target is at least 0.9 for a single-threaded read).
//
// Data sets: 10,000 specimens x 100 landmarks (about 31 MB as TPS) and a real-size set of
// 300 x 40, as TPS (plain, and with ID, IMAGE, SCALE, COMMENT and CURVES lines and missing
// codes) and as a numeric table with a centroid-size column (plain, and with an ID column).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "io/numeric.h"
#include "io/readoptions.h"
#include "io/sizetable.h"
#include "io/tps.h"

namespace {

using Clock = std::chrono::steady_clock;

// Coordinates in millimetres with six decimals, as digitisers and exports write them.
std::vector<double> coordinates(int specimens, int landmarks)
{
    std::mt19937_64 random(20240611);
    std::normal_distribution<double> noise(0.0, 1.5);
    std::uniform_real_distribution<double> base(-80.0, 80.0);
    std::vector<double> mean(static_cast<std::size_t>(3 * landmarks));
    for (double& v : mean)
        v = base(random);
    std::vector<double> all;
    all.reserve(static_cast<std::size_t>(specimens) * mean.size());
    for (int s = 0; s < specimens; ++s)
        for (double m : mean)
            all.push_back(m + noise(random));
    return all;
}

// With `metadata`, every specimen has ID=, IMAGE=, SCALE= and COMMENT= lines, every tenth a
// curve of three points, and about one landmark in 200 (never in the first specimen) is NA.
std::string tpsText(int specimens, int landmarks, bool metadata)
{
    const std::vector<double> all = coordinates(specimens, landmarks);
    std::mt19937 random(7);
    std::uniform_int_distribution<int> pick(0, 199);
    std::string out;
    out.reserve(all.size() * 11 + static_cast<std::size_t>(specimens) * 100);
    char line[96];
    for (int s = 0; s < specimens; ++s) {
        out += "LM=";
        out += std::to_string(landmarks);
        out += '\n';
        for (int i = 0; i < landmarks; ++i) {
            const double* xyz = &all[static_cast<std::size_t>((s * landmarks + i) * 3)];
            if (metadata && s > 0 && pick(random) == 0) {
                out += "NA NA NA\n";
                continue;
            }
            std::snprintf(line, sizeof line, "%.6f %.6f %.6f\n", xyz[0], xyz[1], xyz[2]);
            out += line;
        }
        if (metadata && s % 10 == 0)
            out += "CURVES=1\nPOINTS=3\n1.5 2.5 3.5\n2.5 3.5 4.5\n3.5 4.5 5.5\n";
        if (metadata) {
            out += "IMAGE=skull_";
            out += std::to_string(s + 1);
            out += ".jpg\nSCALE=0.0125\nCOMMENT=digitised twice, second session\n";
        }
        out += "ID=specimen_";
        out += std::to_string(s + 1);
        out += '\n';
    }
    return out;
}

// With `ids`, every line starts with the specimen's ID.
std::string tableText(int specimens, int landmarks, bool ids)
{
    const std::vector<double> all = coordinates(specimens, landmarks);
    std::string out;
    char number[48];
    for (int s = 0; s < specimens; ++s) {
        const double* row = &all[static_cast<std::size_t>(s * landmarks * 3)];
        if (ids) {
            out += "skull_";
            out += std::to_string(s + 1);
            out += ' ';
        }
        double centre[3] = {0, 0, 0};
        for (int i = 0; i < landmarks; ++i)
            for (int c = 0; c < 3; ++c)
                centre[c] += row[i * 3 + c] / landmarks;
        double squares = 0.0;
        for (int i = 0; i < 3 * landmarks; ++i) {
            squares += (row[i] - centre[i % 3]) * (row[i] - centre[i % 3]);
            std::snprintf(number, sizeof number, "%f ", row[i]);
            out += number;
        }
        std::snprintf(number, sizeof number, "%f\n", std::sqrt(squares));
        out += number;
    }
    return out;
}

enum class Text { Tps, TpsMetadata, Table, TableIds };

const std::string& text(Text kind, bool big)
{
    static std::map<std::pair<Text, bool>, std::string> made;
    auto& slot = made[{kind, big}];
    if (slot.empty()) {
        const int k = big ? 10000 : 300;
        const int p = big ? 100 : 40;
        switch (kind) {
        case Text::Tps:
            slot = tpsText(k, p, false);
            break;
        case Text::TpsMetadata:
            slot = tpsText(k, p, true);
            break;
        case Text::Table:
            slot = tableText(k, p, false);
            break;
        case Text::TableIds:
            slot = tableText(k, p, true);
            break;
        }
    }
    return slot;
}

// The floor: every blank-separated token of the text through std::from_chars, on one core.
double fromCharsLoop(const std::string& bytes)
{
    const char* p = bytes.data();
    const char* const end = p + bytes.size();
    double sum = 0.0;
    while (p != end) {
        while (p != end && (*p == ' ' || *p == '\n' || *p == '\t' || *p == '\r' || *p == ','))
            ++p;
        if (p == end)
            break;
        double value = 0.0;
        const auto [next, ec] = std::from_chars(p, end, value);
        if (ec == std::errc() && next != p) {
            sum += value;
            p = next;
        } else {
            while (p != end && *p != ' ' && *p != '\n' && *p != '\t' && *p != '\r' && *p != ',')
                ++p;
        }
    }
    return sum;
}

double secondsOf(Clock::time_point since)
{
    return std::chrono::duration<double>(Clock::now() - since).count();
}

// Times `read` (manual time) and, after each read, the floor over the same bytes; reports
// the best of each and their ratio.
template <typename Read> void timeAgainstFloor(benchmark::State& state, const std::string& bytes, Read read)
{
    double best = 1e300;
    double floor = 1e300;
    for (auto _ : state) {
        const auto start = Clock::now();
        read();
        const double took = secondsOf(start);
        state.SetIterationTime(took);
        best = std::min(best, took);
        const auto floorStart = Clock::now();
        benchmark::DoNotOptimize(fromCharsLoop(bytes));
        floor = std::min(floor, secondsOf(floorStart));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(bytes.size()));
    state.counters["MB"] = static_cast<double>(bytes.size()) / 1e6;
    state.counters["best_ms"] = best * 1e3;
    state.counters["floor_ms"] = floor * 1e3;
    state.counters["floor_share"] = floor / best;
}

vezedo::io::ReadOptions optionsFor(const benchmark::State& state)
{
    vezedo::io::ReadOptions options;
    options.threads = static_cast<std::size_t>(state.range(1));
    if (options.threads == 0)
        options.threads = std::max(1u, std::thread::hardware_concurrency());
    return options;
}

void label(benchmark::State& state, const char* what)
{
    const auto threads = optionsFor(state).threads;
    std::string text = what;
    text += state.range(0) ? ", 10,000 x 100" : ", 300 x 40";
    text += threads == 1 ? ", 1 thread" : ", " + std::to_string(threads) + " threads";
    state.SetLabel(text);
}

void BM_ParseTps(benchmark::State& state)
{
    const std::string& bytes = text(Text::Tps, state.range(0) != 0);
    const auto options = optionsFor(state);
    timeAgainstFloor(state, bytes, [&] {
        auto result = vezedo::io::parseTps(bytes, "bench.tps", options);
        benchmark::DoNotOptimize(result.table.data());
    });
    label(state, "TPS");
}

void BM_ParseTpsMetadata(benchmark::State& state)
{
    const std::string& bytes = text(Text::TpsMetadata, state.range(0) != 0);
    const auto options = optionsFor(state);
    timeAgainstFloor(state, bytes, [&] {
        auto result = vezedo::io::parseTps(bytes, "bench.tps", options);
        benchmark::DoNotOptimize(result.table.data());
    });
    label(state, "TPS with metadata and missing codes");
}

void BM_ParseNumericTable(benchmark::State& state)
{
    const std::string& bytes = text(Text::Table, state.range(0) != 0);
    const auto options = optionsFor(state);
    timeAgainstFloor(state, bytes, [&] {
        auto table = vezedo::io::parseNumericTable(bytes, "bench.txt", options);
        benchmark::DoNotOptimize(table.data());
    });
    label(state, "numeric table");
}

void BM_ParseSpecimenTable(benchmark::State& state)
{
    const std::string& bytes = text(Text::TableIds, state.range(0) != 0);
    const auto options = optionsFor(state);
    timeAgainstFloor(state, bytes, [&] {
        auto table = vezedo::io::parseSpecimenTable(bytes, "bench.txt", options);
        benchmark::DoNotOptimize(table.table.data());
    });
    label(state, "specimen table with IDs");
}

// Arguments: big (1) or real-size (0) data; threads (0: all the machine has).
void sizes(benchmark::internal::Benchmark* b)
{
    b->Args({1, 1})->Args({1, 0})->Args({0, 1})->UseManualTime()->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_ParseTps)->Apply(sizes);
BENCHMARK(BM_ParseTpsMetadata)->Apply(sizes);
BENCHMARK(BM_ParseNumericTable)->Apply(sizes);
BENCHMARK(BM_ParseSpecimenTable)->Apply(sizes);

}  // namespace
