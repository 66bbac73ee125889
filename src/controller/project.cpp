// "SaveProject" and "OpenProject": a whole piece of work in one file. The project names the
// data files (with their SHA-256) and keeps what was built on them; opening it reads the
// same files through the same readers and fit, after checking every one of them.
#include <algorithm>
#include <filesystem>

#include "controller/actions.h"
#include "controller/loadsteps.h"
#include "controller/project.h"
#include "io/files.h"
#include "io/landmarkfile.h"
#include "io/sha256.h"
#include "platform/error.h"
#include "platform/textformat.h"
#include "session/projectfile.h"

namespace vezedo::controller {

namespace fs = std::filesystem;
using session::SourceFiles;

namespace {

constexpr std::string_view kFilter = "Vezedo6 project (*.vz6)";

// The boxes and tick boxes whose texts actions read, by tag.
std::vector<Control> projectTexts(const MainControls& m)
{
    return {m.firstLandmark(), m.secondLandmark(), m.activeLine(), m.targetLine(), m.blockCount(),
            m.blockLines(),    m.currentBlock(),   m.specimen(),   m.lineName()};
}
std::vector<Control> projectValues(const MainControls& m)
{
    return {m.showProtocolLines(), m.allSpecimens(), m.applyScale()};
}

std::string readerName(SourceFiles::Reader reader)
{
    switch (reader) {
    case SourceFiles::Reader::Tps:
        return "tps";
    case SourceFiles::Reader::Table:
        return "table";
    case SourceFiles::Reader::Landmarks:
        break;
    }
    return "landmarks";
}

SourceFiles::Reader readerOf(const std::string& name)
{
    if (name == "tps")
        return SourceFiles::Reader::Tps;
    return name == "table" ? SourceFiles::Reader::Table : SourceFiles::Reader::Landmarks;
}

std::string fileName(const std::string& path)
{
    return fs::path(path).filename().string();
}

// A data file as the project names it: its path from the project's folder when there is one.
session::ProjectDataFile describe(const std::string& path, const fs::path& projectFolder, SourceFiles::Reader reader,
                                  bool applyScale)
{
    const std::string bytes = io::readFile(path);
    std::string relative = fs::path(path).lexically_relative(projectFolder).generic_string();
    std::string format = reader == SourceFiles::Reader::Table ? "specimen table" : "TPS";
    if (reader == SourceFiles::Reader::Landmarks)
        format = std::string(io::formatName(io::detectLandmarkFormat(bytes, fileName(path))));
    return {relative.empty() ? path : relative, io::sha256Hex(bytes), format, applyScale};
}

session::ProjectFileSet describe(const SourceFiles& source, const fs::path& projectFolder)
{
    session::ProjectFileSet set{readerName(source.reader), {}};
    for (const std::string& path : source.paths)
        set.files.push_back(describe(path, projectFolder, source.reader, source.applyScale));
    return set;
}

std::optional<session::ProjectView> viewOf(Context& c)
{
    if (!c.s.fighand1 || !c.rt.graphics.isValid(*c.s.fighand1))
        return std::nullopt;
    const platform::Handle axes = c.rt.graphics.currentAxes(*c.s.fighand1);
    const platform::Camera& camera = c.rt.graphics.object(axes).as<platform::AxesData>().camera;
    return session::ProjectView{camera.azimuth, camera.elevation};
}

// The project file's path for a dialog's choice, fixed before any folder change.
std::string chosenPath(const platform::FileChoice& choice)
{
    return absolutePath(choice);
}

// Marks everything the project holds as saved: the project, and the protocol, blocks and
// corrections in it. The corrections CSV is a list for a methods section, not a way to keep
// the work, so a project that holds them leaves nothing of them unsaved.
void markSaved(Context& c, const std::string& path)
{
    session::Revisions& r = c.s.revisions;
    r.savedProtocol = r.protocol;
    r.savedBlocks = r.blocks;
    r.savedCorrections = r.corrections;
    r.savedProject = r.projectMark();
    c.s.project = path;
}

}  // namespace

std::string projectTitle(std::string_view base, const session::Session& s)
{
    if (!s.project)
        return std::string(base);
    std::string title(base);
    title += " - ";
    title += fs::path(*s.project).stem().string();
    if (s.revisions.projectChanged())
        title += " *";
    return title;
}

// How far opening a project has come once its data files are checked, its specimens read and
// fitted, and its replicate too; the corrections, groups and checks of what it names take the rest.
constexpr double kFilesChecked = 0.1;
constexpr double kSpecimensRead = 0.5;
constexpr double kAllRead = 0.9;

void saveProject(Context& c)
{
    if (c.s.specimens.empty() || !c.s.sources.specimens) {
        c.message("No specimens are loaded: a project keeps the work done on a data set, so load one first.");
        return;
    }
    std::string stem = c.s.project ? fs::path(*c.s.project).stem().string() : "";
    if (stem.empty())
        stem = c.s.specimens.file.substr(0, c.s.specimens.file.find_first_of('.'));
    const auto chosen = c.rt.dialogs.choose(
        {platform::FileDialogKind::Save, std::string(kFilter), "Save project", {}, stem.empty() ? "" : stem + ".vz6"});
    if (!chosen)
        return;
    const std::string path = chosenPath(*chosen);
    const fs::path folder = fs::path(path).parent_path();
    session::Project project;
    // The data files are read again for their SHA-256, under a progress whose Cancel writes nothing.
    ProgressScope progress(c, "Saving the project " + chosen->name);
    try {
        c.step(0);
        project.specimens = describe(*c.s.sources.specimens, folder);
        c.step(0.6);
        if (c.s.sources.replicate)
            project.replicate = describe(*c.s.sources.replicate, folder);
        c.step(0.95);
        if (c.s.sources.groups) {
            project.groups = describe(*c.s.sources.groups, folder, SourceFiles::Reader::Tps, false);
            project.groups->format = "groups CSV";
        }
    } catch (const Error& e) {
        c.message("Could not save the project: a data file it names cannot be read any more.\n" +
                  std::string(e.what()));
        return;
    }
    project.protocol = c.s.protocol;
    project.protocolName = c.s.protoname;
    project.protocolForm = c.s.protocolForm == session::ProtocolForm::Csv ? "csv" : "plain";
    project.blockCount = c.s.blocks.count();
    project.blocks = c.s.blocks.blocks();
    for (const Control& control : projectTexts(c.controls))
        project.texts[std::string(control.tag())] = control.text();
    for (const Control& control : projectValues(c.controls))
        project.values[std::string(control.tag())] = control.value() != 0 ? 1 : 0;
    project.view = viewOf(c);
    project.corrections = c.s.corrections;
    std::string text;
    try {
        text = session::projectText(project);
    } catch (const Error& e) {
        c.message("Could not save the project: " + std::string(e.what()) + ".");
        return;
    }
    c.step(1);
    if (!c.writeOrReport(*chosen, text, "the project"))
        return;
    markSaved(c, path);
}

namespace {

// The project's data files as found now: their absolute paths, or a line saying what is wrong.
struct Checked {
    std::vector<std::string> paths;
    std::vector<std::string> problems;
};

void checkFiles(const session::ProjectFileSet& set, const fs::path& folder, Checked& out)
{
    for (const session::ProjectDataFile& f : set.files) {
        const fs::path given(f.path);
        const std::string path = (given.is_absolute() ? given : folder / given).lexically_normal().string();
        out.paths.push_back(path);
        std::string bytes;
        try {
            bytes = io::readFile(path);
        } catch (const Error& e) {
            out.problems.push_back(f.path + ": cannot be read (" + e.what() + ")");
            continue;
        }
        if (io::sha256Hex(bytes) != f.sha256)
            out.problems.push_back(f.path + ": changed since the project was saved (its SHA-256 differs)");
    }
}

std::vector<platform::FileChoice> choicesOf(const std::vector<std::string>& paths)
{
    std::vector<platform::FileChoice> out;
    for (const std::string& path : paths)
        out.push_back({fs::path(path).filename().string(), fs::path(path).parent_path().string()});
    return out;
}

}  // namespace

void openProject(Context& c)
{
    const auto chosen =
        c.rt.dialogs.choose({platform::FileDialogKind::Open, std::string(kFilter), "Open project", {}, {}});
    if (!chosen)
        return;
    const std::string path = chosenPath(*chosen);
    const fs::path folder = fs::path(path).parent_path();
    const std::string refused = "Could not open the project " + chosen->name + ".\n";
    // Reading, fitting and checking take the bar: the data files' SHA-256 the first share, the
    // specimens and the replicate the most; Cancel before the commit changes nothing.
    ProgressScope progress(c, "Opening " + chosen->name);
    session::Project project;
    try {
        session::ProjectControls known;
        for (const Control& control : projectTexts(c.controls))
            known.texts.emplace(control.tag());
        for (const Control& control : projectValues(c.controls))
            known.values.emplace(control.tag());
        project = session::parseProject(io::readFile(path, io::kMaxSmallFileBytes), chosen->name, known);
    } catch (const Error& e) {
        c.message(refused + e.what());
        return;
    }
    if (!project.specimens) {
        c.message(refused + "File " + chosen->name + ": field \"specimens\": missing; a project names its data files.");
        return;
    }
    // Every data file must be there and be the one the work was done on.
    Checked specimenFiles, replicateFiles, groupsFile;
    c.step(0);
    checkFiles(*project.specimens, folder, specimenFiles);
    c.step(kFilesChecked / 2);
    if (project.replicate)
        checkFiles(*project.replicate, folder, replicateFiles);
    if (project.groups)
        checkFiles({"groups", {*project.groups}}, folder, groupsFile);
    c.step(kFilesChecked);
    std::vector<std::string> problems = specimenFiles.problems;
    problems.insert(problems.end(), replicateFiles.problems.begin(), replicateFiles.problems.end());
    problems.insert(problems.end(), groupsFile.problems.begin(), groupsFile.problems.end());
    if (!problems.empty()) {
        std::string text = refused + "Its data files are not as they were when it was saved:";
        for (const std::string& problem : problems)
            text += "\n  " + problem;
        c.message(text + "\nNothing was opened, so that no result comes from other data.");
        return;
    }

    // Everything is read, fitted and checked before anything changes.
    const SourceFiles source{readerOf(project.specimens->reader), specimenFiles.paths,
                             project.specimens->files.front().applyScale};
    const std::vector<platform::FileChoice> choices = choicesOf(source.paths);
    std::optional<LoadedLandmarks> read;
    std::optional<ProgressPart> part(std::in_place, c, kFilesChecked, project.replicate ? kSpecimensRead : kAllRead);
    if (source.reader == SourceFiles::Reader::Landmarks) {
        read = readLandmarkFiles(c, choices, source.applyScale);
    } else {
        auto loaded = source.reader == SourceFiles::Reader::Tps
                          ? readTpsSpecimens(c, choices.front(), source.applyScale)
                          : readTableSpecimens(c, choices.front());
        if (loaded) {
            loaded->specimens.file = choices.front().name;
            read = LoadedLandmarks{std::move(*loaded), {}, choices.front().name};
        }
    }
    if (!read)
        return;
    part.reset();
    c.step(project.replicate ? kSpecimensRead : kAllRead);
    const session::Specimens& specimens = read->loaded.specimens;
    std::optional<std::pair<session::Specimens, SourceFiles>> replicate;
    std::string replicateText;
    if (project.replicate) {
        const SourceFiles rs{readerOf(project.replicate->reader), replicateFiles.paths,
                             project.replicate->files.front().applyScale};
        part.emplace(c, kSpecimensRead, kAllRead);
        auto again = readReplicateFrom(c, choicesOf(rs.paths).front(), rs.reader, rs.applyScale);
        part.reset();
        if (!again)
            return;
        try {
            replicateText = replicateReport(specimens, *again);
        } catch (const Error& e) {
            c.message(e.what());
            return;
        }
        replicate.emplace(std::move(*again), rs);
    }
    // The corrections are made again on the specimens as read, as the actions made them.
    session::Specimens corrected;
    if (!project.corrections.empty()) {
        try {
            corrected = correctedSpecimens(specimens, project.corrections, c.rt.console);
        } catch (const Error& e) {
            c.message(refused + "File " + chosen->name + ": " + e.what());
            return;
        }
    }
    std::optional<std::vector<std::string>> groups;
    if (project.groups) {
        groups = readGroups(c, specimens, groupsFile.paths.front(), fileName(groupsFile.paths.front()));
        if (!groups)
            return;
    }
    const std::size_t p = specimens.mean.rows();
    for (std::size_t i = 0; i < project.protocol.size(); ++i) {
        const session::ProtocolLine& line = project.protocol.lines()[i];
        if (line.from > p || line.to > p) {
            c.message(refused + "File " + chosen->name + ": field \"protocol.lines[" + std::to_string(i) +
                      "]\": landmark " + std::to_string(std::max(line.from, line.to)) +
                      " does not exist: the shape has " + std::to_string(p) + " landmarks");
            return;
        }
    }
    session::BlockStructure blocks;
    try {
        for (std::size_t b = 0; b < project.blocks.size(); ++b) {
            for (const std::size_t line : project.blocks[b])
                if (line > project.protocol.size())
                    throw Error("field \"blocks.lists[" + std::to_string(b) + "]\": line " + std::to_string(line) +
                                " is not a line of the protocol, which has " + std::to_string(project.protocol.size()));
            blocks.store(static_cast<double>(b + 1), project.blocks[b], "a block of the project");
        }
        if (project.blockCount)
            blocks.setCount(static_cast<double>(*project.blockCount), "the number of blocks of the project");
    } catch (const Error& e) {
        c.message(refused + "File " + chosen->name + ": " + e.what());
        return;
    }

    c.step(1);
    // Then it is committed in one go, as the loads do.
    const bool tps = source.reader != SourceFiles::Reader::Table;
    if (source.reader == SourceFiles::Reader::Landmarks) {
        commitLandmarkFiles(c, std::move(*read), source);
    } else {
        Loaded& loaded = read->loaded;
        const double landmarks = static_cast<double>(loaded.facts.landmarks);
        commitSpecimens(c, loaded.description, std::move(loaded.specimens), source);
        if (tps)
            c.rt.console.display("lm", platform::Value(landmarks));
        labelNewPlot(c);
        report(c, loaded.facts);
    }
    if (replicate)
        commitReplicate(c, std::move(replicate->first), std::move(replicate->second), replicateText);
    commitCorrections(c, std::move(project.corrections), std::move(corrected));
    if (groups)
        commitGroups(c, std::move(*groups), fileName(groupsFile.paths.front()), groupsFile.paths.front());
    for (const Control& control : projectValues(c.controls))
        if (const auto at = project.values.find(std::string(control.tag())); at != project.values.end())
            c.rt.graphics.set(control.handles().front(), "Value", platform::Value(at->second));
    c.s.blocks.clear();
    adoptProtocol(c, std::move(project.protocol), project.protocolName);
    c.s.protocolForm = project.protocolForm == "csv" ? session::ProtocolForm::Csv : session::ProtocolForm::Plain;
    c.s.blocks = std::move(blocks);
    c.controls.setBlocksButton().setEnable(!c.s.blocks.count());
    c.controls.loadBlocksButton().setEnable(c.s.blocks.count().has_value());
    for (const Control& control : projectTexts(c.controls))
        if (const auto at = project.texts.find(std::string(control.tag())); at != project.texts.end())
            control.setText(at->second);
    if (project.view && c.s.fighand1 && c.rt.graphics.isValid(*c.s.fighand1)) {
        const platform::Handle axes = c.rt.graphics.currentAxes(*c.s.fighand1);
        platform::Camera camera = c.rt.graphics.object(axes).as<platform::AxesData>().camera;
        camera.azimuth = project.view->azimuth;
        camera.elevation = project.view->elevation;
        c.rt.graphics.setCamera(axes, camera);
    }
    session::Revisions& r = c.s.revisions;
    r.protocol = r.next();
    r.blocks = r.next();
    r.corrections = r.next();
    markSaved(c, path);
    c.status("Opened project " + chosen->name);
}

}  // namespace vezedo::controller
