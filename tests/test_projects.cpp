// "SaveProject" and "OpenProject": a project reopened in a fresh program gives the same
// session (the same files written byte for byte), and a project that cannot give it is
// refused by name and changes nothing.
#include <cmath>
#include <filesystem>

#include <nlohmann/json.hpp>

#include "controller/project.h"
#include "io/csv.h"
#include "scenario_checks.h"

using namespace vezedo;
using namespace vezedo::test;

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

constexpr std::size_t kLandmarks = 6;
constexpr std::size_t kSpecimens = 6;
const std::string kBaseTitle = "Vezedo6 - 3D landmark measurements";

double coordinate(std::size_t specimen, std::size_t landmark, std::size_t axis)
{
    const double j = static_cast<double>(specimen), i = static_cast<double>(landmark), d = static_cast<double>(axis);
    return 40.0 * std::sin(1.3 * i + 0.7 * d + 0.05 * j) + 3.0 * std::cos(0.9 * j + d) + 0.01 * j * i;
}

std::string idOf(std::size_t j)
{
    return "skull0" + std::to_string(j + 1);
}

// Specimens with SCALE= (different per specimen); `shift` moves every coordinate a little, as
// a second digitising would.
std::string tps(double shift)
{
    std::string text;
    for (std::size_t j = 0; j < kSpecimens; ++j) {
        text += "LM3=" + std::to_string(kLandmarks) + "\n";
        for (std::size_t i = 0; i < kLandmarks; ++i)
            for (std::size_t d = 0; d < 3; ++d)
                text += io::shortestNumber(coordinate(j, i, d) + shift * std::cos(static_cast<double>(i + j + d))) +
                        (d == 2 ? "\n" : " ");
        text += "ID=" + idOf(j) + "\nSCALE=" + io::shortestNumber(0.5 + 0.125 * static_cast<double>(j)) + "\n";
    }
    return text;
}

std::string markups(std::size_t j, const std::vector<std::size_t>& order)
{
    json points = json::array();
    for (std::size_t i : order)
        points.push_back({{"label", "LM" + std::to_string(i + 1)},
                          {"position", {coordinate(j, i, 0), coordinate(j, i, 1), coordinate(j, i, 2)}}});
    return json{{"markups", {{{"type", "Fiducial"}, {"coordinateSystem", "RAS"}, {"controlPoints", points}}}}}.dump(2);
}

void tickBox(Scenario& s, const std::string& tag, double value)
{
    for (platform::Handle h : s.g().findByTag(tag))
        s.g().set(h, "Value", platform::Value(value));
}

// What the work writes: lengths, the protocol with names and the blocks, as file texts.
struct Outputs {
    std::string lengths, protocol, blocks;
    bool operator==(const Outputs&) const = default;
};

Outputs outputs(Scenario& s, const std::string& prefix)
{
    s.press("SaveLengthsCSV", prefix + "lengths.csv");
    s.press("SaveProtocolCSV", prefix + "protocol.csv");
    s.press("SaveMatrix", prefix + "blocks.txt");
    return {s.read(prefix + "lengths.csv"), s.read(prefix + "protocol.csv"), s.read(prefix + "blocks.txt")};
}

// A protocol with names, two blocks, typed boxes and a turned view.
void buildOn(Scenario& s)
{
    s.load("LoadProto", "proto.csv", "name,from,to\nnasal,1,2\n,2,5\n\"orbit, left\",3,6\nbase,4,1\n");
    s.type("MaxBlockBox", "2");
    s.press("SetBlocks");
    s.type("BlockBox", "1 3");
    s.press("BlockUp");
    s.type("BlockBox", "2 4");
    s.press("BlockEnter");
    s.type("SpecimenBox", idOf(2));
    s.type("EndBox1", "2");
    s.type("EndBox2", "6");
    s.type("LineNameBox", "vault");
    const platform::Handle axes = s.plotAxes();
    platform::Camera camera = s.g().object(axes).as<platform::AxesData>().camera;
    camera.azimuth = 120;
    camera.elevation = -15;
    s.g().setCamera(axes, camera);
}

