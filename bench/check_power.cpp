// How often the specimen check finds what was planted: simulated data sets of three kinds
// (uniform, highly variable, two structures mixed) with exchanged landmark pairs (random pairs
// and the two closest landmarks) and mirrored specimens. Prints recall and the false alarms per
// 100 clean specimens. Tune the rules on some seeds, report on others:
//   vezedo6-check-power FIRST_SEED LAST_SEED [gainFactor smallestShare modes modeContrast mirrorRatio]
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "shape/shapecheck.h"

namespace {

using vezedo::platform::LandmarkSet;
using Point = std::array<double, 3>;
using Config = std::vector<Point>;

enum class Kind { Uniform, Variable, TwoGroups, TwoNoGroups };
enum class Plant { None, RandomPair, ClosestPair, Mirror };

struct Sample {
    LandmarkSet data;
    std::vector<std::size_t> groups;
    std::vector<Plant> plant;
    std::vector<std::pair<std::size_t, std::size_t>> pair;  // 1-based, first < second
};

Config randomConfig(std::mt19937_64& rng, std::size_t p, double spread)
{
    std::normal_distribution<double> n(0.0, spread);
    Config c(p);
    for (auto& q : c)
        q = {n(rng), n(rng), 0.6 * n(rng)};
    return c;
}

// A random proper rotation from a unit quaternion.
std::array<std::array<double, 3>, 3> randomRotation(std::mt19937_64& rng)
{
    std::normal_distribution<double> n(0.0, 1.0);
    double w = n(rng), x = n(rng), y = n(rng), z = n(rng);
    const double l = std::sqrt(w * w + x * x + y * y + z * z);
    w /= l, x /= l, y /= l, z /= l;
    return {{{1 - 2 * (y * y + z * z), 2 * (x * y - z * w), 2 * (x * z + y * w)},
             {2 * (x * y + z * w), 1 - 2 * (x * x + z * z), 2 * (y * z - x * w)},
             {2 * (x * z - y * w), 2 * (y * z + x * w), 1 - 2 * (x * x + y * y)}}};
}

Sample simulate(Kind kind, std::size_t k, std::size_t p, std::mt19937_64& rng)
{
    std::normal_distribution<double> unit(0.0, 1.0);
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    const double noise = 0.02;
    const Config base = randomConfig(rng, p, 1.0);
    Config second = base;  // the other structure: a large deformation of the first
    {
        const Config d = randomConfig(rng, p, 0.35);
        for (std::size_t i = 0; i < p; ++i)
            for (int c = 0; c < 3; ++c)
                second[i][static_cast<std::size_t>(c)] += d[i][static_cast<std::size_t>(c)];
    }
    std::vector<Config> modes;  // large natural variation: a few random deformation modes
    if (kind == Kind::Variable)
        for (int m = 0; m < 4; ++m)
            modes.push_back(randomConfig(rng, p, 0.12 / (1.0 + 0.3 * m)));
    if (kind != Kind::Variable)
        modes.push_back(randomConfig(rng, p, 0.03));  // some allometry-like variation everywhere

    Sample s{
        LandmarkSet(p, k), {}, std::vector<Plant>(k, Plant::None), std::vector<std::pair<std::size_t, std::size_t>>(k)};
    for (std::size_t j = 0; j < k; ++j) {
        const bool other = (kind == Kind::TwoGroups || kind == Kind::TwoNoGroups) && j % 2 == 1;
        s.groups.push_back(other ? 1 : 0);
        Config shape = other ? second : base;
        for (const Config& mode : modes) {
            const double z = unit(rng);
            for (std::size_t i = 0; i < p; ++i)
                for (std::size_t c = 0; c < 3; ++c)
                    shape[i][c] += z * mode[i][c];
        }
        for (auto& q : shape)
            for (double& v : q)
                v += noise * unit(rng);
        // Plant: about 3 % exchanges (random and closest pairs alternating), 2 % mirrored.
        const double u = uniform(rng);
        if (u < 0.015) {
            s.plant[j] = Plant::RandomPair;
            std::size_t a = static_cast<std::size_t>(uniform(rng) * static_cast<double>(p)) % p;
            std::size_t b = (a + 1 + static_cast<std::size_t>(uniform(rng) * static_cast<double>(p - 1))) % p;
            s.pair[j] = {std::min(a, b) + 1, std::max(a, b) + 1};
        } else if (u < 0.03) {
            s.plant[j] = Plant::ClosestPair;
            const Config& mean = other ? second : base;
            double closest = 1e300;
            for (std::size_t a = 0; a < p; ++a)
                for (std::size_t b = a + 1; b < p; ++b) {
                    double d = 0;
                    for (std::size_t c = 0; c < 3; ++c)
                        d += (mean[a][c] - mean[b][c]) * (mean[a][c] - mean[b][c]);
                    if (d < closest)
                        closest = d, s.pair[j] = {a + 1, b + 1};
                }
        } else if (u < 0.05) {
            s.plant[j] = Plant::Mirror;
            for (auto& q : shape)
                q[0] = -q[0];
        }
        if (s.plant[j] == Plant::RandomPair || s.plant[j] == Plant::ClosestPair)
            std::swap(shape[s.pair[j].first - 1], shape[s.pair[j].second - 1]);
        const auto r = randomRotation(rng);
        const double scale = 10.0 * (0.5 + uniform(rng));
        for (std::size_t i = 0; i < p; ++i)
            for (std::size_t c = 0; c < 3; ++c)
                s.data(i, c, j) =
                    scale * (r[c][0] * shape[i][0] + r[c][1] * shape[i][1] + r[c][2] * shape[i][2]) + 5.0 * (double)c;
    }
    if (kind != Kind::TwoGroups)
        s.groups.clear();
    return s;
}

struct Tally {
    std::size_t randomPlanted = 0, randomFound = 0, closestPlanted = 0, closestFound = 0;
    std::size_t mirrorPlanted = 0, mirrorFound = 0, wrongPair = 0;
    std::size_t clean = 0, falseSwaps = 0, falseMirrors = 0;
};

double percent(std::size_t a, std::size_t b)
{
    return b == 0 ? 0.0 : 100.0 * static_cast<double>(a) / static_cast<double>(b);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr,
                     "usage: %s FIRST_SEED LAST_SEED [gainFactor smallestShare modes modeContrast mirrorRatio]\n",
                     argv[0]);
        return 2;
    }
    const unsigned long first = std::stoul(argv[1]), last = std::stoul(argv[2]);
    vezedo::shape::CheckOptions options;
    if (argc > 3)
        options.gainFactor = std::stod(argv[3]);
    if (argc > 4)
        options.smallestShare = std::stod(argv[4]);
    if (argc > 5)
        options.modes = std::stoul(argv[5]);
    if (argc > 6)
        options.modeContrast = std::stod(argv[6]);
    if (argc > 7)
        options.mirrorRatio = std::stod(argv[7]);
    const char* names[] = {"uniform", "highly variable", "two structures, groups", "two structures, no groups"};
    std::printf("seeds %lu-%lu, gainFactor %g, smallestShare %g, modes %zu\n", first, last, options.gainFactor,
                options.smallestShare, options.modes);
    std::printf("%-27s %8s %8s %8s %8s %9s %9s\n", "sample", "random%", "closest%", "mirror%", "wrong", "swapFA/100",
                "mirrFA/100");
    for (int kind = 0; kind < 4; ++kind) {
        Tally t;
        for (unsigned long seed = first; seed <= last; ++seed) {
            for (const std::size_t p : {10u, 15u, 30u}) {
                std::mt19937_64 rng(seed * 1000 + p);
                const Sample s = simulate(static_cast<Kind>(kind), 300, p, rng);
                const auto result = vezedo::shape::checkSpecimens(s.data, s.groups, options);
                for (std::size_t j = 0; j < s.plant.size(); ++j) {
                    const auto& f = result.specimens[j];
                    const bool exact =
                        f.suggested && f.pair.first == s.pair[j].first && f.pair.second == s.pair[j].second;
                    switch (s.plant[j]) {
                    case Plant::None:
                        ++t.clean;
                        t.falseSwaps += f.suggested ? 1 : 0;
                        t.falseMirrors += f.mirrored ? 1 : 0;
                        break;
                    case Plant::RandomPair:
                        ++t.randomPlanted;
                        t.randomFound += exact ? 1 : 0;
                        t.wrongPair += f.suggested && !exact ? 1 : 0;
                        break;
                    case Plant::ClosestPair:
                        ++t.closestPlanted;
                        t.closestFound += exact ? 1 : 0;
                        t.wrongPair += f.suggested && !exact ? 1 : 0;
                        break;
                    case Plant::Mirror:
                        ++t.mirrorPlanted;
                        t.mirrorFound += f.mirrored ? 1 : 0;
                        break;
                    }
                }
            }
        }
        std::printf("%-27s %7.1f%% %7.1f%% %7.1f%% %8zu %9.2f %9.2f   (n %zu/%zu/%zu, clean %zu)\n", names[kind],
                    percent(t.randomFound, t.randomPlanted), percent(t.closestFound, t.closestPlanted),
                    percent(t.mirrorFound, t.mirrorPlanted), t.wrongPair, percent(t.falseSwaps, t.clean),
                    percent(t.falseMirrors, t.clean), t.randomPlanted, t.closestPlanted, t.mirrorPlanted, t.clean);
    }
    return 0;
}
