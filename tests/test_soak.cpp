// Random sessions: thousands of steps over every action with random box texts and random
// dialog answers, each session from a fixed seed. After every step the line counter shows the
// protocol's line count and every block the step stored or loaded lists lines of the protocol.
// A crash, a sanitizer report, an exception that is no vezedo::Error or a step still running
// after 30 s fails the run, naming the seed, the step and the steps before it.
//
// Longer runs by hand: VEZEDO_SOAK_SEED=<seed> VEZEDO_SOAK_STEPS=<steps> core_tests
// --gtest_filter='RandomSession.SeedFromEnvironment'.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <typeinfo>
#include <vector>

#include "controller/actions.h"
#include "controller/controller.h"
#include "io/files.h"
#include "io/numeric.h"
#include "platform/error.h"
#include "scenario.h"
#include "session/protocolfile.h"

namespace fs = std::filesystem;
using namespace vezedo;
using platform::Value;
using vezedo::test::Scenario;

namespace {

constexpr auto kStepLimit = std::chrono::seconds(30);

// How a step may change a block: store a typed list (never a 0), load a block file (which may
// keep a 0), or bring back an earlier state whole (undo and redo). Whatever the step, every
// block names only lines the protocol has.
enum class Blocks { Stored, Loaded, Restored };

Blocks blocksOf(std::string_view action)
{
    if (action == "LoadBlock")
        return Blocks::Loaded;
    return action == "Undo" || action == "Redo" ? Blocks::Restored : Blocks::Stored;
}

class Dice {
public:
    explicit Dice(unsigned seed) : m_engine(seed) {}
    std::size_t below(std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(m_engine); }
    bool chance(double p) { return std::bernoulli_distribution(p)(m_engine); }
    template <typename List> const auto& pick(const List& list) { return list[below(std::size(list))]; }

private:
    std::mt19937_64 m_engine;
};

// --- what a user might type ---

std::string numberText(Dice& d)
{
    static const std::array<const char*, 12> huge{"1e308",
                                                  "-1e308",
                                                  "1e400",
                                                  "-1e400",
                                                  "4294967297",
                                                  "18446744073709551617",
                                                  "1e15",
                                                  "10000",
                                                  "10001",
                                                  "9007199254740993",
                                                  "99999999999999999999999",
                                                  "2147483648"};
    static const std::array<const char*, 16> odd{"NaN", "nan",  "Inf", "-Inf",   "+inf",
                                                 "-0",  "0x10", "2.5", "1e-400", "+3",
                                                 " 3 ", "3.",   ".5",  "1e1",    "0.999999999999999999",
                                                 "-NaN"};
    const std::size_t r = d.below(10);
    if (r < 5)
        return std::to_string(d.below(16));  // landmarks, lines and blocks that may exist
    if (r == 5)
        return "-" + std::to_string(d.below(5));
    return r == 6 ? d.pick(huge) : d.pick(odd);
}

std::string numberList(Dice& d, std::size_t count)
{
    static const std::array<const char*, 9> separators{" ", ",", ", ", "\n", "\r\n", "\t", ";", ",,", "  "};
    std::string text;
    for (std::size_t i = 0; i < count; ++i)
        text += (i ? std::string(d.pick(separators)) : "") + numberText(d);
    return d.chance(0.2) ? "[" + text + "]" : text;
}

std::string plainList(Dice& d)
{
    std::string text = std::to_string(1 + d.below(12));
    for (std::size_t i = d.below(4); i > 0; --i)
        text += " " + std::to_string(1 + d.below(12));
    return text;
}

std::string boxText(Dice& d, int depth = 0)
{
    static const std::array<const char*, 20> words{
        "abc", "x", "exit", "quit", "1+1",       "eval('1')", "system('rm -rf /')", "delete(gcf)", "%d%s%n",   "[", "]",
        "[]",  "'", "\"",   "\\",   "close all", "{}",        "3 apples",           "1;;2",        "LoadFile1"};
    static const std::array<const char*, 7> blanks{"", " ", "  ", "\n", "\t", "\r\n", ","};
    const std::size_t r = d.below(12);
    if (r < 4)
        return numberText(d);
    if (r < 6)
        return numberList(d, 1 + d.below(6));
    if (r == 6)  // ragged rows
        return numberList(d, 2) + d.pick(std::array{";", "\n"}) + numberList(d, 1 + 2 * d.below(2));
    if (r == 7)
        return d.pick(words);
    if (r == 8)
        return d.pick(blanks);
    if (r == 9) {
        if (d.chance(0.5))
            return numberList(d, 500 + d.below(1500));
        return std::string(1000 + d.below(20000), d.chance(0.5) ? '9' : ' ');
    }
    if (r == 10) {
        std::string bytes(d.below(40), '\0');
        for (char& ch : bytes)
            ch = static_cast<char>(d.below(256));
        return bytes;
    }
    return depth < 2 ? boxText(d, depth + 1) + d.pick(blanks) + boxText(d, depth + 1) : numberText(d);
}

// For the step log: the text with its control characters escaped, cut short.
std::string shown(std::string_view text)
{
    static const std::string_view special = "\n\r\t\"\\", escapes = "nrt\"\\";
    std::string out = "\"";
    for (char ch : text.substr(0, 80)) {
        const auto u = static_cast<unsigned char>(ch);
        char hex[8];
        std::snprintf(hex, sizeof hex, "\\x%02x", u);
        if (const std::size_t at = special.find(ch); at != std::string_view::npos)
            out += {'\\', escapes[at]};
        else
            out += u < 32 || u >= 127 ? std::string(hex) : std::string(1, ch);
    }
    out += "\"";
    if (text.size() > 80)
        out += "... (" + std::to_string(text.size()) + " characters)";
    return out;
}

// --- the folders the dialogs answer with ---

// Copies of the example files and the reader fixtures, so that no step can write into the
// source tree (a chosen file's folder becomes the current folder), and a folder for saves.
struct Files {
    fs::path root, in, out;
    std::vector<fs::path> fixtures;

