// Actions end to end, headless, on big data: "LoadFile1" of 10,000 specimens x 100
// landmarks, "SaveLengths" of 10,000 specimens x 200 lines, "ShowProto" of 2,000 lines,
// "LoadProto" of 1,000,000 lines, and a session script doing the first three.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <malloc.h>
#include <memory>
#include <random>
#include <sstream>
#include <unistd.h>
#include <utility>

#include "script/runner.h"
#include "shell/program.h"

using namespace vezedo;
namespace fs = std::filesystem;

namespace {

const fs::path kFolder = fs::temp_directory_path() / "vezedo6-bench-controller";

// `missingShare` of the landmarks (never in the first specimen) are written as NA.
std::string makeTps(std::size_t k, std::size_t p, double missingShare = 0)
{
    std::mt19937 rng(3);
    std::normal_distribution<double> noise(0, 0.5);
    std::vector<double> base(3 * p);
    for (double& v : base)
        v = std::uniform_real_distribution<double>(-50, 50)(rng);
    std::string out;
    out.reserve(k * p * 30);
    char buf[96];
    for (std::size_t j = 0; j < k; ++j) {
        out += "LM=" + std::to_string(p) + "\n";
        for (std::size_t i = 0; i < p; ++i) {
            std::snprintf(buf, sizeof buf, "%.4f %.4f %.4f\n", base[3 * i] + noise(rng), base[3 * i + 1] + noise(rng),
                          base[3 * i + 2] + noise(rng));
            const bool missing = j > 0 && std::uniform_real_distribution<double>(0, 1)(rng) < missingShare;
            out += missing ? "NA NA NA\n" : buf;
        }
        out += "ID=s" + std::to_string(j + 1) + "\n";
    }
    return out;
}

std::string makeProtocol(std::size_t lines, std::size_t p)
{
    std::string out;
    for (std::size_t i = 0; i < lines; ++i)
        out +=
            std::to_string(i + 1) + " " + std::to_string(i % p + 1) + " " + std::to_string((i * 7 + 3) % p + 1) + " \n";
    return out;
}

// Lines joining distinct pairs of landmarks (1-2, 1-3, ..., 2-3, ...): no line is repeated.
std::string makeDistinctProtocol(std::size_t lines, std::size_t p)
{
    std::string out;
    out.reserve(lines * 20);
    std::size_t n = 0;
    for (std::size_t a = 1; a <= p && n < lines; ++a)
        for (std::size_t b = a + 1; b <= p && n < lines; ++b) {
            ++n;
            out += std::to_string(n);
            out += ' ';
            out += std::to_string(a);
            out += ' ';
            out += std::to_string(b);
            out += " \n";
        }
    return out;
}

void write(const std::string& name, const std::string& content)
{
    fs::create_directories(kFolder);
    std::ofstream(kFolder / name, std::ios::binary) << content;
}

struct Headless {
    platform::ScriptedDialogs dialogs;
    platform::RecordingMessages messages;
    platform::CapturingConsole console;
    platform::Runtime rt{dialogs, messages, console};
    shell::Program program{rt};
    Headless() { program.start(); }
    void open(const std::string& name) { dialogs.queuePath((kFolder / name).string()); }
};

void setUp()
{
    static bool done = false;
    if (done)
        return;
    write("big.tps", makeTps(10000, 100));
    write("gaps.tps", makeTps(10000, 100, 0.01));
    write("proto200.txt", makeProtocol(200, 100));
    write("proto2000.txt", makeProtocol(2000, 100));
    write("replay.vzs", "answer open big.tps\npress LoadFile1\nanswer open proto200.txt\npress LoadProto\n"
                        "value ShowLineButton 0\nanswer save replay_lengths.txt\npress SaveLengths\n");
    done = true;
}

void BM_LoadFile1(benchmark::State& state)
{
    setUp();
    for (auto _ : state) {
        state.PauseTiming();
        Headless h;
        h.open("big.tps");
        state.ResumeTiming();
        h.program.runAction("LoadFile1");
        benchmark::DoNotOptimize(h.program.controller().session().specimens.mean.data());
    }
}
BENCHMARK(BM_LoadFile1)->Unit(benchmark::kMillisecond)->Iterations(3);

// 1% of the landmarks missing: about 6,300 of the 10,000 specimens need a spline.
void BM_LoadFile1Missing(benchmark::State& state)
{
    setUp();
    for (auto _ : state) {
        state.PauseTiming();
        Headless h;
        h.open("gaps.tps");
        state.ResumeTiming();
        h.program.runAction("LoadFile1");
        if (!h.messages.shown().empty())
            state.SkipWithError(h.messages.shown().front().text.c_str());
        benchmark::DoNotOptimize(h.program.controller().session().specimens.mean.data());
    }
}
BENCHMARK(BM_LoadFile1Missing)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_SaveLengths(benchmark::State& state)
{
    setUp();
    Headless h;
    h.open("big.tps");
    h.program.runAction("LoadFile1");
    h.rt.graphics.set(h.rt.graphics.findByTag("ShowLineButton").at(0), "Value", platform::Value(0.0));
    write("proto200.txt", makeProtocol(200, 100));
    h.open("proto200.txt");
    h.program.runAction("LoadProto");
    const char* action = state.range(0) ? "SaveLengthsCSV" : "SaveLengths";
    for (auto _ : state) {
        h.dialogs.queuePath((kFolder / "lengths.txt").string());
        h.program.runAction(action);
    }
    if (!h.messages.shown().empty())
        state.SkipWithError(h.messages.shown().front().text.c_str());
    state.SetLabel(action);
}
BENCHMARK(BM_SaveLengths)->Unit(benchmark::kMillisecond)->Arg(0)->Arg(1);

void BM_ShowProto2000(benchmark::State& state)
{
    setUp();
    Headless h;
    h.open("big.tps");
    h.program.runAction("LoadFile1");
    h.open("proto2000.txt");
    h.program.runAction("LoadProto");
    for (auto _ : state)
        h.program.runAction("ShowProto");
    if (!h.messages.shown().empty())
        state.SkipWithError(h.messages.shown().front().text.c_str());
}
BENCHMARK(BM_ShowProto2000)->Unit(benchmark::kMillisecond);

// The peak resident memory in MB since the last resetPeakMemory (VmHWM).
double peakResidentMb()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stod(line.substr(6)) / 1024.0;
    return 0.0;
}

