#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "io/readoptions.h"
#include "platform/runtime.h"
#include "platform/value.h"

namespace vezedo::io {

// What the lines after a specimen's coordinates say about it, up to the next header.
struct TpsSpecimenInfo {
    std::string id;                    // its ID= text, else IMAGE=, else "specimen<k>"
    bool named = false;                // the id came from ID= or IMAGE=
    std::optional<std::string> scale;  // the text after SCALE=, trimmed
    int scaleLine = 0;                 // the line of that SCALE=
    int headerLine = 0;                // the line of the specimen's LM= header
    std::size_t comments = 0;          // COMMENT= lines
    std::size_t curves = 0;            // curves announced by CURVES=
    std::size_t curvePoints = 0;       // points announced by their POINTS= lines
    bool operator==(const TpsSpecimenInfo&) const = default;
};

// What a TPS landmark file holds. A missing landmark (NA or NaN three times, or -999 or
// -9999 three times) is NaN three times in the table.
struct TpsData {
    platform::Matrix table;        // k specimens x 3p: x, y, z of landmark 1, then 2, ...
    platform::CellList namelist;   // k + 1 entries: the rest of each header line, then -1
    std::vector<std::string> ids;  // per specimen, as in `info`
    std::vector<TpsSpecimenInfo> info;
};

// Reads TPS text held in memory. Throws a FileFormatError naming the file, the specimen and
// what was expected when the text is no usable 3D TPS data, and Cancelled when the progress
// hook of `options` stopped the read. A read in parallel gives what a serial read gives,
// messages included.
TpsData parseTps(std::string_view bytes, std::string_view fileName, const ReadOptions& options = {});

// The file-open dialog of the TPS reader ("*.txt", then TPS files); nullopt when the user cancelled.
inline constexpr std::string_view kTpsDialogTitle = "Specify 3D input file to load";
std::optional<platform::FileChoice> chooseTpsFile(platform::Runtime& rt, std::string_view title = kTpsDialogTitle);
// Makes the chosen file's folder current and reads it. Throws UnreadableFile when it cannot
// be read and a FileFormatError when it holds no usable 3D TPS data.
TpsData readChosenTps(const platform::FileChoice& choice, const ReadOptions& options = {});

// The registry's dialog-driven reader: asks for a file, makes its folder current, reads it.
struct TpsLoad {
    platform::Matrix y;     // empty when cancelled or unreadable
    platform::Value fname;  // the chosen name without folder; the number 0 when cancelled
    platform::CellList namelist;
    std::vector<std::string> ids;
};
TpsLoad gettpsfile3D(platform::Runtime& rt);

}  // namespace vezedo::io
