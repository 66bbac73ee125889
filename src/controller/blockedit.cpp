// Editing the block structure block by block: "BlockUp", "BlockDown", "BlockEnter",
// "AddLinetoBlock".
#include "controller/actions.h"
#include "controller/blocks.h"
#include "platform/error.h"
#include "platform/numtext.h"
#include "platform/textformat.h"

namespace vezedo::controller {

using platform::Value;

namespace {

// The number in a box, or nullopt when its text is not exactly one number.
std::optional<double> singleNumber(const std::string& text)
{
    const platform::Matrix m = platform::parseNumericText(text);
    if (m.numel() != 1)
        return std::nullopt;
    return m[0];
}

// Stores the typed list as block `from` and shows block `to`. Nothing moves when the list
// or the block number is refused.
void moveBlock(Context& c, double from, double to)
{
    const std::string what = currentBlockName(c);
    session::BlockStructure::checkedNumber(from, what);
    const auto lines = typedBlockList(c, from);
    if (!lines)
        return;
    c.controls.currentBlock().setText(platform::formatText("%i", {Value(to)}));
    if (to > from)
        c.rt.console.display("blist", Value(platform::parseNumericText(c.controls.blockLines().text())));
    c.s.blocks.store(from, *lines, what);
    c.controls.blockLines().setText("  ");
    c.controls.blockLines().setText(blockText(c.s.blocks, static_cast<std::size_t>(to)));
}

}  // namespace

void blockUp(Context& c)
{
    c.displayHandles("nh", c.controls.currentBlock());
    const auto cblock = singleNumber(c.controls.currentBlock().text());
    const auto count = c.s.blocks.count();
    if (!cblock || !count || !(*cblock < static_cast<double>(*count)))
        return;  // at the last block, or no block to move to
    moveBlock(c, *cblock, *cblock + 1);
}

void blockDown(Context& c)
{
    c.displayHandles("nh", c.controls.currentBlock());
    const auto cblock = singleNumber(c.controls.currentBlock().text());
    if (!cblock || !(*cblock > 1))
        return;  // at the first block
    moveBlock(c, *cblock, *cblock - 1);
}

void blockEnter(Context& c)
{
    c.displayHandles("nh", c.controls.currentBlock());
    const double cblock = c.controls.currentBlock().wholeNumber("the number of the current block");
    const std::string what = currentBlockName(c);
    session::BlockStructure::checkedNumber(cblock, what);
    if (const auto lines = typedBlockList(c, cblock))
        c.s.blocks.store(cblock, *lines, what);
}

void addLinetoBlock(Context& c)
{
    const std::string stemp = c.controls.blockLines().text();
    const std::string stempa = c.controls.targetLine().text();
    c.rt.console.display("stempa", Value(stempa));
    c.controls.blockLines().setText(stemp + " " + stempa);
}

}  // namespace vezedo::controller
