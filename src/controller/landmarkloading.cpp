// "LoadLandmarks": specimens from one landmark file or several, of any format the readers
// know, one specimen per file (a file of several specimens adds them all), then the same
// SCALE, completion, fit and report as a TPS load.
#include <string>
#include <vector>

#include "controller/actions.h"
#include "controller/loadsteps.h"
#include "io/files.h"
#include "io/landmarkfile.h"
#include "platform/error.h"

namespace vezedo::controller {

namespace {

constexpr std::string_view kTitle = "Load landmarks: one file or several, one specimen per file";

platform::FileRequest landmarksRequest()
{
    platform::FileRequest request{platform::FileDialogKind::Open,
                                  "*.*",
                                  std::string(kTitle),
                                  {"Slicer markups (*.mrk.json *.fcsv)", "Morphologika (*.txt)",
                                   "Landmark Editor (*.pts)", "MeshLab picked points (*.pp)",
                                   "TPS files (*.tps *.TPS)"},
                                  {}};
    request.multiple = true;
    return request;
}

// How messages and the main window name the data set: its file, or the first and a count.
std::string dataSetName(const std::vector<platform::FileChoice>& choices)
{
    if (choices.size() == 1)
        return choices.front().name;
    return choices.front().name + " and " + std::to_string(choices.size() - 1) + " more files";
}

std::string joined(const std::vector<std::string>& parts)
{
    std::string out;
    for (const std::string& part : parts)
        out += (out.empty() ? "" : ", ") + part;
    return out;
}

}  // namespace

std::optional<LoadedLandmarks> readLandmarkFiles(Context& c, const std::vector<platform::FileChoice>& choices,
                                                 bool applyScale)
{
    // Every file is read and matched before anything changes: one bad file refuses them all.
    io::CombinedLandmarks combined;
    std::string current;
    try {
        std::vector<io::NamedLandmarkFile> files;
        files.reserve(choices.size());
        for (const platform::FileChoice& choice : choices) {
            current = choice.name;
            const std::string bytes = io::readFile(io::joinPath(choice.folder, choice.name));
            files.push_back({choice.name, io::parseLandmarkFile(bytes, choice.name)});
            c.step(kRead * static_cast<double>(files.size()) / static_cast<double>(choices.size()));
        }
        combined = io::combineLandmarkFiles(std::move(files));
    } catch (const io::UnreadableFile& e) {
        c.message(unreadable(current, e));
        return std::nullopt;
    } catch (const std::exception& e) {
        c.message(loadProblem(current, e));
        return std::nullopt;
    }
    const std::string name = dataSetName(choices);
    auto loaded = fitTpsData(c, std::move(combined.data), name, applyScale);
    if (!loaded)
        return std::nullopt;
    try {
        io::changeDirectory(choices.front().folder);
    } catch (const Error& e) {
        c.message(loadProblem(name, e));
        return std::nullopt;
    }
    loaded->specimens.file = name;
    loaded->specimens.landmarkNames = combined.names;
    loaded->facts.format = joined(combined.formats);
    loaded->facts.files = choices.size();
    loaded->facts.landmarkNames = combined.names;
    loaded->facts.reordered = combined.reordered;
    return LoadedLandmarks{std::move(*loaded), std::move(combined.wireframe), name};
}

void commitLandmarkFiles(Context& c, LoadedLandmarks read, session::SourceFiles source)
{
    Loaded& loaded = read.loaded;
    const double p = static_cast<double>(loaded.facts.landmarks);
    commitSpecimens(c, loaded.description, std::move(loaded.specimens), std::move(source));
    c.rt.console.display("lm", platform::Value(p));
    labelNewPlot(c);
    report(c, loaded.facts);
    if (!read.wireframe.empty()) {
        session::Protocol wireframe;
        for (const auto& [from, to] : read.wireframe)
            wireframe.append(from, to);
        adoptProtocol(c, std::move(wireframe), read.name);
        c.rt.console.write("Wireframe: the file's " + std::to_string(read.wireframe.size()) +
                           " lines are now the protocol; no protocol file needs loading\n");
    }
}

void loadLandmarks(Context& c)
{
    const std::vector<platform::FileChoice> choices = c.rt.dialogs.chooseMany(landmarksRequest());
    if (choices.empty())
        return;
    const bool applyScale = c.controls.applyScale().value() != 0;
    session::SourceFiles source{session::SourceFiles::Reader::Landmarks, {}, applyScale};
    for (const platform::FileChoice& choice : choices)
        source.paths.push_back(absolutePath(choice));
    ProgressScope progress(c, "Loading " + dataSetName(choices));
    auto read = readLandmarkFiles(c, choices, applyScale);
    if (!read)
        return;
    commitLandmarkFiles(c, std::move(*read), std::move(source));
}

}  // namespace vezedo::controller