// The TPS work of the round trip: SCALE applied, a replicate, names, blocks.
void tpsWork(Scenario& s, const std::string& folder = "")
{
    if (!folder.empty())
        fs::create_directories(s.dir.path() / folder);
    tickBox(s, "ApplyScaleBox", 1);
    s.loadTps(folder + "skulls.tps", tps(0));
    s.load("LoadReplicate", folder + "again.tps", tps(0.05));
    buildOn(s);
}

const char* const kKeptBoxes[] = {"SpecimenBox", "EndBox1",         "EndBox2",    "LineNameBox",
                                  "BlockBox",    "CurrentBlockBox", "MaxBlockBox"};

void openIn(Scenario& fresh, const fs::path& project)
{
    fresh.h.dialogs.queuePath(project.string());
    fresh.press("OpenProject");
}

void expectSameSession(Scenario& before, Scenario& after)
{
    EXPECT_EQ(outputs(after, "after_"), outputs(before, "before_"));
    for (const char* tag : kKeptBoxes)
        EXPECT_EQ(after.box(tag), before.box(tag)) << tag;
    EXPECT_EQ(after.state().protocol, before.state().protocol);
    EXPECT_EQ(after.state().blocks, before.state().blocks);
    EXPECT_EQ(after.state().specimens.ids, before.state().specimens.ids);
    EXPECT_EQ(after.state().specimens.landmarkNames, before.state().specimens.landmarkNames);
    EXPECT_EQ(after.property("ApplyScaleBox", "Value").scalar(), before.property("ApplyScaleBox", "Value").scalar());
    const auto cameraOf = [](Scenario& s) { return s.g().object(s.plotAxes()).as<platform::AxesData>().camera; };
    EXPECT_EQ(cameraOf(after).azimuth, 120);
    EXPECT_EQ(cameraOf(after).elevation, -15);
}

std::string mainTitle(Scenario& s)
{
    return s.g().object(s.mainWindow).as<platform::FigureData>().name;
}

}  // namespace

TEST(Projects, ATpsProjectWithScaleReplicateNamesAndBlocksReopensToTheSameFiles)
{
    Scenario before;
    tpsWork(before);
    ASSERT_TRUE(before.h.messages.shown().empty()) << before.h.messages.texts()[0];
    before.press("SaveProject", "work.vz6");
    ASSERT_TRUE(before.h.messages.shown().empty()) << before.h.messages.texts()[0];
    before.press("SaveMeasurementError", "before_me.csv");

    Scenario after;  // a program started afresh: the one before has quit
    openIn(after, before.dir.path() / "work.vz6");
    ASSERT_TRUE(after.h.messages.shown().empty()) << after.h.messages.texts()[0];
    expectSameSession(before, after);
    ASSERT_TRUE(after.state().replicate.has_value());
    after.press("SaveMeasurementError", "after_me.csv");
    EXPECT_EQ(after.read("after_me.csv"), before.read("before_me.csv"));
    // SCALE was applied: the first specimen's first line is the raw distance times its SCALE.
    double d2 = 0;
    for (std::size_t d = 0; d < 3; ++d)
        d2 += std::pow(coordinate(0, 0, d) - coordinate(0, 1, d), 2);
    const std::string firstRow = after.read("after_lengths.csv").substr(after.read("after_lengths.csv").find('\n') + 1);
    EXPECT_NEAR(std::stod(firstRow.substr(firstRow.find(',') + 1)), 0.5 * std::sqrt(d2), 1e-12 * std::sqrt(d2));
}

TEST(Projects, AProjectOfMarkupsFilesInTwoLandmarkOrdersReopensToTheSameFiles)
{
    Scenario before;
    const std::vector<std::size_t> usual = {0, 1, 2, 3, 4, 5}, other = {3, 0, 5, 1, 4, 2};
    for (std::size_t j = 0; j < kSpecimens; ++j) {
        before.file(idOf(j) + ".mrk.json", markups(j, j % 2 == 1 ? other : usual));
        before.answer(idOf(j) + ".mrk.json");
    }
    before.press("LoadLandmarks");
    buildOn(before);
    before.press("SaveProject", "work.vz6");
    ASSERT_TRUE(before.h.messages.shown().empty()) << before.h.messages.texts()[0];
    const json saved = json::parse(before.read("work.vz6"));
    EXPECT_EQ(saved["specimens"]["reader"], "landmarks");
    EXPECT_EQ(saved["specimens"]["files"].size(), kSpecimens);
    EXPECT_EQ(saved["specimens"]["files"][1]["path"], "skull02.mrk.json");
    EXPECT_EQ(saved["specimens"]["files"][1]["format"], "Slicer markups JSON");

    Scenario after;
    openIn(after, before.dir.path() / "work.vz6");
    ASSERT_TRUE(after.h.messages.shown().empty()) << after.h.messages.texts()[0];
    expectSameSession(before, after);
}

