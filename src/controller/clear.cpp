// "ClearTarget": the protocol and the block structure are discarded and the block controls reset.
#include "controller/actions.h"

namespace vezedo::controller {

namespace {

void resetBlocks(Context& c)
{
    c.s.blocks.clear();
    c.controls.setBlocksButton().setEnable(true);
    c.controls.blockCount().setText(" ");
    c.controls.blockLines().setText(" ");
    c.controls.loadBlocksButton().setEnable(false);
}

}  // namespace

void clearTarget(Context& c)
{
    c.s.protocol = session::Protocol();
    resetBlocks(c);
    c.controls.lineCount().setText("0");  // the counter always shows the protocol's lines
    c.controls.lineLength().setText(" ");
}

void clearBlocksOfOldProtocol(Context& c)
{
    if (c.s.blocks.empty())
        return;
    resetBlocks(c);
    c.status("Blocks cleared: they grouped the lines of the protocol before");
}

}  // namespace vezedo::controller
