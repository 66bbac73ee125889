#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "platform/matrix.h"

// Landmark files written for other programs to read. Every number is written in its shortest
// form that reads back to the same double, so a file read back gives the coordinates exactly.
namespace vezedo::io {

// Specimens as written: k x 3p (x, y, z of landmark 1, then 2, ...), NaN three times for a
// missing landmark, with one ID per specimen.
struct LandmarkTable {
    platform::Matrix table;
    std::vector<std::string> ids;
    std::vector<std::string> scales;  // per specimen, its SCALE= text; empty for none (TPS only)
};

// TPS: per specimen an `LM3=p` line, its landmarks (a missing one "NA NA NA"), `ID=` and,
// when it has one, `SCALE=`.
std::string tpsText(const LandmarkTable& specimens);

// Morphologika: [individuals], [landmarks], [dimensions] 3, [names], [rawpoints] (a missing
// landmark "-999 -999 -999") and, when there are lines, [wireframe] with their landmark pairs.
std::string morphologikaText(const LandmarkTable& specimens, const std::vector<std::array<std::size_t, 2>>& wireframe);

// A Slicer markups file (LPS) of one shape: a point list of its p x 3 landmarks (a NaN row is a
// missing point) named `names` (or "1", "2", ... when empty), then one line markup per entry of
// `lines`, named by `lineNames`.
struct MarkupLine {
    std::size_t from = 0, to = 0;  // landmark numbers, from 1
    std::string name;
};
std::string markupsJsonText(const std::string& listName, const platform::Matrix& shape,
                            const std::vector<std::string>& names, const std::vector<MarkupLine>& lines);

}  // namespace vezedo::io
