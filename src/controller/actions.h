#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "controller/context.h"
#include "shape/measurementerror.h"

// The actions of the main window, each a short function over the session. The dispatch
// table in dispatch.cpp maps their names to them.
namespace vezedo::controller {

// Specimens
void loadFile1(Context& c);
void loadFileImp(Context& c);
// One landmark file or several of any format the readers know, one specimen per file.
void loadLandmarks(Context& c);
// The loaded specimens as read, written as TPS or Morphologika for other programs.
void saveLandmarks(Context& c);
// One specimen (or the mean shape) with the protocol's lines as a Slicer markups file.
void saveProtocolMarkups(Context& c);
// Projects: the whole work in one file, and the same session again from it.
void saveProject(Context& c);
void openProject(Context& c);
// Protocols and wireframes
void loadWire(Context& c);
void loadProto(Context& c);
// Makes `loaded` the protocol and the wireframe, named `name`, and draws it.
void adoptProtocol(Context& c, session::Protocol loaded, const std::string& name);
void saveProtocol(Context& c);
void showProto(Context& c);
void newProto(Context& c);
void saveProtocolCsv(Context& c);
// Lines
void showLine(Context& c);
void showLine2(Context& c);
void deleteLine(Context& c);
void addLine(Context& c);
void renameLine(Context& c);
// Measures
void saveLengths(Context& c);
void showMLine(Context& c);
void saveLengthsCsv(Context& c);
// The same specimens read again from a file of the loaded kind, fitted on their own, with the
// file it came from; nullopt when cancelled or refused (after a message box).
std::optional<std::pair<session::Specimens, session::SourceFiles>> readReplicate(Context& c);
// The same from a known file through `reader`; nullopt, after a message box, when refused.
std::optional<session::Specimens> readReplicateFrom(Context& c, const platform::FileChoice& choice,
                                                    session::SourceFiles::Reader reader, bool applyScale);
// What the console says of a replicate matched to the loaded specimens; an Error (the message
// box's text) when it cannot be used with them.
std::string replicateReport(const session::Specimens& loaded, const session::Specimens& replicate);
void commitReplicate(Context& c, session::Specimens replicate, session::SourceFiles source, const std::string& report);
// The groups of `specimens` from a groups file; nullopt, after a message box, when refused.
std::optional<std::vector<std::string>> readGroups(Context& c, const session::Specimens& specimens,
                                                   const std::string& path, const std::string& name);
// Gives the loaded specimens their groups (read from `path`, shown as `name`) and says so.
void commitGroups(Context& c, std::vector<std::string> groups, const std::string& name, const std::string& path);
// Quality checks
void checkSpecimens(Context& c);
void saveSpecimenCheck(Context& c);
void saveLineSummary(Context& c);
// A group for every loaded specimen from a CSV of id,group; the check judges each group on its own.
void loadGroups(Context& c);
void loadReplicate(Context& c);
void saveMeasurementError(Context& c);
// The measurement error of every protocol line, then of the centroid size, between the loaded
// specimens and the replicate. Throws an Error saying what is missing (a replicate, protocol
// lines, enough specimens in both).
// `step`, when given, hears how far it has come (0 to 1) now and then.
shape::ReplicateComparison measurementError(const session::Session& s, const std::function<void(double)>& step = {});
// The lengths of every protocol line (outer) in every specimen (inner) at the specimens' own
// scale; nullopt where an end of the line was estimated. `step`, when given, hears the share of
// the specimens done (0 to 1) every few hundred specimens.
std::vector<std::vector<std::optional<double>>> lineLengths(const session::Specimens& specimens,
                                                            const session::Protocol& protocol,
                                                            const std::function<void(double)>& step = {});
// Specimens over the mean
void showSpecimen(Context& c);
// The specimen the "Specimen" box names, by its ID first, else by its number from 1, both in
// the order of the loaded data set (an excluded specimen keeps its number), as an index of
// the specimens in use; nullopt, after a message box saying what the box may hold or that
// the specimen is excluded, when it names none.
std::optional<std::size_t> namedSpecimen(Context& c);
// The same in the loaded order (from 0), excluded specimens included.
std::optional<std::size_t> loadedSpecimen(Context& c);
// Corrections of the loaded specimens, made in place
void exchangeLandmarks(Context& c);
void mirrorSpecimen(Context& c);
void excludeSpecimen(Context& c);
void includeSpecimen(Context& c);
void saveCorrections(Context& c);
// The corrections as the CSV "Save corrections..." writes: id,correction,i,j.
std::string correctionsCsv(const std::vector<session::Correction>& corrections);
// Makes `corrections` the corrections in use: the specimens as loaded with them applied,
// fitted again, and everything shown of them follows. False, after a message box, when the
// corrected data cannot be completed or fitted; then nothing changes.
bool adoptCorrections(Context& c, std::vector<session::Correction> corrections);
// What a change of the corrections leads to, worked out before anything changes: the
// corrections, the specimens they give (nullopt: the specimens as loaded) and the check on view
// made again (nullopt: none is on view).
struct CorrectedState {
    std::vector<session::Correction> corrections;
    std::optional<session::Specimens> specimens;
    std::optional<session::SpecimenCheck> check;
};
// The first half of adoptCorrections, under a progress dialog whose Cancel stops it (Cancelled)
// with nothing changed; nullopt after a message box when the specimens cannot be corrected.
std::optional<CorrectedState> prepareCorrections(Context& c, std::vector<session::Correction> corrections);
// The second half: puts `next` in force and shows it. Takes no step, so it cannot be stopped.
void putCorrections(Context& c, CorrectedState next);
// The specimens `loaded` gives with `corrections` applied, completed and fitted, for corrections
// read from a file: each is checked first against the data set (specimen number and ID, its
// landmarks, an exclusion only of a specimen in use, a change only of one not excluded, two
// specimens kept). Throws an Error naming the correction by its place in the list (from 0).
session::Specimens correctedSpecimens(const session::Specimens& loaded,
                                      const std::vector<session::Correction>& corrections,
                                      platform::ConsoleService& console);
// Puts in force `corrections` and `corrected`, the specimens they give (made by
// correctedSpecimens), right after a load: no refit, nothing left to refuse.
void commitCorrections(Context& c, std::vector<session::Correction> corrections, session::Specimens corrected);
// The specimen check of `specimens`; an Error when it cannot be made.
session::SpecimenCheck runCheck(const Context& c, const session::Specimens& specimens);
// The fitted specimens as grey points, when "Show all specimens" is ticked.
void drawAllSpecimens(Context& c);
// Blocks
void setBlocks(Context& c);
void addBlocks(Context& c);
void replotM(Context& c);
void showAllBlock(Context& c);
void showBlockStructure(Context& c);
void blockUp(Context& c);
void blockDown(Context& c);
void blockEnter(Context& c);
void addLinetoBlock(Context& c);
void saveMatrix(Context& c);
void loadBlock(Context& c);
void clearTarget(Context& c);
// A new or another protocol: blocks that grouped the old one's lines go, with their controls
// as "ClearTarget" leaves them, and the status bar says so.
void clearBlocksOfOldProtocol(Context& c);

// The block-structure file: its text for the first `count` blocks, and the blocks a file
// holds (a check against the protocol is the caller's).
std::string blockStructureText(const std::string& protoname, const session::BlockStructure& blocks);
std::vector<session::BlockStructure::Lines> parseBlockStructure(std::string_view text, std::size_t protocolLines);

// The traditional measures of every specimen: the length of each protocol line at the
// specimen's own scale, then its centroid size, one line per specimen.
std::string traditionalMeasures(const session::Specimens& specimens, const session::Protocol& protocol,
                                const std::function<void(double)>& step = {});
// The same lengths as CSV: a header of "id", the lines' names, "centroid_size" and
// "estimated", then one row per specimen.
std::string lengthsCsv(const session::Specimens& specimens, const session::Protocol& protocol,
                       const std::function<void(double)>& step = {});

}  // namespace vezedo::controller