// Corrections made in place are part of the work: the project keeps them, and opening it
// makes them again on the data as read, so every file written from the session is the same.
TEST(Projects, AProjectWithAnExchangeAMirrorAndAnExclusionReopensToTheSameFiles)
{
    Scenario before;
    tpsWork(before);
    before.type("SpecimenBox", idOf(1));
    before.type("EndBox1", "3");
    before.type("EndBox2", "1");
    before.press("ExchangeLandmarks");
    before.type("SpecimenBox", "4");
    before.press("MirrorSpecimen");
    before.type("SpecimenBox", idOf(4));
    before.press("ExcludeSpecimen");
    ASSERT_TRUE(before.h.messages.shown().empty()) << before.h.messages.texts()[0];
    before.press("SaveProject", "work.vz6");
    ASSERT_TRUE(before.h.messages.shown().empty()) << before.h.messages.texts()[0];
    EXPECT_FALSE(before.state().revisions.correctionsChanged());
    const json expected = json::parse(R"([
        {"specimen": 2, "id": "skull02", "kind": "exchange", "landmarks": [1, 3]},
        {"specimen": 4, "id": "skull04", "kind": "mirror"},
        {"specimen": 5, "id": "skull05", "kind": "exclude"}])");
    EXPECT_EQ(json::parse(before.read("work.vz6"))["corrections"], expected);
    before.press("SaveCorrections", "before_corrections.csv");

    Scenario after;
    openIn(after, before.dir.path() / "work.vz6");
    ASSERT_TRUE(after.h.messages.shown().empty()) << after.h.messages.texts()[0];
    expectSameSession(before, after);
    EXPECT_EQ(after.state().corrections, before.state().corrections);
    after.press("SaveCorrections", "after_corrections.csv");
    EXPECT_EQ(after.read("after_corrections.csv"), before.read("before_corrections.csv"));
    // Opened, nothing is unsaved: neither the project nor its corrections ask to be saved.
    EXPECT_FALSE(after.state().revisions.projectChanged());
    EXPECT_FALSE(after.state().revisions.correctionsChanged());
    EXPECT_EQ(mainTitle(after), kBaseTitle + " - work");

    // The lengths file: skull05 is left out, and skull02's line 1-2 ("nasal") now runs from
    // its third landmark as read to its second, times its SCALE (0.625).
    const std::string lengths = after.read("after_lengths.csv");
    EXPECT_EQ(lengths.find(idOf(4) + ","), std::string::npos) << lengths;
    const std::size_t row = lengths.find("\n" + idOf(1) + ",");
    ASSERT_NE(row, std::string::npos) << lengths;
    double d2 = 0;
    for (std::size_t d = 0; d < 3; ++d)
        d2 += std::pow(coordinate(1, 2, d) - coordinate(1, 1, d), 2);
    const double expectedLength = 0.625 * std::sqrt(d2);
    EXPECT_NEAR(std::stod(lengths.substr(row + idOf(1).size() + 2)), expectedLength, 1e-12 * expectedLength);

    // A correction after opening is a change of the project, and saving the project saves it.
    after.type("SpecimenBox", idOf(4));
    after.press("IncludeSpecimen");
    EXPECT_TRUE(after.state().revisions.projectChanged());
    EXPECT_EQ(mainTitle(after), kBaseTitle + " - work *");
    after.press("SaveProject", "work.vz6");
    EXPECT_FALSE(after.state().revisions.projectChanged());
    EXPECT_FALSE(after.state().revisions.correctionsChanged());
}

