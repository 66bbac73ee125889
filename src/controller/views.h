#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "session/session.h"
#include "shape/measurementerror.h"

// What the windows show, computed here by the functions the exports use, so that a number in
// a table, a tooltip and a file cannot disagree.
namespace vezedo::controller {

// The mean over the specimens of a line's length at each specimen's own scale, counting only
// specimens where both ends were measured (an estimated end gives NA in the exports, so it is
// left out here too); nullopt when no specimen has both.
std::optional<double> meanLineLength(const session::Specimens& specimens, const session::ProtocolLine& line);

// One row of the protocol table.
struct ProtocolTableRow {
    std::size_t number = 0;  // from 1
    std::size_t from = 0, to = 0;
    std::string name;
    std::optional<double> meanLength;
    std::string fromLabel{}, toLabel{};  // the ends as landmarkLabel gives them
    bool operator==(const ProtocolTableRow&) const = default;
};
// A landmark as tables and hover texts show it: its number, then its name when the loaded
// files named the landmarks ("3 Nasion").
std::string landmarkLabel(const session::Specimens& specimens, std::size_t landmark);
std::vector<ProtocolTableRow> protocolTableRows(const session::Session& s);
// Row `index` (from 0) of the same table alone, for a view that shows a few rows of many.
ProtocolTableRow protocolTableRow(const session::Session& s, std::size_t index);

// The measurement error of one variable: a protocol line, or the centroid size.
struct MeasurementErrorRow {
    std::string line;                     // the line's number from 1, or "cs" for the centroid size
    std::string name;                     // the line's name; "centroid size" for the centroid size
    std::optional<std::size_t> from, to;  // landmarks from 1; none for the centroid size
    std::size_t n = 0;                    // specimens present in both data sets
    double tem = 0;
    double relativeTem = 0;  // percent of the grand mean
    double percentMe = 0;
    double icc = 0;
    std::string note;  // why the figures mislead, if they do (values of 0, nearly constant)
};

// The rows of a comparison whose variables are the protocol's lines in order, then the
// centroid size, as SaveMeasurementError builds it.
std::vector<MeasurementErrorRow> measurementErrorRows(const shape::ReplicateComparison& comparison,
                                                      const session::Protocol& protocol);

// The specimens as loaded, before any correction: the "Specimen" box and the corrections
// number and name specimens in this order, so that an excluded specimen keeps its number.
const session::Specimens& loadedSpecimens(const session::Session& s);
// Per loaded specimen, whether a correction excludes it.
std::vector<bool> excludedSpecimens(const session::Session& s);
// Where loaded specimen `loaded` (from 0) is among `s.specimens`; nullopt when it is excluded.
std::optional<std::size_t> keptIndex(const session::Session& s, std::size_t loaded);
// The loaded number (from 0) of specimen `kept` of `s.specimens`.
std::size_t loadedIndex(const session::Session& s, std::size_t kept);
// How the corrections are listed: "specimen 7 (skull_07): landmarks 3 and 8 exchanged".
std::string correctionText(const session::Correction& correction);

// IDs as people read them: runs of digits by their value ("skull_9" before "skull_10"),
// leading zeros aside, the rest byte by byte without case (ASCII).
bool naturalIdLess(std::string_view a, std::string_view b);

}  // namespace vezedo::controller
