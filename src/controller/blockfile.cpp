// The block-structure file: "SaveMatrix" writes it, "LoadBlock" reads it. Line 1 is the
// protocol name and a blank; then one line per block, each number written as " %i ".
#include "controller/actions.h"
#include "controller/blocks.h"
#include "io/files.h"
#include "io/lines.h"
#include "platform/error.h"
#include "platform/numtext.h"

namespace vezedo::controller {

using platform::Value;

std::string blockStructureText(const std::string& protoname, const session::BlockStructure& blocks)
{
    std::string text = protoname + " \n";
    const std::size_t count = blocks.count().value_or(0);
    for (std::size_t k = 1; k <= count; ++k) {
        for (std::size_t line : blocks.block(k))
            text += " " + std::to_string(line) + " ";
        text += '\n';
    }
    return text;
}

std::vector<session::BlockStructure::Lines> parseBlockStructure(std::string_view text, std::size_t protocolLines)
{
    const std::vector<std::string_view> lines = io::splitLines(text);
    if (lines.size() < 2)
        throw Error("The file holds no blocks: after the protocol name on line 1, each line lists one block.");
    const std::size_t count = lines.size() - 1;
    if (count > session::BlockStructure::kMaxBlocks)
        throw Error("The file holds " + std::to_string(count) + " blocks; a block structure has at most " +
                    std::to_string(session::BlockStructure::kMaxBlocks) + ".");
    std::vector<session::BlockStructure::Lines> blocks(count);
    for (std::size_t k = 0; k < count; ++k) {
        try {
            blocks[k] = parseBlockList(lines[k + 1], protocolLines, Zeros::Keep);
        } catch (const Error& e) {
            throw Error("Line " + std::to_string(k + 2) + " (block " + std::to_string(k + 1) + "): " + e.what() + ".");
        }
    }
    return blocks;
}

void saveMatrix(Context& c)
{
    // A file of no blocks would not load back: there is nothing to write yet.
    if (!c.s.blocks.count()) {
        c.message("There are no blocks to save: set up blocks first.");
        return;
    }
    const auto chosen = c.chooseFile(c.saveRequest("Enter Name for Block Structure File", "*.txt", "_blocks.txt"));
    const std::size_t count = c.s.blocks.count().value_or(0);
    if (chosen && c.writeOrReport(*chosen, blockStructureText(c.s.protoname, c.s.blocks),
                                  std::to_string(count) + (count == 1 ? " block" : " blocks")))
        c.s.revisions.savedBlocks = c.s.revisions.blocks;
}

void loadBlock(Context& c)
{
    const auto chosen = c.chooseFile(platform::FileDialogKind::Open, "Enter Name of Block Structure File");
    if (!chosen)
        return;
    std::vector<session::BlockStructure::Lines> blocks;
    try {
        blocks = parseBlockStructure(io::readFile(io::joinPath(chosen->folder, chosen->name), io::kMaxSmallFileBytes),
                                     c.s.protocol.size());
    } catch (const io::UnreadableFile& e) {
        c.message("Could not load the block structure.\n" + std::string(e.what()));
        return;
    } catch (const Error& e) {
        c.message("Could not load the block structure from " + chosen->name + ".\n" + e.what());
        return;
    }
    // Everything is checked before anything is stored: the blocks go to a plot that exists.
    if (!c.s.mf) {
        c.message("Could not load the block structure from " + chosen->name +
                  ".\nThere is no plot window to show it in: load specimens first.");
        return;
    }
    const std::size_t count = blocks.size();
    for (std::size_t k = 0; k < count; ++k)
        c.s.blocks.store(static_cast<double>(k + 1), std::move(blocks[k]), "a block of the file");
    c.s.blocks.setCount(static_cast<double>(count), "the number of blocks in the file");
    c.s.lineh.reset();
    c.rt.graphics.makeFigureCurrent(*c.s.mf);
    c.controls.blockLines().setText("  ");
    c.controls.blockLines().setText(blockText(c.s.blocks, 1));
    c.displayHandles("nh", c.controls.currentBlock());
    c.controls.currentBlock().setText(" 1 ");
    c.controls.blockCount().setText(platform::numberToText(static_cast<double>(count)));
    showBlockStructure(c);
}

}  // namespace vezedo::controller
