// Block-structure files: the first byte is the protocol's line count, the rest the file. The
// blocks read list lines of the protocol only, and written out again they read back the same.
#include "controller/actions.h"
#include "fuzz.h"
#include "platform/error.h"

using namespace vezedo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::size_t protocolLines = data[0];
    std::vector<session::BlockStructure::Lines> blocks;
    try {
        blocks = controller::parseBlockStructure(fuzz::textOf(data + 1, size - 1), protocolLines);
    } catch (const Error&) {
        return 0;
    }
    fuzz::require(!blocks.empty() && blocks.size() <= session::BlockStructure::kMaxBlocks,
                  "a block file holds 1 to kMaxBlocks blocks");
    session::BlockStructure structure;
    for (std::size_t k = 0; k < blocks.size(); ++k) {
        for (std::size_t line : blocks[k])
            fuzz::require(line <= protocolLines, "a block lists lines of the protocol only");
        structure.store(static_cast<double>(k + 1), blocks[k], "a block");
    }
    structure.setCount(static_cast<double>(blocks.size()), "the number of blocks");
    std::vector<session::BlockStructure::Lines> again;
    try {
        again = controller::parseBlockStructure(controller::blockStructureText("fuzz.txt", structure), protocolLines);
    } catch (const Error&) {
        fuzz::require(false, "a saved block structure reads back");
    }
    fuzz::require(again == blocks, "a saved block structure keeps its blocks");
    return 0;
}
