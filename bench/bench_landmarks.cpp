// "LoadLandmarks" of a folder of 1,000 Slicer markups files of 50 named landmarks each, end
// to end: read, match by name, fit, commit. Target: under 1 s.
#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>

#include <nlohmann/json.hpp>

#include "shell/program.h"

using namespace vezedo;
namespace fs = std::filesystem;

namespace {

const fs::path kFolder = fs::temp_directory_path() / "vezedo6-bench-landmarks";
constexpr std::size_t kFiles = 1000, kLandmarks = 50;

std::string fileName(std::size_t j)
{
    return "s" + std::to_string(j + 1) + ".mrk.json";
}

void setUp()
{
    static bool done = false;
    if (done)
        return;
    fs::create_directories(kFolder);
    std::mt19937 rng(5);
    std::normal_distribution<double> noise(0, 0.5);
    std::vector<double> base(3 * kLandmarks);
    for (double& v : base)
        v = std::uniform_real_distribution<double>(-50, 50)(rng);
    for (std::size_t j = 0; j < kFiles; ++j) {
        nlohmann::json points = nlohmann::json::array();
        for (std::size_t i = 0; i < kLandmarks; ++i)
            points.push_back(
                {{"id", std::to_string(i + 1)},
                 {"label", "LM-" + std::to_string(i + 1)},
                 {"position", {base[3 * i] + noise(rng), base[3 * i + 1] + noise(rng), base[3 * i + 2] + noise(rng)}},
                 {"orientation", {-1.0, -0.0, -0.0, -0.0, -1.0, -0.0, 0.0, 0.0, 1.0}},
                 {"selected", true},
                 {"locked", false},
                 {"visibility", true},
                 {"positionStatus", "defined"}});
        const nlohmann::json root = {
            {"markups", {{{"type", "Fiducial"}, {"coordinateSystem", "LPS"}, {"controlPoints", points}}}}};
        std::ofstream(kFolder / fileName(j), std::ios::binary) << root.dump(4);
    }
    done = true;
}

void BM_LoadLandmarksOfAThousandFiles(benchmark::State& state)
{
    setUp();
    for (auto _ : state) {
        state.PauseTiming();
        platform::ScriptedDialogs dialogs;
        platform::RecordingMessages messages;
        platform::CapturingConsole console;
        platform::Runtime rt{dialogs, messages, console};
        shell::Program program{rt};
        program.start();
        for (std::size_t j = 0; j < kFiles; ++j)
            dialogs.queuePath((kFolder / fileName(j)).string());
        state.ResumeTiming();
        program.runAction("LoadLandmarks");
        if (program.controller().session().specimens.count() != kFiles)
            state.SkipWithError("the files did not load");
    }
}
BENCHMARK(BM_LoadLandmarksOfAThousandFiles)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