    explicit Files(const fs::path& tempRoot) : root(tempRoot), in(tempRoot / "in"), out(tempRoot / "out")
    {
        const fs::path data = VEZEDO_TEST_DATA_DIR;
        const auto options = fs::copy_options::recursive | fs::copy_options::copy_symlinks;
        fs::create_directories(in);
        fs::copy(data.parent_path().parent_path() / "examples", in / "examples", options);
        fs::copy(data, in / "data", options);
        fs::create_directories(out / "sub");
        for (const auto& entry : fs::recursive_directory_iterator(in))
            if (!entry.is_directory())
                fixtures.push_back(entry.path());
        std::sort(fixtures.begin(), fixtures.end());
    }

    // What the saves have written so far, in name order.
    std::vector<fs::path> saved() const
    {
        std::vector<fs::path> files;
        for (const auto& entry : fs::directory_iterator(out))
            if (entry.is_regular_file())
                files.push_back(entry.path());
        std::sort(files.begin(), files.end());
        return files;
    }

    std::string relative(const std::string& path) const
    {
        const std::string prefix = root.string();
        return path.starts_with(prefix) ? "<tmp>" + path.substr(prefix.size()) : path;
    }
};

// Every action is pressed with an answer queued, or nullopt to cancel: a save gets a path for
// writing, any other action a file to read (one that shows no dialog leaves it unused).
std::optional<std::string> answerFor(std::string_view action, Dice& d, const Files& f)
{
    if (d.chance(0.1))
        return std::nullopt;
    if (action.starts_with("Save")) {
        static const std::array<const char*, 6> names{"a.txt",     "b.txt",      "c.txt",
                                                      "proto.txt", "blocks.txt", "lengths.txt"};
        const std::size_t r = d.below(10);
        if (r == 6)
            return (f.out / "sub" / "x.txt").string();
        if (r == 7)
            return (f.out / "sub").string();  // a folder
        if (r == 8)
            return (f.out / "missing" / "x.txt").string();
        if (r == 9)
            return d.chance(0.5) ? f.out.string() + "/" : std::string(d.pick(names));  // no name; relative
        return (f.out / d.pick(names)).string();
    }
    const fs::path examples = f.in / "examples";
    std::vector<fs::path> preferred;
    if (action == "LoadFile1")
        preferred = {examples / "skulls.tps"};
    else if (action == "LoadFileIMP")
        preferred = {examples / "skulls_cs.txt"};
    else if (action == "LoadProto" || action == "LoadWire")
        preferred = {examples / "skulls_protocol.txt", examples / "skulls_wire.txt", f.out / "proto.txt"};
    else if (action == "LoadBlock")
        preferred = {examples / "skulls_blocks.txt", f.out / "blocks.txt"};
    const std::size_t r = d.below(10);
    if (r < 4 && !preferred.empty())
        return d.pick(preferred).string();
    if (r < 7)
        return d.pick(f.fixtures).string();
    if (r == 7) {
        const std::vector<fs::path> saved = f.saved();
        return saved.empty() ? d.pick(f.fixtures).string() : d.pick(saved).string();
    }
    if (r == 8)
        return d.chance(0.5) ? (f.out / "never_written.txt").string() : (f.root / "no_folder" / "x.tps").string();
    return d.chance(0.5) ? (f.out / "sub").string() : examples.string();  // a folder
}

// --- the watchdog ---

// Aborts the process, naming the seed and the step, when one step runs longer than the limit.
class Watchdog {
public:
    explicit Watchdog(unsigned seed) : m_seed(seed), m_thread([this](std::stop_token stop) { watch(stop); }) {}