// The data files are named from the project's folder: the whole folder moved still opens.
TEST(Projects, AProjectMovedWithItsFolderStillOpens)
{
    Scenario before;
    tpsWork(before, "work/data/");
    before.press("SaveProject", "work/work.vz6");
    ASSERT_TRUE(before.h.messages.shown().empty()) << before.h.messages.texts()[0];
    EXPECT_EQ(json::parse(before.read("work/work.vz6"))["specimens"]["files"][0]["path"], "data/skulls.tps");
    outputs(before, "before_");

    TempDir elsewhere;
    fs::rename(before.dir.path() / "work", elsewhere.path() / "moved");
    Scenario after;
    openIn(after, elsewhere.path() / "moved" / "work.vz6");
    ASSERT_TRUE(after.h.messages.shown().empty()) << after.h.messages.texts()[0];
    EXPECT_EQ(outputs(after, "after_"), (Outputs{before.read("before_lengths.csv"), before.read("before_protocol.csv"),
                                                 before.read("before_blocks.txt")}));
}

// Each way a project can fail to give back its session: the message names the file and what
// is wrong, and the session already there stays as it was.
struct Refusal {
    const char* name;
    void (*spoil)(const fs::path& folder);  // the project's folder, the project being work.vz6
    const char* message;                    // a part of the message box
};

json projectIn(const fs::path& folder)
{
    std::ifstream in(folder / "work.vz6");
    return json::parse(in);
}
void rewrite(const fs::path& folder, const json& project)
{
    std::ofstream(folder / "work.vz6", std::ios::binary) << project.dump(2);
}
template <typename Change> void edit(const fs::path& folder, Change change)
{
    json project = projectIn(folder);
    change(project);
    rewrite(folder, project);
}

void setCorrections(const fs::path& folder, const std::string& list)
{
    edit(folder, [&](json& p) { p["corrections"] = json::parse(list); });
}

