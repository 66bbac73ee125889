#pragma once

#include <cstddef>
#include <string_view>

#include "session/blockstructure.h"

namespace vezedo::controller {

// The protocol lines of a typed block list: whole numbers separated by blanks, commas,
// semicolons or line breaks (brackets allowed), taken row by row, left to right, each a line of
// a protocol of `protocolLines` lines. A 0 is passed over when
// `zeros` says so and kept otherwise (a block file keeps what it holds). Throws an Error
// naming the first item that is neither.
enum class Zeros { Skip, Keep };
session::BlockStructure::Lines parseBlockList(std::string_view text, std::size_t protocolLines, Zeros zeros);

}  // namespace vezedo::controller