void resetPeakMemory()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

// "Load TPS file..." of 100,000 specimens x 100 landmarks (about 314 MB) as a whole: read,
// IDs, report, fit, draw. Peak memory against the 240 MB of the coordinates as doubles; the
// target is at most 2x.
void BM_LoadFile1Huge(benchmark::State& state)
{
    static bool written = false;
    if (!written) {
        write("huge.tps", makeTps(100000, 100));
        written = true;
    }
    const double coordinatesMb = 100000.0 * 100 * 3 * sizeof(double) / (1024.0 * 1024.0);
    double peak = 0;
    double before = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto h = std::make_unique<Headless>();
        h->open("huge.tps");
        // What the benchmarks before this one freed goes back to the system, so that the
        // process starts from what the program itself holds.
        malloc_trim(0);
        resetPeakMemory();
        before = std::max(before, peakResidentMb());
        state.ResumeTiming();
        h->program.runAction("LoadFile1");
        state.PauseTiming();
        if (!h->messages.shown().empty())
            state.SkipWithError(h->messages.shown().front().text.c_str());
        peak = std::max(peak, peakResidentMb());
        h.reset();
        state.ResumeTiming();
    }
    state.counters["peak_rss_MB"] = peak;
    state.counters["rss_before_MB"] = before;
    state.counters["coordinates_MB"] = coordinatesMb;
    state.counters["peak_over_coordinates"] = peak / coordinatesMb;
}
BENCHMARK(BM_LoadFile1Huge)->Unit(benchmark::kMillisecond)->Iterations(2);

