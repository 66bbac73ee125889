// Editing the block structure block by block: "BlockUp", "BlockDown", "BlockEnter",
// "AddLinetoBlock".
#include "controller/controller.h"
#include "platform/error.h"
#include "platform/numtext.h"
#include "platform/textformat.h"

namespace vezedo::controller {

using platform::Value;

namespace {

// The number in a box, or nullopt when its text is not exactly one number.
std::optional<double> singleNumber(const std::string& text)
{
    const Matrix m = platform::parseNumericText(text);
    if (m.numel() != 1)
        return std::nullopt;
    return m[0];
}

}  // namespace

void Controller::blockUp()
{
    displayHandles("nh", "CurrentBlockBox");
    const auto cblock = singleNumber(boxText("CurrentBlockBox"));
    if (!cblock || !m_state.nblocks || !(*cblock < *m_state.nblocks))
        return;  // at the last block, or no block to move to
    setString("CurrentBlockBox", platform::formatText("%i", {Value(*cblock + 1)}));
    m_rt.console.display("blist", Value(platform::parseNumericText(boxText("BlockBox"))));
    storeBlock(*cblock, blockListFromBox(), "the current block in CurrentBlockBox");
    setString("BlockBox", "  ");
    setString("BlockBox", blockText(static_cast<std::size_t>(*cblock) + 1));
}

void Controller::blockDown()
{
    displayHandles("nh", "CurrentBlockBox");
    const auto cblock = singleNumber(boxText("CurrentBlockBox"));
    if (!cblock || !(*cblock > 1))
        return;  // at the first block
    setString("CurrentBlockBox", platform::formatText("%i", {Value(*cblock - 1)}));
    storeBlock(*cblock, blockListFromBox(), "the current block in CurrentBlockBox");
    setString("BlockBox", "  ");
    const double shown = *cblock - 1;
    setString("BlockBox", shown >= 1 && shown == static_cast<double>(static_cast<std::size_t>(shown))
                              ? blockText(static_cast<std::size_t>(shown))
                              : "");
}

void Controller::blockEnter()
{
    displayHandles("nh", "CurrentBlockBox");
    const double cblock = boxWholeNumber("CurrentBlockBox", "the number of the current block");
    storeBlock(cblock, blockListFromBox(), "the current block in CurrentBlockBox");
}

void Controller::addLinetoBlock()
{
    const std::string stemp = boxText("BlockBox");
    const std::string stempa = boxText("TargetLineBox");
    m_rt.console.display("stempa", Value(stempa));
    setString("BlockBox", stemp + " " + stempa);
}

}  // namespace vezedo::controller
