#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/error.h"

// Whole-file reading and safe writing: readers parse a file held in memory; writers never
// leave a half-written or destroyed file behind.
namespace vezedo::io {

// A file that could not be opened or read; the message names it and the reason.
class UnreadableFile : public Error {
public:
    using Error::Error;
};

// The largest landmark file (TPS file, specimen table) and the largest protocol or block
// file that are read; past them a file is refused before any of it is read.
inline constexpr std::uint64_t kMaxLandmarkFileBytes = std::uint64_t{2} << 30;  // 2 GiB
inline constexpr std::uint64_t kMaxSmallFileBytes = std::uint64_t{256} << 20;   // 256 MiB

// The whole content of a text file. Throws UnreadableFile when it cannot be opened or read,
// when it is larger than `maxBytes`, when its first 4 KiB hold a NUL byte (no text file) or
// when it does not fit in memory; the message names the file and the reason.
std::string readFile(const std::string& path, std::uint64_t maxBytes = kMaxLandmarkFileBytes);

// What the thing at `mode` is when it is no regular file: "a folder", "a named pipe", ...
std::string kindOfFile(unsigned mode);

// Writes `content` to a temporary file in the target's folder and renames it over the
// target. On failure the target is left as it was and an Error names the file and reason.
// A target (or a link's target) that exists and is no regular file is refused.
void writeFileAtomically(const std::string& path, std::string_view content);

// Makes `folder` the process's current directory; it stays so. Throws an Error naming the
// folder and the reason when that fails.
void changeDirectory(const std::string& folder);

// The dialog's folder and file name joined into one path.
std::string joinPath(const std::string& folder, const std::string& name);

}  // namespace vezedo::io