    void starting(std::size_t step, std::string what)
    {
        std::lock_guard lock(m_mutex);
        m_step = step;
        m_what = std::move(what);
        m_since = std::chrono::steady_clock::now();
    }

private:
    void watch(std::stop_token stop)
    {
        std::unique_lock lock(m_mutex);
        while (!m_wake.wait_for(lock, stop, std::chrono::milliseconds(500), [&] { return stop.stop_requested(); }))
            if (std::chrono::steady_clock::now() - m_since > kStepLimit) {
                std::fprintf(stderr, "Random session, seed %u: step %zu (%s) still running after %lld s\n", m_seed,
                             m_step, m_what.c_str(), static_cast<long long>(kStepLimit.count()));
                std::fflush(stderr);
                std::abort();
            }
    }

    unsigned m_seed;
    std::mutex m_mutex;
    std::condition_variable_any m_wake;  // woken only by the stop request of the destructor
    std::size_t m_step = 0;
    std::string m_what = "start-up";
    std::chrono::steady_clock::time_point m_since = std::chrono::steady_clock::now();
    std::jthread m_thread;  // last: starts when the rest is ready, and is stopped and joined first
};

// --- one session ---

class RandomSession {
public:
    explicit RandomSession(unsigned seed) : m_seed(seed), m_dice(seed), m_files(m_s.dir.path())
    {
        fs::current_path(m_s.dir.path());
        // The actions of the switch, and any further one a button of the layout names; the
        // edit boxes of the layout. "ProtoPointBox" is left alone whatever its style: it is
        // the line counter checked after every step. "CurrentBlockBox" is no edit box, but
        // session scripts set it and the block actions read it.
        for (std::string_view action : controller::actionNames())
            m_actions.emplace_back(action);
        m_boxes = {"CurrentBlockBox"};
        for (platform::Handle c : m_s.g().object(m_s.mainWindow).children) {
            const std::string action = actionOf(c);
            if (!action.empty() && std::find(m_actions.begin(), m_actions.end(), action) == m_actions.end())
                m_actions.push_back(action);
            const auto* data = std::get_if<platform::UiControlData>(&m_s.g().object(c).data);
            const std::string& tag = m_s.g().object(c).tag;
            if (data && data->style == "edit" && !tag.empty() && tag != "ProtoPointBox" &&
                std::find(m_boxes.begin(), m_boxes.end(), tag) == m_boxes.end())
                m_boxes.push_back(tag);
        }
    }

    // Runs the steps; false after the first failed check (reported to GoogleTest).
    bool run(std::size_t steps)
    {
        Watchdog watchdog(m_seed);
        for (m_step = 1; m_step <= steps; ++m_step) {
            const session::BlockStructure before = m_s.state().blocks;
            m_answer.reset();
            Step step = next();
            watchdog.starting(m_step, step.what);
            remember(step.what);
            if (!perform(step) || !check(before, step.blocks))
                return false;
            m_s.h.console.take();
            m_s.h.messages.clear();
            const session::Session& state = m_s.state();
            m_withSpecimens += !state.specimens.empty();
            m_withProtocol += !state.protocol.empty();
            m_withBlocks += std::ranges::any_of(state.blocks.blocks(), [](const auto& b) { return !b.empty(); });
        }
        // How deep the session went, so that a change that stops it early shows.
        std::printf("Random session, seed %u: %zu steps; specimens loaded after %zu, protocol lines after %zu, "
                    "lines in blocks after %zu\n",
                    m_seed, steps, m_withSpecimens, m_withProtocol, m_withBlocks);
        return true;
    }

private:
    // One step: what the log shows, how it may change a block, and what it does. The answer
    // for its dialog, if it asks one, is queued when the step is chosen.
    struct Step {
        std::string what;
        Blocks blocks;
        std::function<void()> act;
    };

