// The quality check of a superimposed data set: distances to the mean, outliers, and the
// swap search for every flagged specimen. Targets: 10,000 specimens x 100 landmarks under
// 300 ms; 2,000 specimens x 500 landmarks with 20 planted swaps under 1 s. The 30-landmark
// case is the most candidates per flagged specimen (every one of the 435 pairs).
// The specimen check (its own fit to convergence, mirror test and the exchange search for
// every specimen) from the raw specimens: 10,000 x 100 and 2,000 x 500 each under 1 s.
#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <random>

#include "platform/services.h"
#include "shape/quality.h"
#include "shape/shape.h"
#include "shape/shapecheck.h"

namespace {

using vezedo::platform::LandmarkSet;

// Noisy copies of one random shape, each rotated, scaled and moved at random; every
// `swapEvery`-th specimen has two landmarks exchanged.
LandmarkSet makeSpecimens(std::size_t specimens, std::size_t landmarks, std::size_t swapEvery)
{
    std::mt19937_64 rng(20240611);
    std::uniform_real_distribution<double> coord(-50.0, 50.0);
    std::normal_distribution<double> noise(0.0, 1.0);
    std::uniform_real_distribution<double> unit(0.0, 1.0);

    std::vector<std::array<double, 3>> base(landmarks);
    for (auto& point : base)
        point = {coord(rng), coord(rng), coord(rng)};

    LandmarkSet set(landmarks, specimens);
    for (std::size_t j = 0; j < specimens; ++j) {
        double w = noise(rng), x = noise(rng), y = noise(rng), z = noise(rng);
        const double n = std::sqrt(w * w + x * x + y * y + z * z);
        w /= n, x /= n, y /= n, z /= n;
        const double r[3][3] = {{1 - 2 * (y * y + z * z), 2 * (x * y - z * w), 2 * (x * z + y * w)},
                                {2 * (x * y + z * w), 1 - 2 * (x * x + z * z), 2 * (y * z - x * w)},
                                {2 * (x * z - y * w), 2 * (y * z + x * w), 1 - 2 * (x * x + y * y)}};
        const double scale = 0.5 + unit(rng);
        const std::array<double, 3> shift{coord(rng), coord(rng), coord(rng)};
        const bool planted = swapEvery != 0 && j % swapEvery == swapEvery / 2;
        const std::size_t a = j % landmarks;
        const std::size_t b = (a + 1 + (j * 7) % (landmarks - 1)) % landmarks;  // never a
        for (std::size_t i = 0; i < landmarks; ++i) {
            const std::size_t from = !planted ? i : i == a ? b : i == b ? a : i;
            const std::array<double, 3> p{base[from][0] + noise(rng), base[from][1] + noise(rng),
                                          base[from][2] + noise(rng)};
            for (std::size_t c = 0; c < 3; ++c)
                set(i, c, j) = scale * (r[c][0] * p[0] + r[c][1] * p[1] + r[c][2] * p[2]) + shift[c];
        }
    }
    return set;
}

void check(benchmark::State& state)
{
    const auto specimens = static_cast<std::size_t>(state.range(0));
    const auto landmarks = static_cast<std::size_t>(state.range(1));
    const auto planted = static_cast<std::size_t>(state.range(2));
    vezedo::platform::CapturingConsole console;
    const auto fit = vezedo::shape::getpproc3(makeSpecimens(specimens, landmarks, specimens / planted), console);
    std::size_t flagged = 0, suggested = 0;
    for (auto _ : state) {
        const auto result = vezedo::shape::checkQuality(fit.fitted, fit.mean);
        benchmark::DoNotOptimize(result.data());
        flagged = suggested = 0;
        for (const auto& q : result) {
            flagged += q.outlier ? 1u : 0u;
            suggested += q.suggestedSwap() ? 1u : 0u;
        }
    }
    state.counters["specimens"] = static_cast<double>(specimens);
    state.counters["landmarks"] = static_cast<double>(landmarks);
    state.counters["planted"] = static_cast<double>(planted);
    state.counters["flagged"] = static_cast<double>(flagged);
    state.counters["suggested"] = static_cast<double>(suggested);
}

}  // namespace

BENCHMARK(check)
    ->Name("checkQuality")
    ->Args({10000, 100, 50})
    ->Args({2000, 500, 20})
    ->Args({10000, 30, 50})
    ->Unit(benchmark::kMillisecond);

namespace {

void specimenCheck(benchmark::State& state)
{
    const auto specimens = static_cast<std::size_t>(state.range(0));
    const auto landmarks = static_cast<std::size_t>(state.range(1));
    const auto planted = static_cast<std::size_t>(state.range(2));
    const LandmarkSet data = makeSpecimens(specimens, landmarks, specimens / planted);
    std::size_t suggested = 0, mirrored = 0;
    int passes = 0;
    for (auto _ : state) {
        const auto result = vezedo::shape::checkSpecimens(data);
        benchmark::DoNotOptimize(result.specimens.data());
        suggested = mirrored = 0;
        for (const auto& f : result.specimens) {
            suggested += f.suggested ? 1u : 0u;
            mirrored += f.mirrored ? 1u : 0u;
        }
        passes = result.fit.passes;
    }
    state.counters["planted"] = static_cast<double>(planted);
    state.counters["suggested"] = static_cast<double>(suggested);
    state.counters["mirrored"] = static_cast<double>(mirrored);
    state.counters["passes"] = passes;
}

}  // namespace

BENCHMARK(specimenCheck)
    ->Name("checkSpecimens")
    ->Args({10000, 100, 50})
    ->Args({2000, 500, 20})
    ->Unit(benchmark::kMillisecond);
