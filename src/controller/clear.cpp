// "ClearTarget": the protocol and the block structure are discarded and the block controls reset.
#include "controller/actions.h"

namespace vezedo::controller {

void clearTarget(Context& c)
{
    c.s.protocol = session::Protocol();
    c.s.blocks.clear();
    c.controls.lineCount().setText("0");  // the counter always shows the protocol's lines
    c.controls.setBlocksButton().setEnable(true);
    c.controls.blockCount().setText(" ");
    c.controls.blockLines().setText(" ");
    c.controls.loadBlocksButton().setEnable(false);
    c.controls.lineLength().setText(" ");
}

}  // namespace vezedo::controller