    Step next()
    {
        const std::size_t r = m_dice.below(100);
        if (r < 60) {
            const std::string action = m_dice.pick(m_actions);
            return {"press " + action + answered(action), blocksOf(action),
                    [this, action] { dispatch(Value(action)); }};
        }
        if (r < 85) {
            const std::string box = m_dice.pick(m_boxes);
            // Often what a user means to type: a few lines or landmarks that may exist.
            const std::string text = m_dice.chance(0.35) ? plainList(m_dice) : boxText(m_dice);
            return {"type " + box + " " + shown(text), Blocks::Stored, [this, box, text] {
                        m_s.type(box, text);
                        for (platform::Handle c : m_s.g().findByTag(box))
                            if (m_dice.chance(0.3))
                                m_s.h.program.runCallback(c);
                    }};
        }
        if (r < 89) {
            const double on = m_dice.chance(0.5) ? 1 : 0;
            return {"tick ShowLineButton " + std::to_string(static_cast<int>(on)), Blocks::Stored, [this, on] {
                        for (platform::Handle c : m_s.g().findByTag("ShowLineButton"))
                            m_s.g().set(c, "Value", Value(on));
                    }};
        }
        if (r < 93) {
            static const std::array<const char*, 8> nearNames{"loadfile1", "LoadFile1 ", " ShowLine", "ShowLine3",
                                                              "",          "Lost",       "vezedosw",  "ClearTarget\n"};
            const std::string text = m_dice.chance(0.5) ? std::string(m_dice.pick(nearNames)) : boxText(m_dice);
            return {"press the non-action " + shown(text), Blocks::Stored, [this, text] { dispatch(Value(text)); }};
        }
        if (r < 95) {
            const double number = m_dice.chance(0.5) ? 3 : -1;
            return {"vezedosw with the number " + std::to_string(number), Blocks::Stored,
                    [this, number] { dispatch(Value(number)); }};
        }
        if (r < 98) {
            // A click or an edit as the front end delivers it: the control's own callback.
            const platform::Handle control = m_dice.pick(m_s.g().object(m_s.mainWindow).children);
            const std::string action = actionOf(control);
            return {"callback of " + m_s.g().object(control).tag + (action.empty() ? "" : " (" + action + ")") +
                        answered(action),
                    blocksOf(action), [this, control] { m_s.h.program.runCallback(control); }};
        }
        return {"close a plot window", Blocks::Stored, [this] {
                    std::vector<platform::Handle> plots = m_s.g().figures();
                    std::erase(plots, m_s.mainWindow);
                    if (!plots.empty())
                        m_s.g().deleteObject(m_dice.pick(plots));
                }};
    }

    // Queues an answer for the dialog the action may show; returns it for the log.
    std::string answered(std::string_view action)
    {
        const std::optional<std::string> answer = answerFor(action, m_dice, m_files);
        m_action = std::string(action);
        m_answer = answer;
        if (answer)
            m_s.h.dialogs.queuePath(*answer);
        else
            m_s.h.dialogs.queueCancel();
        return ", answer " + (answer ? m_files.relative(*answer) : std::string("cancel"));
    }

    void dispatch(const Value& action) { m_s.h.program.registry().call("vezedosw", {action}, 0); }

    // The action a button's callback runs, or "" for a control that runs none.
    std::string actionOf(platform::Handle control)
    {
        const auto* data = std::get_if<platform::UiControlData>(&m_s.g().object(control).data);
        if (!data || data->callback.function != "vezedosw" || data->callback.args.empty())
            return "";
        const auto* name = std::get_if<Value>(&data->callback.args.front());
        return name && name->isString() ? name->string() : "";
    }

    bool perform(const Step& step)
    {
        try {
            step.act();
        } catch (const Error&) {
            // a refusal: the front end writes it to the console
        } catch (const std::exception& e) {
            return fail(std::string("an exception that is no vezedo::Error escaped (") + typeid(e).name() +
                        "): " + e.what());
        }
        // An answer the step did not ask for is dropped, so that the next dialog gets one
        // chosen for it.
        while (m_s.h.dialogs.pending() > 0)
            m_s.h.dialogs.openFile("", "");
        return true;
    }