const Refusal kRefusals[] = {
    {"data_file_gone", [](const fs::path& f) { fs::remove(f / "again.tps"); }, "again.tps: cannot be read"},
    {"data_file_changed_by_one_byte",
     [](const fs::path& f) {
         std::fstream file(f / "skulls.tps", std::ios::in | std::ios::out | std::ios::binary);
         file.seekg(20);
         const char was = static_cast<char>(file.get());
         file.seekp(20);
         file.put(was == '7' ? '8' : '7');
     },
     "skulls.tps: changed since the project was saved (its SHA-256 differs)"},
    {"groups_file_changed", [](const fs::path& f) { std::ofstream(f / "groups.csv", std::ios::app) << "\n"; },
     "groups.csv: changed since the project was saved"},
    {"not_json", [](const fs::path& f) { std::ofstream(f / "work.vz6") << "{\"format\": \"vezedo6-project\","; },
     "File work.vz6, line 1: this is no valid JSON, so no project file"},
    {"another_format", [](const fs::path& f) { edit(f, [](json& p) { p["format"] = "vezedo6-layout"; }); },
     "File work.vz6: field \"format\": expected \"vezedo6-project\", found \"vezedo6-layout\""},
    {"another_version", [](const fs::path& f) { edit(f, [](json& p) { p["version"] = 2; }); },
     "File work.vz6: field \"version\": this program reads version 1, found 2"},
    {"missing_field", [](const fs::path& f) { edit(f, [](json& p) { p.erase("blocks"); }); },
     "File work.vz6: field \"blocks\": missing"},
    {"ill_typed_field", [](const fs::path& f) { edit(f, [](json& p) { p["specimens"]["files"][0]["sha256"] = 7; }); },
     "File work.vz6: field \"specimens.files[0].sha256\": expected a text, found number"},
    {"digest_of_wrong_form",
     [](const fs::path& f) { edit(f, [](json& p) { p["specimens"]["files"][0]["sha256"] = "ABC"; }); },
     "field \"specimens.files[0].sha256\": expected 64 lower-case hexadecimal digits"},
    {"unknown_field", [](const fs::path& f) { edit(f, [](json& p) { p["colour"] = "red"; }); },
     "field \"colour\": this version does not know this field"},
    {"unknown_box", [](const fs::path& f) { edit(f, [](json& p) { p["controls"]["texts"]["NoSuchBox"] = ""; }); },
     "field \"controls.texts.NoSuchBox\": no box of the main window has this tag"},
    {"correction_of_unknown_kind",
     [](const fs::path& f) { setCorrections(f, R"([{"specimen": 1, "id": "skull01", "kind": "rotate"}])"); },
     "field \"corrections[0].kind\": expected \"exchange\", \"mirror\" or \"exclude\", found \"rotate\""},
    {"correction_without_a_specimen",
     [](const fs::path& f) { setCorrections(f, R"([{"id": "skull01", "kind": "mirror"}])"); },
     "field \"corrections[0].specimen\": missing"},
    {"correction_of_a_specimen_beyond_the_data_set",
     [](const fs::path& f) { setCorrections(f, R"([{"specimen": 7, "id": "skull07", "kind": "mirror"}])"); },
     "field \"corrections[0]\" (specimen 7 (skull07): mirrored (x -> -x)): specimen 7 does not exist: the data set "
     "has 6 specimens"},
    {"correction_whose_id_is_another_specimens",
     [](const fs::path& f) { setCorrections(f, R"([{"specimen": 2, "id": "skull03", "kind": "exclude"}])"); },
     "field \"corrections[0]\" (specimen 2 (skull03): excluded): specimen 2 of the data set is skull02, not skull03"},
    {"exchange_of_a_landmark_beyond_the_shape",
     [](const fs::path& f) {
         setCorrections(f, R"([{"specimen": 2, "id": "skull02", "kind": "exchange", "landmarks": [2, 7]}])");
     },
     "field \"corrections[0]\" (specimen 2 (skull02): landmarks 2 and 7 exchanged): expected two different landmarks "
     "from 1 to 6"},
    {"exchange_of_a_landmark_with_itself",
     [](const fs::path& f) {
         setCorrections(f, R"([{"specimen": 2, "id": "skull02", "kind": "exchange", "landmarks": [3, 3]}])");
     },
     "field \"corrections[0].landmarks\": expected two different landmarks, the smaller first, found [3,3]"},
    {"exchange_of_one_landmark",
     [](const fs::path& f) {
         setCorrections(f, R"([{"specimen": 2, "id": "skull02", "kind": "exchange", "landmarks": [3]}])");
     },
     "field \"corrections[0].landmarks\": expected a list of the two landmarks exchanged, found [3]"},
    {"mirror_with_landmarks",
     [](const fs::path& f) {
         setCorrections(f, R"([{"specimen": 2, "id": "skull02", "kind": "mirror", "landmarks": [1, 2]}])");
     },
     "field \"corrections[0].landmarks\": only an exchange names landmarks"},
    {"specimen_excluded_twice",
     [](const fs::path& f) {
         setCorrections(f, R"([{"specimen": 2, "id": "skull02", "kind": "exclude"},
                               {"specimen": 2, "id": "skull02", "kind": "exclude"}])");
     },
     "field \"corrections[1]\" (specimen 2 (skull02): excluded): it is excluded already"},
    {"excluded_specimen_changed",
     [](const fs::path& f) {
         setCorrections(f, R"([{"specimen": 3, "id": "skull03", "kind": "exclude"},
                               {"specimen": 3, "id": "skull03", "kind": "mirror"}])");
     },
     "field \"corrections[1]\" (specimen 3 (skull03): mirrored (x -> -x)): it is excluded, so it cannot be changed"},
    {"exclusions_leaving_one_specimen",
     [](const fs::path& f) {
         json list = json::array();
         for (std::size_t j = 0; j < 5; ++j)
             list.push_back({{"specimen", j + 1}, {"id", idOf(j)}, {"kind", "exclude"}});
         setCorrections(f, list.dump());
     },
     "field \"corrections[4]\" (specimen 5 (skull05): excluded): the fit needs at least 2 specimens"},
    {"protocol_landmark_beyond_the_shape",
     [](const fs::path& f) { edit(f, [](json& p) { p["protocol"]["lines"][0]["to"] = 7; }); },
     "field \"protocol.lines[0]\": landmark 7 does not exist: the shape has 6 landmarks"},
    {"block_line_beyond_the_protocol",
     [](const fs::path& f) { edit(f, [](json& p) {
                                 p["blocks"]["lists"][1] = json::array({2, 9});
                             }); },
     "field \"blocks.lists[1]\": line 9 is not a line of the protocol, which has 4"},
};

