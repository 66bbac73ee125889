#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/runtime.h"
#include "platform/value.h"

namespace vezedo::io {

// What a TPS landmark file holds.
struct TpsData {
    platform::Matrix table;        // k specimens x 3p: x, y, z of landmark 1, then 2, ...
    platform::CellList namelist;   // k + 1 entries: the rest of each header line, then -1
    std::vector<std::string> ids;  // per specimen: its ID= text, else IMAGE=, else its number
};

// Reads TPS text held in memory. Throws a FileFormatError naming the file, the specimen and
// what was expected when the text is no usable 3D TPS data.
TpsData parseTps(std::string_view bytes, std::string_view fileName);

// The file-open dialog of the TPS reader ("*.txt"); nullopt when the user cancelled.
std::optional<platform::FileChoice> chooseTpsFile(platform::Runtime& rt);
// Makes the chosen file's folder current and reads it. Throws UnreadableFile when it cannot
// be read and a FileFormatError when it holds no usable 3D TPS data.
TpsData readChosenTps(const platform::FileChoice& choice);

// The registry's dialog-driven reader: asks for a file, makes its folder current, reads it.
struct TpsLoad {
    platform::Matrix y;     // empty when cancelled or unreadable
    platform::Value fname;  // the chosen name without folder; the number 0 when cancelled
    platform::CellList namelist;
    std::vector<std::string> ids;
};
TpsLoad gettpsfile3D(platform::Runtime& rt);

}  // namespace vezedo::io