    bool check(const session::BlockStructure& before, Blocks blocks)
    {
        const session::Session& state = m_s.state();
        const std::string counter = m_s.box("ProtoPointBox");
        const std::string lines = std::to_string(state.protocol.size());
        if (counter != lines)
            return fail("ProtoPointBox shows " + shown(counter) + " but the protocol has " + lines + " lines");
        const auto& was = before.blocks();
        const auto& now = state.blocks.blocks();
        for (std::size_t k = 0; k < now.size(); ++k) {
            const bool changed = k >= was.size() || was[k] != now[k];
            for (std::size_t line : now[k]) {
                if (line > state.protocol.size())
                    return fail("block " + std::to_string(k + 1) + " names line " + std::to_string(line) +
                                " of a protocol of " + lines + " lines");
                if (line == 0 && changed && blocks == Blocks::Stored)
                    return fail("block " + std::to_string(k + 1) + " was given a line 0");
            }
        }
        return loadsBack();
    }

    // A file the step saved loads back: a block file always, a protocol whenever its
    // landmarks are those of the loaded shape.
    bool loadsBack()
    {
        const std::vector<std::string>& statuses = m_s.h.console.statuses();
        if (statuses.size() == m_statusesSeen || !m_answer)
            return true;
        m_statusesSeen = statuses.size();
        if (!statuses.back().starts_with("Saved "))
            return true;
        const session::Session& state = m_s.state();
        std::string text;
        try {
            text = io::readFile(*m_answer);
        } catch (const Error& e) {
            return fail("the file just saved cannot be read back: " + std::string(e.what()));
        }
        try {
            if (m_action == "SaveMatrix")
                controller::parseBlockStructure(text, state.protocol.size());
            else if (m_action == "SaveProtocol" || m_action == "SaveProtocolCSV") {
                std::size_t highest = 0;
                for (const session::ProtocolLine& line : state.protocol.lines())
                    highest = std::max({highest, line.from, line.to});
                if (highest <= state.specimens.landmarks()) {
                    const session::Protocol back =
                        session::isProtocolCsv(text)
                            ? session::protocolFromCsv(text, state.specimens.landmarks(), *m_answer)
                            : session::protocolFromTable(io::parseNumericTable(text, *m_answer),
                                                         state.specimens.landmarks());
                    if (back.size() != state.protocol.size())
                        return fail("the protocol saved has " + std::to_string(state.protocol.size()) +
                                    " lines, but reads back with " + std::to_string(back.size()));
                }
            }
        } catch (const Error& e) {
            return fail(m_action + " wrote a file that does not load back: " + e.what());
        }
        return true;
    }

    bool fail(const std::string& what)
    {
        std::ostringstream log;
        for (const std::string& line : m_log)
            log << "  " << line << "\n";
        ADD_FAILURE() << "Random session, seed " << m_seed << ", step " << m_step << ": " << what
                      << "\nThe steps up to it:\n"
                      << log.str();
        return false;
    }

    void remember(const std::string& what)
    {
        m_log.push_back(std::to_string(m_step) + ": " + what);
        if (m_log.size() > 15)
            m_log.pop_front();
    }

    unsigned m_seed;
    Dice m_dice;
    Scenario m_s;  // puts the current folder back when the session ends
    std::vector<std::string> m_actions, m_boxes;
    std::string m_action;                 // the action of the last answered dialog
    std::optional<std::string> m_answer;  // the file it was given, if any
    std::size_t m_statusesSeen = 0;
    Files m_files;
    std::size_t m_step = 0;
    std::deque<std::string> m_log;
    std::size_t m_withSpecimens = 0, m_withProtocol = 0, m_withBlocks = 0;
};

std::size_t stepsFromEnvironment(std::size_t fallback)
{
    const char* text = std::getenv("VEZEDO_SOAK_STEPS");
    return text ? std::strtoul(text, nullptr, 10) : fallback;
}

constexpr std::size_t kSteps = 600;

class RandomSessions : public ::testing::TestWithParam<unsigned> {};

TEST_P(RandomSessions, EveryStepKeepsTheCounterAndTheBlocksRight)
{
    RandomSession session(GetParam());
    session.run(stepsFromEnvironment(kSteps));
}

INSTANTIATE_TEST_SUITE_P(Seeds, RandomSessions, ::testing::Range(1u, 17u));

TEST(RandomSession, SeedFromEnvironment)
{
    const char* seed = std::getenv("VEZEDO_SOAK_SEED");
    if (!seed)
        GTEST_SKIP() << "set VEZEDO_SOAK_SEED to run one more seed";
    RandomSession session(static_cast<unsigned>(std::strtoul(seed, nullptr, 10)));
    session.run(stepsFromEnvironment(kSteps));
}

}  // namespace
