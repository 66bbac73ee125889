#pragma once

#include <optional>
#include <string>

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

// Applies SCALE (as the box says), estimates missing landmarks and fits what a reader gave;
// nullopt, after a message box, when it cannot be used. `fname` names the data in messages.
std::optional<Loaded> fitTpsData(Context& c, io::TpsData read, const std::string& fname);

// Replaces the data set and opens the plot window of its mean shape.
void commitSpecimens(Context& c, const std::string& description, session::Specimens specimens);
// Numbers the landmarks of the new plot window, which becomes `mf`.
void labelNewPlot(Context& c);
// Writes the import report to the console; its first line goes to the "Data set" text.
void report(Context& c, const ImportFacts& facts);

// The message box texts of a load that failed.
std::string loadProblem(const std::string& file, const std::exception& e);
std::string unreadable(const std::string& file, const io::UnreadableFile& e);

}  // namespace vezedo::controller
