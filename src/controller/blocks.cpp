// Block set-up and display: "SetBlocks", "AddBlocks", "ReplotM", "ShowAllBlock",
// "ShowBlockStructure", and the storing rule the block actions share.
#include <array>
#include <cmath>

#include "controller/controller.h"
#include "display/display.h"
#include "platform/error.h"
#include "platform/numtext.h"

namespace vezedo::controller {

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
// Far more blocks than any protocol has lines; a larger number is a typing slip, not a
// request for that much memory.
constexpr double kMaxBlocks = 100000;

}  // namespace

void Controller::storeBlock(double n, std::vector<double> list, std::string_view source)
{
    if (std::floor(n) != n || n < 1 || !std::isfinite(n) || n > kMaxBlocks)
        throw Error("Cannot store block " + platform::numberToText(n) + " (" + std::string(source) +
                    "): block numbers are whole numbers from 1 to " + platform::numberToText(kMaxBlocks));
    const auto index = static_cast<std::size_t>(n);
    if (m_state.block.size() < index)
        m_state.block.resize(index);
    m_state.block[index - 1] = std::move(list);
}

std::vector<double> Controller::blockListFromBox() const
{
    const Matrix m = platform::parseNumericText(boxText("BlockBox"));
    std::vector<double> list;
    for (std::size_t r = 0; r < m.rows(); ++r)
        for (std::size_t c = 0; c < m.cols(); ++c)
            if (m(r, c) != 0)
                list.push_back(m(r, c));
    return list;
}

std::string Controller::blockText(std::size_t n) const
{
    if (n < 1 || n > m_state.block.size() || m_state.block[n - 1].empty())
        return "";
    return platform::numberToText(Matrix::rowVector(m_state.block[n - 1]));
}

void Controller::selectPlotWindowOrNew()
{
    try {
        makeCurrent(m_state.fighand1, "plot window");
    } catch (const Error&) {
        m_state.fighand1 = m_rt.graphics.createFigure();
    }
}

// Protocol line `line` drawn again in a block's style, with its number beside it.
void Controller::drawProtocolLine(double line, std::string_view style, std::string_view labelColor, double width,
                                  std::string_view owner)
{
    const std::size_t m = hasPlaceholderProtocol() ? 0 : m_state.proto.rows();
    if (std::floor(line) != line || line < 1 || line > static_cast<double>(m))
        throw Error(std::string(owner) + " holds line " + platform::numberToText(line) + ", but the protocol has " +
                    (m == 0 ? std::string("no lines") : "lines 1 to " + std::to_string(m)));
    const std::size_t i = static_cast<std::size_t>(line) - 1;
    const Handle h = drawLineBetween(m_state.proto(i, 1), m_state.proto(i, 2), style);
    if (width > 0)
        m_rt.graphics.set(h, "LineWidth", Value(width));
    const Matrix& r = m_state.reference;
    const std::size_t a = landmarkIndex(m_state.proto(i, 1)), b = landmarkIndex(m_state.proto(i, 2));
    const Handle label =
        m_rt.graphics.text3(currentAxes(), {(r(a, 0) + r(b, 0)) / 2, (r(a, 1) + r(b, 1)) / 2, (r(a, 2) + r(b, 2)) / 2},
                            platform::integerText(line));
    m_rt.graphics.set(label, "Color", Value(std::string(labelColor)));
}

void Controller::setBlocks()
{
    const std::string typed = boxText("MaxBlockBox");
    const Matrix count = platform::parseNumericText(typed);
    // A text that is no single number leaves the count empty; storing then stops the action.
    if (count.numel() == 1)
        m_state.nblocks = count[0];
    else
        m_state.nblocks.reset();
    setEnable("SetBlocks", "off");
    displayHandles("nh", "LoadProtoButton");
    setEnable("LoadProtoButton", "on");
    if (!m_state.nblocks)
        throw Error("Cannot set up the blocks: the box MaxBlockBox holds \"" + typed +
                    "\", not a number of blocks (a whole number from 1 up)");
    storeBlock(*m_state.nblocks, {}, "the number of blocks in MaxBlockBox");
    makeCurrent(m_state.fighand1, "plot window");
    drawProtocolOverlay();
    makeCurrent(m_state.mf, "plot window");
}

void Controller::addBlocks()
{
    const std::string typed = boxText("MaxBlockBox");
    const Matrix count = platform::parseNumericText(typed);
    if (count.numel() != 1)
        throw Error("Cannot add a block: the box MaxBlockBox holds \"" + typed +
                    "\", not a number of blocks (a whole number from 1 up)");
    const double n = count[0] + 1;
    m_state.nblocks = n;
    setString("MaxBlockBox", platform::numberToText(n));
    storeBlock(n, {}, "the number of blocks in MaxBlockBox, plus one");
}

void Controller::replotM()
{
    selectPlotWindowOrNew();
    display::cla(m_rt.graphics);
    display::showshape3D(m_rt.graphics, referenceSet(), "b*");
    m_state.mf = m_rt.graphics.currentFigure();
    drawLandmarkLabels(m_state.reference, m_state.reference.rows());
    drawProtocolOverlay();
    m_state.lineh = kNoLine;
    makeCurrent(m_state.mf, "plot window");
}

void Controller::showAllBlock()
{
    const double nb = boxWholeNumber("CurrentBlockBox", "the number of the current block");
    selectPlotWindowOrNew();
    std::vector<double> jlist = blockListFromBox();
    storeBlock(nb, jlist, "the current block in CurrentBlockBox");
    display::cla(m_rt.graphics);
    m_state.lineh = kNoLine;
    drawProtocolOverlay();
    display::showshape3D(m_rt.graphics, referenceSet(), "ro");
    const std::string owner = "Block " + platform::numberToText(nb);
    for (double line : jlist)
        drawProtocolLine(line, "g", "g", kBlockLineWidth, owner);
    makeCurrent(m_state.mf, "plot window");
}

void Controller::showBlockStructure()
{
    selectPlotWindowOrNew();
    display::cla(m_rt.graphics);
    m_state.lineh = kNoLine;
    const platform::LandmarkSet shape = referenceSet();
    display::showshape3D(m_rt.graphics, shape, "r+");
    const std::size_t lines = hasPlaceholderProtocol() ? 0 : m_state.proto.rows();
    for (std::size_t r = 0; r < lines; ++r)
        drawProtocolLine(static_cast<double>(r + 1), "k", "k", 0, "The protocol");
    display::showshape3D(m_rt.graphics, shape, "ro");
    const double nblocks = m_state.nblocks.value_or(0);
    for (std::size_t k = 1; static_cast<double>(k) <= nblocks; ++k) {
        if (k > m_state.block.size())
            break;
        const std::string_view code = blockCode(k);
        for (double line : m_state.block[k - 1])
            drawProtocolLine(line, code, code.substr(0, 1), kBlockLineWidth, "Block " + std::to_string(k));
    }
    makeCurrent(m_state.mf, "plot window");
}

}  // namespace vezedo::controller
