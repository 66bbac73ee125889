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

// Read as parseNumericTable reads a table (io/numeric.cpp reads both), except that the first
// field of each line is its ID when the first line with anything but blanks, tabs, commas
// and CRs on it leads with neither a number nor NA; an ID ends at a blank, tab, comma or CR,
// and a comma right after it is passed over. With 3p + 1 columns, three NaNs or three equal
// codes -999 or -9999 in a landmark's x, y and z become three NaNs.
// Throws a FileFormatError naming the file and line for a line that is not such a row (a line
// with an ID and no numbers included), and, once the rest has been read, for a landmark coded
// missing in only some of its coordinates or with an infinite coordinate; Cancelled when the
// progress hook of `options` stopped the read.
SpecimenTable parseSpecimenTable(std::string_view bytes, std::string_view fileName, const ReadOptions& options = {});

}  // namespace vezedo::io
