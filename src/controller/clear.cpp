// "ClearTarget": the protocol and the block structure are discarded and the block controls reset.
#include "controller/controller.h"

namespace vezedo::controller {

void Controller::clearTarget()
{
    m_state.proto = Matrix();
    m_state.block.clear();
    m_state.nblocks.reset();
    setEnable("SetBlocks", "on");
    setString("MaxBlockBox", " ");
    setString("BlockBox", " ");
    setEnable("LoadProtoButton", "off");
    setString("LengthBox", " ");
}

}  // namespace vezedo::controller
