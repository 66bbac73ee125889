#include "session/blockstructure.h"

#include <cmath>

#include "platform/error.h"
#include "platform/numtext.h"

namespace vezedo::session {

const BlockStructure::Lines& BlockStructure::block(std::size_t number) const
{
    static const Lines kNone;
    return number >= 1 && number <= m_blocks.size() ? m_blocks[number - 1] : kNone;
}

std::size_t BlockStructure::checkedNumber(double number, std::string_view what)
{
    if (!std::isfinite(number) || std::floor(number) != number || number < 1 ||
        number > static_cast<double>(kMaxBlocks))
        throw Error("Cannot store block " + platform::numberToText(number) + " (" + std::string(what) +
                    "): block numbers are whole numbers from 1 to " + std::to_string(kMaxBlocks));
    return static_cast<std::size_t>(number);
}

void BlockStructure::setCount(double number, std::string_view what)
{
    m_count = checkedNumber(number, what);
}

void BlockStructure::store(double number, Lines lines, std::string_view what)
{
    const std::size_t n = checkedNumber(number, what);
    if (m_blocks.size() < n)
        m_blocks.resize(n);
    m_blocks[n - 1] = std::move(lines);
}

void BlockStructure::removeLine(std::size_t line)
{
    for (Lines& lines : m_blocks) {
        std::erase(lines, line);
        for (std::size_t& l : lines)
            if (l > line)
                --l;
    }
}

}  // namespace vezedo::session
