#pragma once

#include <cstddef>
#include <functional>

#include "platform/error.h"

namespace vezedo::io {

// How a landmark reader (TPS file, numeric and specimen tables) reads a text held in memory
// or a file.
struct ReadOptions {
    // Threads that parse parts of a large text at once; 0: as many as the machine has.
    std::size_t threads = 0;
    // Texts from this many bytes on are read in parallel; smaller ones by one thread.
    std::size_t parallelFrom = std::size_t{4} << 20;
    // A TPS file larger than this is read this many bytes at a time: the whole specimens of
    // each piece are parsed before the next piece is read, so the text is never held whole.
    std::size_t chunkBytes = std::size_t{32} << 20;
    // Called on the calling thread every few MB with the bytes read so far and the total
    // (never from a worker thread); returning false stops the read, which then throws
    // Cancelled. Empty: no report, at no cost.
    std::function<bool(std::size_t bytesDone, std::size_t bytesTotal)> progress;
};

// A read stopped by its progress hook; nothing was read.
class Cancelled : public Error {
public:
    Cancelled() : Error("the read was cancelled") {}
};

// Bytes between two calls of the progress hook.
inline constexpr std::size_t kProgressStep = std::size_t{4} << 20;

}  // namespace vezedo::io
