#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// SHA-256 (FIPS 180-4) of bytes held in memory: a project file keeps the digest of every data
// file it names, so that a file changed since cannot pass for the one the work was done on.
namespace vezedo::io {

// Feeds bytes in pieces; the digest is the same as of the pieces joined.
class Sha256 {
public:
    Sha256();
    void update(std::string_view bytes);
    // The digest of everything fed; the object is spent afterwards.
    std::array<std::uint8_t, 32> finish();

private:
    void block(const std::uint8_t* data);

    std::array<std::uint32_t, 8> m_state;
    std::array<std::uint8_t, 64> m_buffer{};
    std::size_t m_buffered = 0;
    std::uint64_t m_length = 0;  // bytes fed
};

// The digest of `bytes` as 64 lower-case hexadecimal digits.
std::string sha256Hex(std::string_view bytes);

}  // namespace vezedo::io
