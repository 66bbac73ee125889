// Long actions report their progress, and a user who stops one finds everything as it was:
// the session, every control, the drawing, the undo history and the current folder.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>

#include "controller/loadsteps.h"
#include "platform/textformat.h"
#include "scenario_checks.h"

using namespace vezedo;
using namespace vezedo::test;

namespace {

constexpr std::size_t kSpecimens = 12, kLandmarks = 8;

// Everything a cancelled action must leave alone, as text: each object of each window with
// its handle and type, and each control's text, value and enable; the current folder.
struct Everything {
    session::Session session;
    Strings objects;
    std::string folder;
    Strings files;  // name and size of each file in the scenario's folder
    bool operator==(const Everything&) const = default;
};

void describe(platform::GraphicsModel& g, platform::Handle h, Strings& out)
{
    std::string line = platform::formatText("%.17g ", {platform::Value(h)});
    line += platform::typeName(g.type(h));
    if (g.type(h) == platform::ObjectType::UiControl)
        for (const char* name : {"String", "Value", "Enable"}) {
            line += " ";
            line += platform::displayValue(name, g.get(h, name));
        }
    out.push_back(line);
    for (platform::Handle child : g.object(h).children)
        describe(g, child, out);
}

// The check marks "no exchange" with a gain of NaN, which equals nothing: made comparable.
session::Session comparable(session::Session session)
{
    for (double& gain : session.check.gain)
        if (std::isnan(gain))
            gain = -1;
    return session;
}

Everything everything(Scenario& s)
{
    Everything out{comparable(s.state()), {}, std::filesystem::current_path().string(), {}};
    for (platform::Handle figure : s.g().figures())
        describe(s.g(), figure, out.objects);
    for (const auto& entry : std::filesystem::directory_iterator(s.dir.path()))
        out.files.push_back(entry.path().filename().string() + " " + std::to_string(entry.file_size()));
    std::sort(out.files.begin(), out.files.end());
    return out;
}

std::string fcsv(std::size_t specimen)
{
    std::string out =
        "# CoordinateSystem = LPS\n# columns = id,x,y,z,ow,ox,oy,oz,vis,sel,lock,label,desc,associatedNodeID\n";
    for (std::size_t i = 0; i < kLandmarks; ++i) {
        const double j = static_cast<double>(specimen), k = static_cast<double>(i);
        out += "n" + std::to_string(i) + "," +
               platform::formatText("%.6f,%.6f,%.6f",
                                    {platform::Value(10 * std::cos(k) + j), platform::Value(7 * std::sin(1.7 * k) - j),
                                     platform::Value(k - 0.3 * j)}) +
               ",0,0,0,1,1,1,0,LM" + std::to_string(i + 1) + ",,\n";
    }
    return out;
}

// Specimens, a protocol and an edit that can be undone; the files the cases load are written.
void setUp(Scenario& s)
{
    s.loadTps("mice.txt", makeTps(kSpecimens, kLandmarks));
    s.load("LoadProto", "arm.txt", protocolText(chain(6)));
    s.type("ActivePointBox", "2");
    s.press("DeleteLine");
    s.file("other.tps", makeTps(kSpecimens + 3, kLandmarks + 2));
    std::vector<std::vector<double>> rows;
    for (std::size_t j = 0; j < 6; ++j) {
        rows.emplace_back();
        for (std::size_t i = 0; i < 3 * kLandmarks; ++i)
            rows.back().push_back(std::sin(static_cast<double>(i * 7 + j)) * 10);
        rows.back().push_back(50.0 + static_cast<double>(j));
    }
    s.file("table.txt", tableText(rows));
    for (std::size_t j = 0; j < 3; ++j)
        s.file("skull" + std::to_string(j) + ".fcsv", fcsv(j));
    s.file("legs.txt", protocolText(chain(9)));
    std::string groups = "id,group\n";
    for (std::size_t j = 0; j < kSpecimens; ++j)
        groups += "specimen" + std::to_string(j + 1) + (j % 2 ? ",odd\n" : ",even\n");
    s.file("groups.csv", groups);
    s.h.console.take();
}

// Cancel pressed at the last step the action reports, the one right before it changes anything.
constexpr std::size_t kLast = 0;

struct Case {
    const char* name;
    const char* action;
    std::vector<std::string> answers;  // files picked in the dialog
    std::size_t cancelAt;              // the progress step at which Cancel is pressed (or kLast)
    std::function<void(Scenario&)> before = nullptr;
    std::size_t undoSteps = 0;  // the steps `before` left in the undo history
};

// The progress steps `action` reports after setUp and `before`, run to its end.
std::size_t stepsOf(const char* action, const std::vector<std::string>& answers,
                    const std::function<void(Scenario&)>& before)
{
    Scenario s;
    setUp(s);
    if (before)
        before(s);
    for (const std::string& answer : answers)
        s.answer(answer);
    const std::size_t first = s.h.progress.fractions().size();
    s.press(action);
    EXPECT_TRUE(s.h.messages.shown().empty());
    return s.h.progress.fractions().size() - first;
}

class CancelledAction : public testing::TestWithParam<Case> {};

TEST_P(CancelledAction, ChangesNothing)
{
    const Case& c = GetParam();
    const std::size_t cancelAt = c.cancelAt == kLast ? stepsOf(c.action, c.answers, c.before) : c.cancelAt;
    ASSERT_GE(cancelAt, 1u);
    Scenario s;
    setUp(s);
    if (c.before)
        c.before(s);
    s.h.console.take();
    const Everything before = everything(s);
    for (const std::string& answer : c.answers)
        s.answer(answer);
    s.h.progress.cancelAt(s.h.progress.fractions().size() + cancelAt);
    s.press(c.action);

    EXPECT_TRUE(s.h.messages.shown().empty());
    EXPECT_EQ(s.h.dialogs.pending(), 0u);
    const Everything after = everything(s);
    EXPECT_TRUE(after.session == before.session);
    EXPECT_EQ(after.objects, before.objects);
    EXPECT_EQ(after.folder, before.folder);
    EXPECT_EQ(after.files, before.files);
    EXPECT_NE(s.h.console.text().find(" cancelled: nothing was changed\n"), std::string::npos) << s.h.console.text();
    ASSERT_FALSE(s.h.console.statuses().empty());
    EXPECT_NE(s.h.console.statuses().back().find(" cancelled: nothing was changed"), std::string::npos);
    EXPECT_EQ(s.h.progress.begun().size(), s.h.progress.ends());

    // The history still holds the deletion of line 2 under what `before` did: undoing it
    // brings the line back.
    for (std::size_t i = 0; i < c.undoSteps; ++i)
        s.press("Undo");
    EXPECT_EQ(s.state().protocol.size(), 5u);
    s.press("Undo");
    EXPECT_EQ(s.state().protocol.size(), 6u);
}

const auto checked = [](Scenario& s) { s.press("CheckSpecimens"); };

// A check on view, so that a correction fits the specimens again and checks them again, and the
// boxes naming specimen 3 and its landmarks 1 and 2.
const auto toCorrect = [](Scenario& s) {
    s.press("CheckSpecimens");
    s.type("SpecimenBox", "3");
    s.type("EndBox1", "1");
    s.type("EndBox2", "2");
};
const auto exchanged = [](Scenario& s) {
    toCorrect(s);
    s.press("ExchangeLandmarks");
};
const auto excluded = [](Scenario& s) {
    toCorrect(s);
    s.press("ExcludeSpecimen");
};
const auto exchangedAndUndone = [](Scenario& s) {
    exchanged(s);
    s.press("Undo");
};
const auto unchecked = [](Scenario& s) {
    s.type("SpecimenBox", "3");
    s.type("EndBox1", "1");
    s.type("EndBox2", "2");
};
const auto replicated = [](Scenario& s) { s.load("LoadReplicate", "again.tps", makeTps(kSpecimens, kLandmarks)); };
const auto projectSaved = [](Scenario& s) { s.press("SaveProject", "work.vz6"); };

// A TPS file past the size from which the reader reports as it goes (every few MB, and at the
// start of a read in parts): the first report comes while the file is being read.
constexpr std::size_t kLargeSpecimens = 5000, kLargeLandmarks = 40;
const auto largeTps = [](Scenario& s) { s.file("large.tps", makeTps(kLargeSpecimens, kLargeLandmarks)); };

INSTANTIATE_TEST_SUITE_P(
    AtEachStep, CancelledAction,
    testing::Values(
        Case{"tps_read", "LoadFile1", {"other.tps"}, 1}, Case{"tps_estimate", "LoadFile1", {"other.tps"}, 2},
        Case{"tps_fit", "LoadFile1", {"other.tps"}, 3},
        Case{"tps_during_the_read_of_a_large_file", "LoadFile1", {"large.tps"}, 1, largeTps},
        Case{"table_read", "LoadFileIMP", {"table.txt"}, 1}, Case{"table_estimate", "LoadFileIMP", {"table.txt"}, 2},
        Case{"table_fit", "LoadFileIMP", {"table.txt"}, 3},
        Case{"landmarks_first_file", "LoadLandmarks", {"skull0.fcsv", "skull1.fcsv", "skull2.fcsv"}, 1},
        Case{"landmarks_last_file", "LoadLandmarks", {"skull0.fcsv", "skull1.fcsv", "skull2.fcsv"}, 3},
        Case{"landmarks_fit", "LoadLandmarks", {"skull0.fcsv", "skull1.fcsv", "skull2.fcsv"}, 5},
        Case{"check_fit", "CheckSpecimens", {}, 1},
        Case{"check_within_new_groups", "LoadGroups", {"groups.csv"}, 1, checked},
        Case{"protocol_read", "LoadProto", {"legs.txt"}, 1}, Case{"protocol_checked", "LoadProto", {"legs.txt"}, 2},
        Case{"lengths", "SaveLengths", {}, 1}, Case{"lengths_csv", "SaveLengthsCSV", {}, 1},
        Case{"check_before_saving", "SaveSpecimenCheck", {}, 1},
        Case{"exchange_first", "ExchangeLandmarks", {}, 1, toCorrect},
        Case{"exchange_last", "ExchangeLandmarks", {}, kLast, toCorrect},
        Case{"exchange_unchecked_last", "ExchangeLandmarks", {}, kLast, unchecked},
        Case{"mirror_first", "MirrorSpecimen", {}, 1, toCorrect},
        Case{"mirror_last", "MirrorSpecimen", {}, kLast, toCorrect},
        Case{"exclude_first", "ExcludeSpecimen", {}, 1, toCorrect},
        Case{"exclude_last", "ExcludeSpecimen", {}, kLast, toCorrect},
        Case{"include_first", "IncludeSpecimen", {}, 1, excluded, 1},
        Case{"include_last", "IncludeSpecimen", {}, kLast, excluded, 1},
        Case{"undo_correction_first", "Undo", {}, 1, exchanged, 1},
        Case{"undo_correction_last", "Undo", {}, kLast, exchanged, 1},
        Case{"redo_correction_first", "Redo", {}, 1, exchangedAndUndone},
        Case{"redo_correction_last", "Redo", {}, kLast, exchangedAndUndone},
        Case{"line_summary_first", "SaveLineSummary", {}, 1}, Case{"line_summary_last", "SaveLineSummary", {}, kLast},
        Case{"measurement_error_first", "SaveMeasurementError", {}, 1, replicated},
        Case{"measurement_error_last", "SaveMeasurementError", {}, kLast, replicated},
        Case{"landmarks_tps_first", "SaveLandmarks", {"out.tps"}, 1},
        Case{"landmarks_tps_last", "SaveLandmarks", {"out.tps"}, kLast},
        Case{"landmarks_morphologika_last", "SaveLandmarks", {"out.txt"}, kLast},
        Case{"project_save_first", "SaveProject", {"work.vz6"}, 1},
        Case{"project_save_last", "SaveProject", {"work.vz6"}, kLast},
        Case{"project_open_first", "OpenProject", {"work.vz6"}, 1, projectSaved},
        Case{"project_open_last", "OpenProject", {"work.vz6"}, kLast, projectSaved}),
    [](const testing::TestParamInfo<Case>& row) { return std::string(row.param.name); });

// The cancel of a large file's read comes from the reader itself, before the read's end: the
// read is the first share of a load, and no later step was reached.
TEST(CancelledDuringTheReadOfALargeTps, StopsBeforeTheReadEnds)
{
    Scenario s;
    setUp(s);
    largeTps(s);
    const std::size_t before = s.h.progress.fractions().size();
    s.answer("large.tps");
    s.h.progress.cancelAt(before + 1);
    s.press("LoadFile1");
    ASSERT_EQ(s.h.progress.fractions().size(), before + 1);
    EXPECT_LT(s.h.progress.fractions().back(), controller::kRead);
    EXPECT_TRUE(s.h.messages.shown().empty());
    EXPECT_EQ(s.state().specimens.count(), kSpecimens);
}

// The same loads without a Cancel: the progress stays within 0 to 1, every begin has its end,
// and the result is what a program without progress (the headless one) gives.
TEST(ProgressOfLoads, StaysInRangeAndChangesNoResult)
{
    Scenario shown;
    setUp(shown);
    const std::filesystem::path folder = shown.dir.path();
    shown.press("LoadFile1", "other.tps");
    shown.press("CheckSpecimens");
    shown.press("LoadProto", "legs.txt");
    const std::vector<double>& fractions = shown.h.progress.fractions();
    ASSERT_GE(fractions.size(), 6u);
    for (const double f : fractions) {
        EXPECT_GE(f, 0.0);
        EXPECT_LE(f, 1.0);
    }
    EXPECT_EQ(shown.h.progress.begun().size(), shown.h.progress.ends());
    EXPECT_EQ(shown.h.progress.begun().at(shown.h.progress.begun().size() - 3), "Loading other.tps");

    platform::ScriptedDialogs dialogs;
    platform::RecordingMessages messages;
    platform::CapturingConsole console;
    platform::Runtime rt(dialogs, messages, console);
    shell::Program program{Harness::withLayoutFolder(rt)};
    program.start();
    const auto press = [&](const char* action, const char* file) {
        dialogs.queuePath((folder / file).string());
        program.runAction(action);
    };
    press("LoadFile1", "mice.txt");
    press("LoadProto", "arm.txt");
    press("LoadFile1", "other.tps");
    program.runAction("CheckSpecimens");
    press("LoadProto", "legs.txt");
    const session::Session& bare = program.controller().session();
    EXPECT_TRUE(bare.specimens == shown.state().specimens);
    EXPECT_TRUE(comparable(bare).check == comparable(shown.state()).check);
    EXPECT_TRUE(bare.protocol == shown.state().protocol);
    EXPECT_TRUE(bare.wireframe == shown.state().wireframe);
}

// The long actions report steps as they go, not only at their end: what the bar says, at least
// `steps` fractions, each within 0 to 1 and never going back, every begin with its end.
struct Reported {
    const char* name;
    const char* action;
    std::vector<std::string> answers;
    std::function<void(Scenario&)> before;
    const char* what;
    std::size_t steps;
};

class ProgressOfLongActions : public testing::TestWithParam<Reported> {};

TEST_P(ProgressOfLongActions, ReportsStepsOnTheWay)
{
    const Reported& r = GetParam();
    Scenario s;
    setUp(s);
    if (r.before)
        r.before(s);
    const std::size_t first = s.h.progress.fractions().size(), begun = s.h.progress.begun().size();
    for (const std::string& answer : r.answers)
        s.answer(answer);
    s.press(r.action);
    EXPECT_TRUE(s.h.messages.shown().empty());
    const std::vector<double> fractions(s.h.progress.fractions().begin() + static_cast<std::ptrdiff_t>(first),
                                        s.h.progress.fractions().end());
    EXPECT_GE(fractions.size(), r.steps);
    for (std::size_t i = 0; i < fractions.size(); ++i) {
        EXPECT_GE(fractions[i], 0.0);
        EXPECT_LE(fractions[i], 1.0);
        if (i > 0) {
            EXPECT_GE(fractions[i], fractions[i - 1]) << "step " << i;
        }
    }
    ASSERT_GT(s.h.progress.begun().size(), begun);
    EXPECT_EQ(s.h.progress.begun().at(begun), r.what);
    EXPECT_EQ(s.h.progress.begun().size(), s.h.progress.ends());
}

INSTANTIATE_TEST_SUITE_P(
    EachAction, ProgressOfLongActions,
    testing::Values(
        Reported{"exchange", "ExchangeLandmarks", {}, toCorrect, "Fitting the specimens again", 5},
        Reported{"exchange_unchecked", "ExchangeLandmarks", {}, unchecked, "Fitting the specimens again", 3},
        Reported{"include", "IncludeSpecimen", {}, excluded, "Fitting the specimens again", 3},
        // Back to the specimens as loaded: no fit, the check again only.
        Reported{"undo_correction", "Undo", {}, exchanged, "Fitting the specimens again", 3},
        Reported{"redo_correction", "Redo", {}, exchangedAndUndone, "Fitting the specimens again", 5},
        // One step per line after the lengths: 5 lines.
        Reported{"line_summary", "SaveLineSummary", {}, nullptr, "Working out the summary of 5 lines", 7},
        Reported{"measurement_error",
                 "SaveMeasurementError",
                 {},
                 replicated,
                 "Working out the measurement error of 5 lines",
                 3},
        Reported{"landmarks", "SaveLandmarks", {"out.tps"}, nullptr, "Writing the landmarks of 12 specimens", 2},
        Reported{"project_save", "SaveProject", {"work.vz6"}, nullptr, "Saving the project work.vz6", 4},
        Reported{"project_open", "OpenProject", {"work.vz6"}, projectSaved, "Opening work.vz6", 6}),
    [](const testing::TestParamInfo<Reported>& row) { return std::string(row.param.name); });

// A load whose specimens miss landmarks reports within the estimate, specimen after specimen,
// between the end of the read and the end of the estimate; Cancel there changes nothing.
constexpr std::size_t kGappySpecimens = 600;

std::string gappyTps()
{
    std::string text = makeTps(kGappySpecimens, kLandmarks);
    // Landmark 2 of every tenth specimen but the first is missing.
    std::size_t at = 0;
    for (std::size_t j = 0; j < kGappySpecimens; ++j) {
        at = text.find("LM=", at);
        const std::size_t line = text.find('\n', text.find('\n', at) + 1) + 1;
        const std::size_t end = text.find('\n', line);
        if (j > 0 && j % 10 == 0)
            text.replace(line, end - line, "NA NA NA");
        at = line;
    }
    return text;
}

TEST(ProgressOfTheEstimate, ReportsBetweenTheReadAndItsEnd)
{
    Scenario s;
    setUp(s);
    s.file("gaps.tps", gappyTps());
    const std::size_t first = s.h.progress.fractions().size();
    s.press("LoadFile1", "gaps.tps");
    ASSERT_TRUE(s.h.messages.shown().empty());
    ASSERT_EQ(s.state().specimens.count(), kGappySpecimens);
    std::size_t within = 0;
    for (std::size_t i = first; i < s.h.progress.fractions().size(); ++i) {
        const double f = s.h.progress.fractions()[i];
        within += f > controller::kRead && f < controller::kEstimated ? 1u : 0u;
    }
    // Reports at specimens 256 and 512 of 600.
    EXPECT_EQ(within, 2u);
}

TEST(ProgressOfTheEstimate, CancelWithinItChangesNothing)
{
    Scenario s;
    setUp(s);
    s.file("gaps.tps", gappyTps());
    s.h.console.take();
    const Everything before = everything(s);
    std::size_t at = 0;
    {
        Scenario dry;
        setUp(dry);
        dry.file("gaps.tps", gappyTps());
        const std::size_t first = dry.h.progress.fractions().size();
        dry.press("LoadFile1", "gaps.tps");
        for (std::size_t i = first; i < dry.h.progress.fractions().size() && at == 0; ++i)
            if (dry.h.progress.fractions()[i] > controller::kRead)
                at = i - first + 1;
    }
    ASSERT_GT(at, 0u);
    s.answer("gaps.tps");
    s.h.progress.cancelAt(s.h.progress.fractions().size() + at);
    s.press("LoadFile1");
    EXPECT_TRUE(s.h.messages.shown().empty());
    EXPECT_LT(s.h.progress.fractions().back(), controller::kEstimated);
    EXPECT_GT(s.h.progress.fractions().back(), controller::kRead);
    const Everything after = everything(s);
    EXPECT_TRUE(after.session == before.session);
    EXPECT_EQ(after.objects, before.objects);
    EXPECT_NE(s.h.console.text().find("Loading gaps.tps cancelled: nothing was changed\n"), std::string::npos);
}

}  // namespace
