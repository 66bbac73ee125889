// Block set-up and display: "SetBlocks", "AddBlocks", "ReplotM", "ShowAllBlock",
// "ShowBlockStructure", and the block list shared by the block actions.
#include <array>

#include "controller/actions.h"
#include "controller/blocks.h"
#include "display/display.h"
#include "platform/error.h"
#include "platform/numtext.h"

namespace vezedo::controller {

using platform::Matrix;
using platform::Value;

namespace {

// Line specification of each block; a block past the twelfth takes the colour of the one
// twelve before it.
constexpr std::array<std::string_view, 12> kBlockCodes{"r",  "g",  "b",  "m",  "y",  "c",
                                                       "r:", "g:", "b:", "m:", "y:", "c:"};

std::string_view blockCode(std::size_t block)
{
    return kBlockCodes[(block - 1) % kBlockCodes.size()];
}

constexpr double kBlockLineWidth = 1.5;

platform::LegendEntry legendRow(const std::string& text, std::string_view code)
{
    const platform::LineSpec style = platform::parseLineSpec(code);
    return {text, style.color.value_or(platform::Rgb{}), style.style.value_or(platform::LineStyle::Solid),
            kBlockLineWidth};
}

std::string countRule()
{
    return "a whole number from 1 to " + std::to_string(session::BlockStructure::kMaxBlocks);
}

}  // namespace

std::optional<session::BlockStructure::Lines> typedBlockList(Context& c, double block)
{
    try {
        return parseBlockList(c.controls.blockLines().text(), c.s.protocol.size(), Zeros::Skip);
    } catch (const Error& e) {
        c.message("Block " + platform::numberToText(block) + " was not stored: " + e.what() + ".");
        return std::nullopt;
    }
}

std::string currentBlockName(const Context& c)
{
    return "the current block in " + std::string(c.controls.currentBlock().tag());
}

std::string blockText(const session::BlockStructure& blocks, std::size_t number)
{
    const session::BlockStructure::Lines& lines = blocks.block(number);
    if (lines.empty())
        return "";
    std::vector<double> values(lines.begin(), lines.end());
    return platform::numberToText(Matrix::rowVector(values));
}

void setBlocks(Context& c)
{
    const std::string typed = c.controls.blockCount().text();
    const Matrix count = platform::parseNumericText(typed);
    c.controls.setBlocksButton().setEnable(false);
    c.displayHandles("nh", c.controls.loadBlocksButton());
    c.controls.loadBlocksButton().setEnable(true);
    const std::string what = "Cannot set up the blocks: the box " + std::string(c.controls.blockCount().tag()) +
                             " holds \"" + typed + "\", not a number of blocks (" + countRule() + ")";
    if (count.numel() != 1)
        throw Error(what);
    try {
        session::BlockStructure::checkedNumber(count[0], "the number of blocks");
    } catch (const Error&) {
        throw Error(what);
    }
    c.s.blocks.setCount(count[0], "the number of blocks");
    c.s.blocks.store(count[0], {}, "the number of blocks");
    PlotWindowScope plot(c);
    drawProtocolOverlay(c);
}

void addBlocks(Context& c)
{
    const std::string typed = c.controls.blockCount().text();
    const Matrix count = platform::parseNumericText(typed);
    const std::string box = "the box " + std::string(c.controls.blockCount().tag()) + " holds \"" + typed + "\"";
    if (count.numel() != 1)
        throw Error("Cannot add a block: " + box + ", not a number of blocks (" + countRule() + ")");
    const double n = count[0] + 1;
    try {
        session::BlockStructure::checkedNumber(n, "the new number of blocks");
    } catch (const Error&) {
        throw Error("Cannot add a block: " + box + ", and one more block would make " + platform::numberToText(n) +
                    ", not a number of blocks (" + countRule() + ")");
    }
    c.s.blocks.setCount(n, "the new number of blocks");
    c.controls.blockCount().setText(platform::numberToText(n));
    c.s.blocks.store(n, {}, "the new number of blocks");
}

void replotM(Context& c)
{
    PlotWindowScope plot(c, PlotWindowScope::IfClosed::OpenNew);
    display::cla(c.rt.graphics);
    display::showshape3D(c.rt.graphics, referenceSet(c), "b*");
    c.s.mf = c.rt.graphics.currentFigure();
    drawAllSpecimens(c);
    drawLandmarkLabels(c, c.s.specimens.reference, c.s.specimens.reference.rows());
    drawProtocolOverlay(c);
    c.s.lineh.reset();
}

void showAllBlock(Context& c)
{
    const double nb = c.controls.currentBlock().wholeNumber("the number of the current block");
    const std::string what = currentBlockName(c);
    session::BlockStructure::checkedNumber(nb, what);
    const auto lines = typedBlockList(c, nb);
    if (!lines)
        return;
    PlotWindowScope plot(c, PlotWindowScope::IfClosed::OpenNew);
    c.s.blocks.store(nb, *lines, what);
    display::cla(c.rt.graphics);
    c.s.lineh.reset();
    drawProtocolOverlay(c);
    display::showshape3D(c.rt.graphics, referenceSet(c), "ro");
    const std::string owner = "Block " + platform::numberToText(nb);
    c.rt.graphics.setLegend(currentAxes(c), {legendRow(owner, "g")});
    for (std::size_t line : *lines)
        drawProtocolLine(c, static_cast<double>(line), "g", "g", kBlockLineWidth, owner);
}

void showBlockStructure(Context& c)
{
    PlotWindowScope plot(c, PlotWindowScope::IfClosed::OpenNew);
    display::cla(c.rt.graphics);
    c.s.lineh.reset();
    const platform::LandmarkSet shape = referenceSet(c);
    display::showshape3D(c.rt.graphics, shape, "r+");
    for (std::size_t r = 1; r <= c.s.protocol.size(); ++r)
        drawProtocolLine(c, static_cast<double>(r), "k", "k", 0, "The protocol");
    display::showshape3D(c.rt.graphics, shape, "ro");
    const std::size_t count = std::min(c.s.blocks.count().value_or(0), c.s.blocks.blocks().size());
    // A legend names each block's colour; blocks past the twelfth share the rows of earlier ones.
    std::vector<platform::LegendEntry> legend;
    for (std::size_t k = 1; k <= std::min(count, kBlockCodes.size()); ++k) {
        std::string text = "Block " + std::to_string(k);
        for (std::size_t same = k + kBlockCodes.size(); same <= count; same += kBlockCodes.size())
            text += ", " + std::to_string(same);
        legend.push_back(legendRow(text, blockCode(k)));
    }
    c.rt.graphics.setLegend(currentAxes(c), std::move(legend));
    for (std::size_t k = 1; k <= count; ++k) {
        const std::string_view code = blockCode(k);
        for (std::size_t line : c.s.blocks.block(k))
            drawProtocolLine(c, static_cast<double>(line), code, code.substr(0, 1), kBlockLineWidth,
                             "Block " + std::to_string(k));
    }
}

}  // namespace vezedo::controller
