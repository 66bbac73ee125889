#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "controller/context.h"
#include "controller/importreport.h"
#include "io/files.h"
#include "io/tps.h"
#include "session/landmarkdata.h"

// The steps every specimen load takes after reading its file: SCALE, the estimate of missing
// landmarks and the fit, then the commit of the new data set, its plot and its report.
namespace vezedo::controller {

// How far a load has come after each of its steps: reading the files, estimating missing
// landmarks, the fit; drawing the new plot takes the rest.
inline constexpr double kRead = 0.4;
inline constexpr double kEstimated = 0.55;
inline constexpr double kFitted = 0.9;

// A data set read and fitted, ready to replace the loaded one.
struct Loaded {
    session::Specimens specimens;
    ImportFacts facts;
    std::string description;  // for the main window's text
};

// Applies SCALE (when `applyScale`), estimates missing landmarks and fits what a reader gave;
// nullopt, after a message box, when it cannot be used. `fname` names the data in messages.
std::optional<Loaded> fitTpsData(Context& c, io::TpsData read, const std::string& fname, bool applyScale);
// The same for a TPS file or a specimen table (which has no SCALE); the folder becomes current.
std::optional<Loaded> readTpsSpecimens(Context& c, const platform::FileChoice& choice, bool applyScale);
std::optional<Loaded> readTableSpecimens(Context& c, const platform::FileChoice& choice);
// Landmark files of any format as one data set, ready to commit, with the wireframe a file gave.
struct LoadedLandmarks {
    Loaded loaded;
    std::vector<std::array<std::size_t, 2>> wireframe;
    std::string name;  // how messages and the main window name the data set
};
std::optional<LoadedLandmarks> readLandmarkFiles(Context& c, const std::vector<platform::FileChoice>& choices,
                                                 bool applyScale);
// Commits landmark files read: the data set, its plot, its report and a file's wireframe.
void commitLandmarkFiles(Context& c, LoadedLandmarks read, session::SourceFiles source);
// The dialog's choice as an absolute path, so that a project can find it from anywhere.
std::string absolutePath(const platform::FileChoice& choice);

// The steps of a load after reading, on `specimens.read`: the estimate of missing landmarks,
// for a TPS data set the centring and scaling of every specimen (its centroid size), and the
// fit. Fills flags, fitted and mean (and sizes for TPS). Throws an Error, naming a
// specimen by `names[j]`, when the data cannot be completed or fitted. The names are freed
// once the estimates are made, before the fit.
// `step`, when given, hears the fractions kEstimated and kFitted of a load's progress as they pass.
void completeAndFit(session::Specimens& specimens, std::vector<std::string> names, platform::ConsoleService& console,
                    const std::function<void(double)>& step = {});
// p x 3 x k as the fit took them: missing landmarks estimated, and for a TPS data set every
// specimen centred and scaled to unit size. The specimen check fits these itself, as the fit may
// mirror a specimen. Made again from `read` (kept for writing the landmarks out), not stored, so
// a large data set holds two copies of its coordinates, not three; the fitted ones when
// `read` is empty.
platform::LandmarkSet unfittedSpecimens(const session::Specimens& specimens);
// "specimen 7 (skull_07)" for each ID, as messages about the specimens name them.
std::vector<std::string> specimenNames(const std::vector<std::string>& ids);

// Replaces the data set and opens the plot window of its mean shape; `source` names the files read.
void commitSpecimens(Context& c, const std::string& description, session::Specimens specimens,
                     session::SourceFiles source);
// Numbers the landmarks of the new plot window, which becomes `mf`.
void labelNewPlot(Context& c);
// Writes the import report to the console; its first line goes to the "Data set" text.
void report(Context& c, const ImportFacts& facts);

// The message box texts of a load that failed.
std::string loadProblem(const std::string& file, const std::exception& e);
std::string unreadable(const std::string& file, const io::UnreadableFile& e);

}  // namespace vezedo::controller
