#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/error.h"

// File reading and safe writing: readers parse a file held in memory or read piece by piece;
// writers never leave a half-written or destroyed file behind.
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

// A text file read piece by piece, so that a reader need not hold all of it at once. Opening
// makes readFile's checks (a regular file, at most `maxBytes`, no NUL byte in its first
// 4 KiB) and throws UnreadableFile as it does.
class TextFileReader {
public:
    explicit TextFileReader(const std::string& path, std::uint64_t maxBytes = kMaxLandmarkFileBytes);
    ~TextFileReader();
    TextFileReader(const TextFileReader&) = delete;
    TextFileReader& operator=(const TextFileReader&) = delete;

    // The size when the file was opened; no more than that is read.
    std::uint64_t size() const { return m_size; }
    // Reads up to `most` further bytes into `into` and returns how many; 0 at the end (also
    // when the file shrank while it was read). Throws UnreadableFile when a read fails.
    std::size_t read(char* into, std::size_t most);
    // The bytes not read yet, all at once.
    std::string rest();

private:
    std::string m_path;
    int m_fd = -1;
    std::uint64_t m_size = 0;
    std::uint64_t m_done = 0;  // bytes handed out
    std::string m_head;        // the first 4 KiB, read on opening to look for a NUL byte
};

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