// Resident memory in MB, as the kernel counts it.
double residentMb()
{
    std::ifstream statm("/proc/self/statm");
    double pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// Memory follows the live objects: 100,000 specimens x 64 landmarks and a 2,000-line protocol,
// then edits that each redraw the plot (a deletion and its undo, in turn). Resident memory
// after the edits against after the loads: the target is within 10 %.
void BM_MemoryAfterEdits(benchmark::State& state)
{
    const auto edits = static_cast<std::size_t>(state.range(0));
    write("big64.tps", makeTps(100000, 64));
    write("proto2000_64.txt", makeProtocol(2000, 64));
    for (auto _ : state) {
        Headless h;
        h.open("big64.tps");
        h.program.runAction("LoadFile1");
        h.open("proto2000_64.txt");
        h.program.runAction("LoadProto");
        const double loaded = residentMb();
        for (std::size_t i = 0; i < edits; ++i) {
            if (i % 2 == 0) {
                h.rt.graphics.set(h.rt.graphics.findByTag("ActivePointBox").at(0), "String", platform::Value("7"));
                h.program.runAction("DeleteLine");
            } else {
                h.program.runAction("Undo");
            }
        }
        const double after = residentMb();
        if (!h.messages.shown().empty())
            state.SkipWithError(h.messages.shown().front().text.c_str());
        state.counters["rss_loaded_MB"] = loaded;
        state.counters["rss_after_edits_MB"] = after;
        state.counters["after_over_loaded"] = after / loaded;
        state.counters["graphics_capacity"] = static_cast<double>(h.rt.graphics.capacity());
    }
}
BENCHMARK(BM_MemoryAfterEdits)->Unit(benchmark::kSecond)->Arg(20000)->Iterations(1);

// Peak resident memory in MB since the last resetPeak(), as the kernel counts it (VmHWM).
double peakMb()
{
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "VmHWM:") {
            double kb = 0;
            status >> kb;
            return kb / 1024.0;
        }
        status.ignore(1 << 20, '\n');
    }
    return 0;
}

// Makes the peak start again from what is resident now (Linux: "5" to clear_refs).
void resetPeak()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

// "LoadProto" of a 1,000,000-line protocol (17 MB) on 20 specimens of 1,500 landmarks, as a whole
// action: read, check against the shape, store, undo step, wireframe and drawing. With the
// protocol lines shown (argument 1) and without (0). Peak memory is the growth during the action.
void BM_LoadProtocolMillion(benchmark::State& state)
{
    static const bool written = [] {
        write("wide1500.tps", makeTps(20, 1500));
        write("proto1m.txt", makeDistinctProtocol(1000000, 1500));
        return true;
    }();
    benchmark::DoNotOptimize(written);
    double before = 0, peak = 0;
    for (auto _ : state) {
        state.PauseTiming();
        {
            Headless h;
            h.open("wide1500.tps");
            h.program.runAction("LoadFile1");
            h.rt.graphics.set(h.rt.graphics.findByTag("ShowLineButton").at(0), "Value",
                              platform::Value(static_cast<double>(state.range(0))));
            h.open("proto1m.txt");
            resetPeak();
            before = residentMb();
            state.ResumeTiming();
            h.program.runAction("LoadProto");
            state.PauseTiming();
            peak = peakMb();
            if (!h.messages.shown().empty())
                state.SkipWithError(h.messages.shown().front().text.c_str());
            if (h.program.controller().session().protocol.size() != 1000000)
                state.SkipWithError("the protocol was not loaded");
        }
        state.ResumeTiming();
    }
    state.counters["rss_before_MB"] = before;
    state.counters["peak_growth_MB"] = peak - before;
    state.SetLabel(state.range(0) ? "protocol lines shown" : "protocol lines hidden");
}
BENCHMARK(BM_LoadProtocolMillion)->Unit(benchmark::kMillisecond)->Arg(0)->Arg(1)->Iterations(1);

