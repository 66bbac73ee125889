#pragma once

#include <cstddef>
#include <string>

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

}  // namespace vezedo::session
