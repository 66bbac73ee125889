#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vezedo::session {

// The grouping of protocol lines into numbered blocks. Entries past the count may exist
// (a block stored beyond it); only the first `count` blocks are drawn and written.
class BlockStructure {
public:
    // More blocks than any protocol has lines; a larger number is a typing slip.
    static constexpr std::size_t kMaxBlocks = 10000;
    using Lines = std::vector<std::size_t>;  // protocol line numbers; 0 may come from a file

    std::optional<std::size_t> count() const { return m_count; }
    const std::vector<Lines>& blocks() const { return m_blocks; }
    // Block `number` (from 1); empty when never stored.
    const Lines& block(std::size_t number) const;

    // Both throw an Error saying what was wrong when `number` is not from 1 to kMaxBlocks;
    // then nothing changes. `what` names the number in that message.
    void setCount(double number, std::string_view what);
    void store(double number, Lines lines, std::string_view what);

    // The checked form of a block count or number: a whole number from 1 to kMaxBlocks.
    static std::size_t checkedNumber(double number, std::string_view what);

    // Protocol line `line` (from 1) was deleted: it leaves every block, and the lines after it
    // move down by one, as the protocol renumbers them. A 0 from a file stays.
    void removeLine(std::size_t line);
    // Whether any block was set up or stored.
    bool empty() const { return !m_count && m_blocks.empty(); }

    void clear() { *this = BlockStructure(); }
    bool operator==(const BlockStructure&) const = default;

private:
    std::vector<Lines> m_blocks;
    std::optional<std::size_t> m_count;
};

}  // namespace vezedo::session
