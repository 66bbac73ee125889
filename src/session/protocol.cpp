#include "session/protocol.h"

#include <algorithm>
#include <cmath>

#include "platform/error.h"
#include "platform/numtext.h"

namespace vezedo::session {

const std::vector<ProtocolLine>& Protocol::noLines()
{
    static const std::vector<ProtocolLine> none;
    return none;
}

std::vector<ProtocolLine>& Protocol::editableLines()
{
    if (!m_lines || m_lines.use_count() > 1)
        m_lines = std::make_shared<std::vector<ProtocolLine>>(lines());
    return *m_lines;
}

bool Protocol::hasLine(double number) const
{
    return std::floor(number) == number && number >= 1 && number <= static_cast<double>(size());
}

const ProtocolLine& Protocol::line(double number) const
{
    if (!hasLine(number)) {
        const std::size_t m = size();
        if (m == 0)
            throw Error("Line " + platform::numberToText(number) + " does not exist: the protocol has no lines");
        throw Error("Line " + platform::numberToText(number) + " does not exist: the protocol has " +
                    std::to_string(m) + (m == 1 ? " line (1)" : " lines (1 to " + std::to_string(m) + ")"));
    }
    return lines()[static_cast<std::size_t>(number) - 1];
}

void Protocol::append(std::size_t from, std::size_t to)
{
    ProtocolLine line;
    line.stored = static_cast<double>(size() + 1);
    line.from = from;
    line.to = to;
    editableLines().push_back(std::move(line));
}

void Protocol::remove(double number)
{
    line(number);
    std::vector<ProtocolLine>& all = editableLines();
    all.erase(all.begin() + (static_cast<std::ptrdiff_t>(number) - 1));
}

void Protocol::rename(double number, std::string name)
{
    line(number);
    editableLines()[static_cast<std::size_t>(number) - 1].name = std::move(name);
}

std::vector<std::size_t> Protocol::linesJoining(std::size_t a, std::size_t b) const
{
    std::vector<std::size_t> found;
    const std::vector<ProtocolLine>& all = lines();
    for (std::size_t i = 0; i < all.size(); ++i)
        if ((all[i].from == a && all[i].to == b) || (all[i].from == b && all[i].to == a))
            found.push_back(i);
    return found;
}

platform::Matrix Protocol::rows() const
{
    const std::vector<ProtocolLine>& all = lines();
    std::size_t cols = 3;
    for (const ProtocolLine& line : all)
        cols = std::max(cols, 3 + line.extra.size());
    platform::Matrix m(all.size(), all.empty() ? 0 : cols);
    for (std::size_t i = 0; i < all.size(); ++i) {
        const ProtocolLine& line = all[i];
        m(i, 0) = line.stored;
        m(i, 1) = static_cast<double>(line.from);
        m(i, 2) = static_cast<double>(line.to);
        for (std::size_t c = 0; c < line.extra.size(); ++c)
            m(i, 3 + c) = line.extra[c];
    }
    return m;
}

}  // namespace vezedo::session
