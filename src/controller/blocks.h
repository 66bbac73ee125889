#pragma once

#include <optional>
#include <string>

#include "controller/blocklist.h"
#include "controller/context.h"

namespace vezedo::controller {

// The lines typed into the block list for block `block`; nullopt, after a message box naming
// the bad item, when the list holds something that is no line of the protocol.
std::optional<session::BlockStructure::Lines> typedBlockList(Context& c, double block);
// "the current block in <its box>", for errors about its number.
std::string currentBlockName(const Context& c);
// Block `number` as box text; empty when it holds no lines.
std::string blockText(const session::BlockStructure& blocks, std::size_t number);

}  // namespace vezedo::controller
