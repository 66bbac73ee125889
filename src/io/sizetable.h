#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "io/readoptions.h"
#include "platform/matrix.h"

namespace vezedo::io {

// A specimen table: one specimen a line, x, y and z of every landmark, then its centroid
// size. When the first field of the first line is neither a number nor a missing code, the
// first field of every line is the specimen's ID.
struct SpecimenTable {
    platform::Matrix table;        // k x (3p + 1); a missing landmark is NaN three times
    std::vector<std::string> ids;  // one per line when the table has an ID column, else empty
};

// Throws a FileFormatError naming the file and line for a line that is not such a row, and
// for a landmark coded missing in only some of its coordinates; Cancelled when the progress
// hook of `options` stopped the read.
SpecimenTable parseSpecimenTable(std::string_view bytes, std::string_view fileName, const ReadOptions& options = {});

// Marks the missing landmarks of a k x 3p (+ more) table: three NaNs, or three equal codes
// -999 or -9999, become three NaNs. Throws a FileFormatError naming the row (as `lineOf`
// gives its line) and landmark when only some coordinates carry a code or one is infinite.
void markMissingLandmarks(platform::Matrix& table, std::size_t landmarks, std::string_view fileName,
                          const std::vector<int>& lineOf);

}  // namespace vezedo::io