void BM_ReplayScript(benchmark::State& state)
{
    setUp();
    for (auto _ : state) {
        std::ostringstream out;
        script::ScriptRunner runner(out);
        if (!runner.runFile(kFolder / "replay.vzs"))
            state.SkipWithError("the replay failed");
    }
}
BENCHMARK(BM_ReplayScript)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

// The same base shape as makeTps (same first draws) with other noise: the specimens digitised
// again, for "LoadReplicate".
std::string makeReplicateTps(std::size_t k, std::size_t p)
{
    std::mt19937 baseRng(3);
    std::vector<double> base(3 * p);
    for (double& v : base)
        v = std::uniform_real_distribution<double>(-50, 50)(baseRng);
    std::mt19937 rng(11);
    std::normal_distribution<double> noise(0, 0.5);
    std::string out;
    out.reserve(k * p * 30);
    char buf[96];
    for (std::size_t j = 0; j < k; ++j) {
        out += "LM=" + std::to_string(p) + "\n";
        for (std::size_t i = 0; i < p; ++i) {
            std::snprintf(buf, sizeof buf, "%.4f %.4f %.4f\n", base[3 * i] + noise(rng), base[3 * i + 1] + noise(rng),
                          base[3 * i + 2] + noise(rng));
            out += buf;
        }
        out += "ID=s" + std::to_string(j + 1) + "\n";
    }
    return out;
}

// The longest stretch, in ms, that an action went without telling its progress (from its begin,
// between its steps, to its end): a dialog due after 0.1 s shows at the first step after it.
class GapProgress : public platform::ProgressService {
public:
    void begin(std::string_view) override
    {
        if (m_depth++ == 0)
            m_last = Clock::now();
    }
    bool advance(double) override
    {
        note();
        return true;
    }
    void end() override
    {
        if (--m_depth == 0)
            note();
    }
    // The longest gap since the last take, 0 when nothing showed progress.
    double take() { return std::exchange(m_longest, 0.0); }

private:
    using Clock = std::chrono::steady_clock;
    void note()
    {
        const auto now = Clock::now();
        m_longest = std::max(m_longest, std::chrono::duration<double, std::milli>(now - m_last).count());
        m_last = now;
    }
    int m_depth = 0;
    Clock::time_point m_last{};
    double m_longest = 0;
};

