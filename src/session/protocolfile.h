#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/matrix.h"
#include "session/protocol.h"

// The protocol file, shared by protocols and wireframes: one text line per protocol line,
// its stored number and two landmark numbers each followed by a blank ("%i %i %i \n");
// further numbers go on as the format repeats. A protocol without lines is the one line
// "-1 -1 -1 ", the placeholder row, which exists only here.
namespace vezedo::session {

std::string protocolFileText(const Protocol& protocol);

// The protocol held by the table read from a protocol file, checked against a shape of
// `landmarks` landmarks. Throws an Error whose text is the reason, as a sentence, when the
// table is no protocol of that shape.
Protocol protocolFromTable(const platform::Matrix& table, std::size_t landmarks);

// The CSV form of a protocol: the header "name,from,to", then one row per line (its name,
// possibly empty, and its two landmarks); line k is stored with the number k. Written with
// "\n" line ends and a field quoted only when it must be, so a file written by these rules
// reads back and is written again byte for byte.
std::string protocolCsvText(const Protocol& protocol);
// Whether the text starts (after blank lines) with the CSV protocol header, in any letter case
// and with optional blanks around the names.
bool isProtocolCsv(std::string_view text);
// Throws an Error whose text is the reason, naming the line, when the text is no CSV
// protocol of a shape of `landmarks` landmarks. With the landmarks' names, `from` and `to` may
// give a landmark by its name (exactly as the files spell it) instead of its number.
Protocol protocolFromCsv(std::string_view text, std::size_t landmarks, std::string_view fileName,
                         const std::vector<std::string>& landmarkNames = {});

}  // namespace vezedo::session
