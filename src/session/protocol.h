#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "platform/matrix.h"

namespace vezedo::session {

// One measured line: the number stored with it, its two landmarks and what else a file
// carried on its line.
struct ProtocolLine {
    double stored = 0;     // kept as given; not renumbered when a line goes
    std::size_t from = 0;  // landmark numbers, from 1
    std::size_t to = 0;
    std::vector<double> extra;  // further numbers of a file line, written back as read
    std::string name;           // optional

    bool operator==(const ProtocolLine&) const = default;
};

// The measurement protocol (or a wireframe, which has the same form): lines in order, the
// line number the user sees being the position from 1. A protocol without lines is the
// empty list. Copies share their lines until one of them is edited, so the wireframe and the
// undo steps cost nothing however long the protocol is.
class Protocol {
public:
    Protocol() = default;
    explicit Protocol(std::vector<ProtocolLine> lines)
        : m_lines(std::make_shared<std::vector<ProtocolLine>>(std::move(lines)))
    {
    }

    const std::vector<ProtocolLine>& lines() const { return m_lines ? *m_lines : noLines(); }
    std::size_t size() const { return m_lines ? m_lines->size() : 0; }
    bool empty() const { return size() == 0; }

    // Line `number` (from 1). Throws an Error naming the number and the protocol's lines.
    const ProtocolLine& line(double number) const;
    bool hasLine(double number) const;

    // Appends the line between two landmarks, stored with the number size() + 1.
    void append(std::size_t from, std::size_t to);
    // Removes line `number` (checked as line() checks it); the others keep their stored numbers.
    void remove(double number);
    // Gives line `number` (checked as line() checks it) a name; empty for none.
    void rename(double number, std::string name);

    // The positions (from 0) of the lines joining the two landmarks, in either direction.
    std::vector<std::size_t> linesJoining(std::size_t a, std::size_t b) const;

    // One row per line: stored number, the two landmarks, then the extra numbers (zero
    // where a line has fewer than the widest).
    platform::Matrix rows() const;

    bool operator==(const Protocol& other) const { return m_lines == other.m_lines || lines() == other.lines(); }

private:
    static const std::vector<ProtocolLine>& noLines();
    // The lines, copied first when another protocol shares them.
    std::vector<ProtocolLine>& editableLines();

    std::shared_ptr<std::vector<ProtocolLine>> m_lines;
};

}  // namespace vezedo::session
