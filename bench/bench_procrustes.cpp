// Generalised Procrustes fitting of large landmark data sets. Targets: 10,000 specimens x
// 100 landmarks and 1,000 specimens x 1,000 landmarks each under 150 ms.
#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <random>

#include "platform/services.h"
#include "shape/shape.h"

namespace {

using vezedo::platform::LandmarkSet;

// Noisy copies of one random shape, each rotated, scaled and moved at random, as real
// specimens of one species would be before superimposition.
LandmarkSet makeSpecimens(std::size_t specimens, std::size_t landmarks)
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
        // A uniformly random rotation from a random unit quaternion.
        double w = noise(rng), x = noise(rng), y = noise(rng), z = noise(rng);
        const double n = std::sqrt(w * w + x * x + y * y + z * z);
        w /= n, x /= n, y /= n, z /= n;
        const double r[3][3] = {{1 - 2 * (y * y + z * z), 2 * (x * y - z * w), 2 * (x * z + y * w)},
                                {2 * (x * y + z * w), 1 - 2 * (x * x + z * z), 2 * (y * z - x * w)},
                                {2 * (x * z - y * w), 2 * (y * z + x * w), 1 - 2 * (x * x + y * y)}};
        const double scale = 0.5 + unit(rng);
        const std::array<double, 3> shift{coord(rng), coord(rng), coord(rng)};
        for (std::size_t i = 0; i < landmarks; ++i) {
            const std::array<double, 3> p{base[i][0] + noise(rng), base[i][1] + noise(rng), base[i][2] + noise(rng)};
            for (std::size_t c = 0; c < 3; ++c)
                set(i, c, j) = scale * (r[c][0] * p[0] + r[c][1] * p[1] + r[c][2] * p[2]) + shift[c];
        }
    }
    return set;
}

void fit(benchmark::State& state)
{
    const auto specimens = static_cast<std::size_t>(state.range(0));
    const auto landmarks = static_cast<std::size_t>(state.range(1));
    const LandmarkSet data = makeSpecimens(specimens, landmarks);
    vezedo::platform::CapturingConsole console;
    for (auto _ : state) {
        auto result = vezedo::shape::getpproc3(data, console);
        benchmark::DoNotOptimize(result.mean.data());
    }
    if (!console.text().empty())
        state.SkipWithError("the rotation check reported a problem");
    state.counters["specimens"] = static_cast<double>(specimens);
    state.counters["landmarks"] = static_cast<double>(landmarks);
}

}  // namespace

BENCHMARK(fit)->Name("getpproc3")->Args({10000, 100})->Args({1000, 1000})->Unit(benchmark::kMillisecond);
