#pragma once

// What the fuzz targets share: the input as text, and a failed check that libFuzzer sees as
// a crash. A reader refusing its input with a vezedo::Error is a normal outcome; any other
// exception leaves the target uncaught and aborts the run.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace vezedo::fuzz {

inline std::string_view textOf(const std::uint8_t* data, std::size_t size)
{
    return {reinterpret_cast<const char*>(data), size};
}

// Stops the run, saying which promise of the reader did not hold.
inline void require(bool holds, const char* promise)
{
    if (holds)
        return;
    std::fprintf(stderr, "Broken promise: %s\n", promise);
    std::abort();
}

}  // namespace vezedo::fuzz