class ProjectRefusals : public ::testing::TestWithParam<Refusal> {};

TEST_P(ProjectRefusals, NameWhatIsWrongAndChangeNothing)
{
    Scenario before;
    tpsWork(before);
    std::string groups = "id,group\n";
    for (std::size_t j = 0; j < kSpecimens; ++j)
        groups += idOf(j) + (j < 3 ? ",a\n" : ",b\n");
    before.load("LoadGroups", "groups.csv", groups);
    before.press("SaveProject", "work.vz6");
    ASSERT_TRUE(before.h.messages.shown().empty()) << before.h.messages.texts()[0];
    GetParam().spoil(before.dir.path());

    Scenario after;  // with work of its own that must stay
    after.loadTps("other.tps", makeTps(5, 8));
    after.load("LoadProto", "other.txt", protocolText({{1, 2}, {3, 8}}));
    after.type("EndBox1", "3");
    const session::Session kept = after.state();
    openIn(after, before.dir.path() / "work.vz6");
    ASSERT_EQ(after.h.messages.texts().size(), 1u);
    const std::string message = after.h.messages.texts()[0];
    EXPECT_NE(message.find("Could not open the project work.vz6."), std::string::npos) << message;
    EXPECT_NE(message.find(GetParam().message), std::string::npos) << message;
    EXPECT_EQ(after.state(), kept);
    EXPECT_EQ(after.box("EndBox1"), "3");
    EXPECT_EQ(mainTitle(after), kBaseTitle);
}

INSTANTIATE_TEST_SUITE_P(Projects, ProjectRefusals, ::testing::ValuesIn(kRefusals),
                         [](const auto& row) { return std::string(row.param.name); });

// The title names the project and shows "*" while it has changes not saved; an edit undone is
// no change, and the quit prompt counts the same numbers.
TEST(Projects, TheTitleNamesTheProjectAndMarksUnsavedChanges)
{
    Scenario s;
    tpsWork(s);
    EXPECT_EQ(mainTitle(s), kBaseTitle);
    s.press("SaveProject", "work.vz6");
    EXPECT_EQ(mainTitle(s), kBaseTitle + " - work");
    EXPECT_FALSE(s.state().revisions.projectChanged());
    EXPECT_FALSE(s.state().revisions.protocolChanged());
    s.type("EndBox1", "1");
    s.type("EndBox2", "3");
    s.press("AddLine");
    EXPECT_EQ(mainTitle(s), kBaseTitle + " - work *");
    EXPECT_TRUE(s.state().revisions.projectChanged());
    s.press("Undo");
    EXPECT_EQ(mainTitle(s), kBaseTitle + " - work");
    s.load("LoadReplicate", "again.tps", tps(0.05));
    EXPECT_EQ(mainTitle(s), kBaseTitle + " - work *");
    s.press("SaveProject", "work.vz6");
    EXPECT_EQ(mainTitle(s), kBaseTitle + " - work");
}

TEST(Projects, SavingWithoutSpecimensIsRefusedWithoutADialog)
{
    Scenario s;
    s.press("SaveProject");
    EXPECT_EQ(s.h.messages.texts(),
              Strings{"No specimens are loaded: a project keeps the work done on a data set, so load one first."});
    EXPECT_EQ(s.h.dialogs.requests().size(), 0u);
}

TEST(Projects, TheDialogsOfferTheProjectFilterAndSuggestTheDataSetsName)
{
    Scenario s;
    tpsWork(s);
    s.press("SaveProject", "work.vz6");
    const platform::FileRequest& save = s.h.dialogs.requests().back();
    EXPECT_EQ(save.filter, "Vezedo6 project (*.vz6)");
    EXPECT_EQ(save.suggestedName, "skulls.vz6");
}
