#include "session/protocol.h"

#include <algorithm>
#include <cmath>

#include "platform/error.h"
#include "platform/numtext.h"

namespace vezedo::session {

bool Protocol::hasLine(double number) const
{
    return std::floor(number) == number && number >= 1 && number <= static_cast<double>(m_lines.size());
}

const ProtocolLine& Protocol::line(double number) const
{
    if (!hasLine(number)) {
        const std::size_t m = m_lines.size();
        if (m == 0)
            throw Error("Line " + platform::numberToText(number) + " does not exist: the protocol has no lines");
        throw Error("Line " + platform::numberToText(number) + " does not exist: the protocol has " +
                    std::to_string(m) + (m == 1 ? " line (1)" : " lines (1 to " + std::to_string(m) + ")"));
    }
    return m_lines[static_cast<std::size_t>(number) - 1];
}

void Protocol::append(std::size_t from, std::size_t to)
{
    ProtocolLine line;
    line.stored = static_cast<double>(m_lines.size() + 1);
    line.from = from;
    line.to = to;
    m_lines.push_back(std::move(line));
}

void Protocol::remove(double number)
{
    const ProtocolLine& gone = line(number);
    m_lines.erase(m_lines.begin() + (&gone - m_lines.data()));
}

void Protocol::rename(double number, std::string name)
{
    line(number);
    m_lines[static_cast<std::size_t>(number) - 1].name = std::move(name);
}

std::vector<std::size_t> Protocol::linesJoining(std::size_t a, std::size_t b) const
{
    std::vector<std::size_t> found;
    for (std::size_t i = 0; i < m_lines.size(); ++i)
        if ((m_lines[i].from == a && m_lines[i].to == b) || (m_lines[i].from == b && m_lines[i].to == a))
            found.push_back(i);
    return found;
}

platform::Matrix Protocol::rows() const
{
    std::size_t cols = 3;
    for (const ProtocolLine& line : m_lines)
        cols = std::max(cols, 3 + line.extra.size());
    platform::Matrix m(m_lines.size(), m_lines.empty() ? 0 : cols);
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        const ProtocolLine& line = m_lines[i];
        m(i, 0) = line.stored;
        m(i, 1) = static_cast<double>(line.from);
        m(i, 2) = static_cast<double>(line.to);
        for (std::size_t c = 0; c < line.extra.size(); ++c)
            m(i, 3 + c) = line.extra[c];
    }
    return m;
}

}  // namespace vezedo::session
