// Reading speed of the landmark readers on a data set of 10,000 specimens x 100 landmarks,
// written as a TPS file and as a numeric table with a centroid-size column.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "io/numeric.h"
#include "io/tps.h"

namespace {

constexpr int kSpecimens = 10000;
constexpr int kLandmarks = 100;

// Coordinates in millimetres with six decimals, as digitisers and exports write them.
std::vector<double> coordinates()
{
    std::mt19937_64 random(20240611);
    std::normal_distribution<double> noise(0.0, 1.5);
    std::uniform_real_distribution<double> base(-80.0, 80.0);
    std::vector<double> mean(3 * kLandmarks);
    for (double& v : mean)
        v = base(random);
    std::vector<double> all;
    all.reserve(static_cast<std::size_t>(kSpecimens) * mean.size());
    for (int s = 0; s < kSpecimens; ++s)
        for (double m : mean)
            all.push_back(m + noise(random));
    return all;
}

const std::vector<double>& data()
{
    static const std::vector<double> all = coordinates();
    return all;
}

const std::string& tpsText()
{
    static const std::string text = [] {
        std::string out;
        char line[96];
        const auto& all = data();
        for (int s = 0; s < kSpecimens; ++s) {
            out += "LM=" + std::to_string(kLandmarks) + "\n";
            for (int i = 0; i < kLandmarks; ++i) {
                const double* xyz = &all[static_cast<std::size_t>((s * kLandmarks + i) * 3)];
                std::snprintf(line, sizeof line, "%.6f %.6f %.6f\n", xyz[0], xyz[1], xyz[2]);
                out += line;
            }
            out += "ID=specimen_" + std::to_string(s + 1) + "\n";
        }
        return out;
    }();
    return text;
}

const std::string& tableText()
{
    static const std::string text = [] {
        std::string out;
        char number[48];
        const auto& all = data();
        for (int s = 0; s < kSpecimens; ++s) {
            const double* row = &all[static_cast<std::size_t>(s * kLandmarks * 3)];
            double centre[3] = {0, 0, 0};
            for (int i = 0; i < kLandmarks; ++i)
                for (int c = 0; c < 3; ++c)
                    centre[c] += row[i * 3 + c] / kLandmarks;
            double squares = 0.0;
            for (int i = 0; i < 3 * kLandmarks; ++i) {
                squares += (row[i] - centre[i % 3]) * (row[i] - centre[i % 3]);
                std::snprintf(number, sizeof number, "%f ", row[i]);
                out += number;
            }
            std::snprintf(number, sizeof number, "%f\n", std::sqrt(squares));
            out += number;
        }
        return out;
    }();
    return text;
}

void BM_ParseTps(benchmark::State& state)
{
    const std::string& text = tpsText();
    for (auto _ : state) {
        auto result = vezedo::io::parseTps(text, "bench.tps");
        benchmark::DoNotOptimize(result.table.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_ParseTps)->Unit(benchmark::kMillisecond);

void BM_ParseNumericTable(benchmark::State& state)
{
    const std::string& text = tableText();
    for (auto _ : state) {
        auto table = vezedo::io::parseNumericTable(text, "bench.txt");
        benchmark::DoNotOptimize(table.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_ParseNumericTable)->Unit(benchmark::kMillisecond);

}  // namespace
