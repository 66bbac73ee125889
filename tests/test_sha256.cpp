// SHA-256 against the test vectors of FIPS 180-4's examples (and the one-million-'a' message).
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>

#include "io/sha256.h"

using vezedo::io::Sha256;
using vezedo::io::sha256Hex;

namespace {

struct Vector {
    const char* name;
    std::string message;
    const char* digest;
};

const Vector kVectors[] = {
    {"abc", "abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
    {"empty", "", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
    {"two_blocks_448_bits", "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
     "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
    {"one_million_a", std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    // Padding edges: 55 bytes still fit the length in one block, 64 bytes need a second.
    {"fifty_five_a", std::string(55, 'a'), "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318"},
    {"sixty_four_a", std::string(64, 'a'), "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb"},
};

class Sha256Vectors : public ::testing::TestWithParam<Vector> {};

std::string hex(const std::array<std::uint8_t, 32>& digest)
{
    std::string out;
    for (const std::uint8_t b : digest) {
        out += "0123456789abcdef"[b >> 4];
        out += "0123456789abcdef"[b & 15];
    }
    return out;
}

}  // namespace

TEST_P(Sha256Vectors, GivesTheStandardDigest)
{
    EXPECT_EQ(sha256Hex(GetParam().message), GetParam().digest);
}

// The same message fed in uneven pieces (pieces across block ends, a piece of several blocks).
TEST_P(Sha256Vectors, GivesTheSameDigestFedInPieces)
{
    const std::string& m = GetParam().message;
    Sha256 hash;
    std::size_t at = 0, piece = 1;
    while (at < m.size()) {
        const std::size_t take = std::min(piece, m.size() - at);
        hash.update(std::string_view(m).substr(at, take));
        at += take;
        piece = piece * 3 + 1;
    }
    EXPECT_EQ(hex(hash.finish()), GetParam().digest);
}

INSTANTIATE_TEST_SUITE_P(Fips180, Sha256Vectors, ::testing::ValuesIn(kVectors),
                         [](const auto& row) { return std::string(row.param.name); });