// Every action a user can run on the 10,000 x 100 set with a 200-line protocol, one after the
// other as a user would, each timed alone: its milliseconds are the counter named after it
// (a second run of an action adds a suffix), and for one that shows progress the longest
// stretch without a step is NAME_gap. Any action past 100 ms must show its progress.
void BM_EveryActionOnTheLargeSet(benchmark::State& state)
{
    setUp();
    static const bool written = [] {
        write("again.tps", makeReplicateTps(10000, 100));
        std::string groups = "id,group\n";
        for (std::size_t j = 0; j < 10000; ++j)
            groups += "s" + std::to_string(j + 1) + (j % 3 == 0 ? ",a\n" : j % 3 == 1 ? ",b\n" : ",c\n");
        write("groups.csv", groups);
        return true;
    }();
    benchmark::DoNotOptimize(written);
    for (auto _ : state) {
        struct WithProgress {
            platform::ScriptedDialogs dialogs;
            platform::RecordingMessages messages;
            platform::CapturingConsole console;
            GapProgress progress;
            platform::Runtime rt{dialogs, messages, console, progress};
            shell::Program program{rt};
            WithProgress() { program.start(); }
            void open(const std::string& name) { dialogs.queuePath((kFolder / name).string()); }
        } h;
        std::string failure;
        const auto type = [&](const char* tag, const std::string& text) {
            h.rt.graphics.set(h.rt.graphics.findByTag(tag).at(0), "String", platform::Value(text));
        };
        const auto timed = [&](const std::string& counter, const char* action, const char* file = nullptr) {
            if (file)
                h.open(file);
            const std::size_t shown = h.messages.shown().size();
            const auto start = std::chrono::steady_clock::now();
            h.program.runAction(action);
            const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
            state.counters[counter] = took.count();
            if (const double gap = h.progress.take(); gap > 0)
                state.counters[counter + "_gap"] = gap;
            if (h.messages.shown().size() != shown && failure.empty())
                failure = counter + ": " + h.messages.shown().back().text;
        };
        timed("LoadFile1", "LoadFile1", "big.tps");
        timed("LoadProto", "LoadProto", "proto200.txt");
        timed("ShowProto", "ShowProto");
        timed("CheckSpecimens", "CheckSpecimens");
        timed("SaveSpecimenCheck", "SaveSpecimenCheck", "check.csv");
        type("SpecimenBox", "7");
        timed("ShowSpecimen", "ShowSpecimen");
        timed("SaveLineSummary", "SaveLineSummary", "summary.csv");
        timed("SaveLengths", "SaveLengths", "lengths.txt");
        timed("SaveLengthsCSV", "SaveLengthsCSV", "lengths.csv");
        timed("SaveLandmarks", "SaveLandmarks", "landmarks.tps");
        timed("SaveProtocol", "SaveProtocol", "saved_protocol.txt");
        timed("SaveProtocolCSV", "SaveProtocolCSV", "saved_protocol.csv");
        timed("SaveProtocolMarkups", "SaveProtocolMarkups", "saved.mrk.json");
        type("ActivePointBox", "7");
        timed("ShowLine", "ShowLine");
        timed("ShowLine2", "ShowLine2");
        timed("ShowMLine", "ShowMLine");
        type("LineNameBox", "jaw");
        timed("RenameLine", "RenameLine");
        timed("DeleteLine", "DeleteLine");
        timed("Undo_line", "Undo");
        timed("Redo_line", "Redo");
        type("EndBox1", "3");
        type("EndBox2", "40");
        timed("AddLine", "AddLine");
        type("MaxBlockBox", "4");
        timed("SetBlocks", "SetBlocks");
        type("CurrentBlockBox", "1");
        type("BlockBox", "1 2 3 4 5");
        timed("BlockEnter", "BlockEnter");
        timed("BlockUp", "BlockUp");
        timed("BlockDown", "BlockDown");
        type("TargetLineBox", "9");
        timed("AddLinetoBlock", "AddLinetoBlock");
        type("MaxBlockBox", "2");
        timed("AddBlocks", "AddBlocks");
        timed("ShowAllBlock", "ShowAllBlock");
        timed("ShowBlockStructure", "ShowBlockStructure");
        timed("ReplotM", "ReplotM");
        timed("SaveMatrix", "SaveMatrix", "blocks.txt");
        timed("LoadBlock", "LoadBlock", "blocks.txt");
        timed("LoadGroups", "LoadGroups", "groups.csv");
        type("SpecimenBox", "7");
        type("EndBox1", "1");
        type("EndBox2", "2");
        timed("ExchangeLandmarks", "ExchangeLandmarks");
        type("SpecimenBox", "8");
        timed("MirrorSpecimen", "MirrorSpecimen");
        type("SpecimenBox", "9");
        timed("ExcludeSpecimen", "ExcludeSpecimen");
        timed("IncludeSpecimen", "IncludeSpecimen");
        timed("Undo_correction", "Undo");
        timed("Redo_correction", "Redo");
        timed("SaveCorrections", "SaveCorrections", "corrections.csv");
        timed("LoadReplicate", "LoadReplicate", "again.tps");
        timed("SaveMeasurementError", "SaveMeasurementError", "error.csv");
        timed("SaveProject", "SaveProject", "work.vz6");
        timed("OpenProject", "OpenProject", "work.vz6");
        timed("LoadWire", "LoadWire", "proto200.txt");
        timed("NewProto", "NewProto");
        timed("ClearTarget", "ClearTarget");
        timed("LoadFile1_missing", "LoadFile1", "gaps.tps");
        if (!failure.empty())
            state.SkipWithError(failure.c_str());
    }
}
BENCHMARK(BM_EveryActionOnTheLargeSet)->Unit(benchmark::kSecond)->Iterations(1);
