#pragma once

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

// The whole content of a file. Throws UnreadableFile when it cannot be opened or read.
std::string readFile(const std::string& path);

// Writes `content` to a temporary file in the target's folder and renames it over the
// target. On failure the target is left as it was and an Error names the file and reason.
void writeFileAtomically(const std::string& path, std::string_view content);

// Makes `folder` the process's current directory; it stays so. Throws an Error naming the
// folder and the reason when that fails.
void changeDirectory(const std::string& folder);

// The dialog's folder and file name joined into one path.
std::string joinPath(const std::string& folder, const std::string& name);

}  // namespace vezedo::io
