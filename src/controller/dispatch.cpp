// Dispatch of the actions, and the steps they share: finding controls by tag, making windows
// current, the landmark labels and the protocol overlay.
#include <array>
#include <cmath>
#include <functional>

#include "controller/controller.h"
#include "display/display.h"
#include "io/files.h"
#include "platform/error.h"
#include "platform/numtext.h"
#include "platform/textformat.h"

namespace vezedo::controller {

using platform::Value;

namespace {
constexpr double kLabelOffset = 0.02;
constexpr double kHighlightWidth = 1.5;
}  // namespace

Controller::Controller(platform::Runtime& rt) : m_rt(rt) {}

void Controller::vezedosw(std::span<const Value> inputs)
{
    if (inputs.empty())
        throw Error("Input argument \"action\" is undefined.");
    if (!inputs.front().isString()) {
        message("Lost, Lost, Lost am I! (Fell through case...)");
        return;
    }
    run(inputs.front().string());
}

void Controller::run(std::string_view action)
{
    using Action = void (Controller::*)();
    struct Row {
        std::string_view name;
        Action action;
    };
    // In the order the names are compared; the first exact match runs.
    static const std::array<Row, 26> kActions{{
        {"LoadFile1", &Controller::loadFile1},
        {"LoadFileIMP", &Controller::loadFileImp},
        {"LoadWire", &Controller::loadWire},
        {"LoadProto", &Controller::loadProto},
        {"SaveProtocol", &Controller::saveProtocol},
        {"ShowProto", &Controller::showProto},
        {"NewProto", &Controller::newProto},
        {"ShowLine", &Controller::showLine},
        {"ShowLine2", &Controller::showLine2},
        {"DeleteLine", &Controller::deleteLine},
        {"AddLine", &Controller::addLine},
        {"SaveLengths", &Controller::saveLengths},
        {"ProtoAux", nullptr},
        {"ShowMLine", &Controller::showMLine},
        {"SetBlocks", &Controller::setBlocks},
        {"AddBlocks", &Controller::addBlocks},
        {"ReplotM", &Controller::replotM},
        {"ShowAllBlock", &Controller::showAllBlock},
        {"ShowBlockStructure", &Controller::showBlockStructure},
        {"BlockUp", &Controller::blockUp},
        {"BlockDown", &Controller::blockDown},
        {"BlockEnter", &Controller::blockEnter},
        {"AddLinetoBlock", &Controller::addLinetoBlock},
        {"SaveMatrix", &Controller::saveMatrix},
        {"LoadBlock", &Controller::loadBlock},
        {"ClearTarget", &Controller::clearTarget},
    }};
    for (const Row& row : kActions) {
        if (row.name == action) {
            if (row.action)  // "ProtoAux" does nothing
                (this->*row.action)();
            return;
        }
    }
    message("Lost, Lost, Lost am I! (Fell through case...)");
}

// --- controls ---

std::vector<Handle> Controller::controls(std::string_view tag) const
{
    return m_rt.graphics.findByTag(tag);
}

void Controller::setString(std::string_view tag, const std::string& text)
{
    for (Handle h : controls(tag))
        m_rt.graphics.set(h, "String", Value(text));
}

void Controller::setEnable(std::string_view tag, std::string_view on)
{
    for (Handle h : controls(tag))
        m_rt.graphics.set(h, "Enable", Value(std::string(on)));
}

void Controller::displayHandles(std::string_view name, std::string_view tag)
{
    const std::vector<Handle> found = controls(tag);
    m_rt.console.display(name, Value(Matrix::rowVector(found)));
}

std::string Controller::boxText(std::string_view tag) const
{
    const auto found = controls(tag);
    if (found.empty())
        throw Error("No control of the main window is tagged \"" + std::string(tag) + "\"");
    return m_rt.graphics.get(found.front(), "String").string();
}

double Controller::boxValue(std::string_view tag) const
{
    const auto found = controls(tag);
    if (found.empty())
        throw Error("No control of the main window is tagged \"" + std::string(tag) + "\"");
    return m_rt.graphics.get(found.front(), "Value").scalar();
}

double Controller::boxWholeNumber(std::string_view tag, std::string_view what) const
{
    const std::string text = boxText(tag);
    const Matrix m = platform::parseNumericText(text);
    if (m.numel() != 1 || !std::isfinite(m[0]) || std::floor(m[0]) != m[0])
        throw Error("The box " + std::string(tag) + " holds \"" + text + "\": expected " + std::string(what) +
                    " (one whole number)");
    return m[0];
}

platform::LandmarkSet Controller::referenceSet() const
{
    if (m_state.reference.empty())
        throw Error("There is no shape to draw: load specimens first");
    return platform::LandmarkSet(m_state.reference);
}

// --- windows ---

void Controller::makeCurrent(const std::optional<Handle>& window, std::string_view which)
{
    if (!window)
        throw Error("There is no " + std::string(which) + " yet: load specimens first");
    m_rt.graphics.makeFigureCurrent(*window);
}

Handle Controller::currentAxes()
{
    return m_rt.graphics.currentAxesOrNew();
}

// --- indices ---

std::size_t Controller::landmarkIndex(double landmark) const
{
    const std::size_t p = m_state.reference.rows();
    if (std::floor(landmark) != landmark || landmark < 1 || landmark > static_cast<double>(p)) {
        if (p == 0)
            throw Error("Landmark " + platform::numberToText(landmark) + " does not exist: no shape is loaded");
        throw Error("Landmark " + platform::numberToText(landmark) + " does not exist: the shape has " +
                    std::to_string(p) + " landmarks (1 to " + std::to_string(p) + ")");
    }
    return static_cast<std::size_t>(landmark) - 1;
}

std::size_t Controller::protocolRow(double line) const
{
    const std::size_t m = m_state.proto.rows();
    if (std::floor(line) != line || line < 1 || line > static_cast<double>(m)) {
        if (m == 0)
            throw Error("Line " + platform::numberToText(line) + " does not exist: the protocol has no lines");
        throw Error("Line " + platform::numberToText(line) + " does not exist: the protocol has " + std::to_string(m) +
                    (m == 1 ? " line (1)" : " lines (1 to " + std::to_string(m) + ")"));
    }
    return static_cast<std::size_t>(line) - 1;
}

// --- drawing steps ---

void Controller::drawLandmarkLabels(const Matrix& shape, std::size_t count)
{
    const Handle axes = currentAxes();
    for (std::size_t i = 0; i < count; ++i) {
        const platform::Point3 at{shape(i, 0) + kLabelOffset, shape(i, 1) + kLabelOffset, shape(i, 2) + kLabelOffset};
        m_rt.graphics.text3(axes, at, platform::integerText(static_cast<double>(i + 1)));
    }
}

Handle Controller::drawLineBetween(double a, double b, std::string_view style)
{
    const Matrix& r = m_state.reference;
    const std::size_t ia = landmarkIndex(a), ib = landmarkIndex(b);
    return m_rt.graphics.plot3(currentAxes(), {{r(ia, 0), r(ia, 1), r(ia, 2)}, {r(ib, 0), r(ib, 1), r(ib, 2)}},
                               platform::parseLineSpec(style));
}

bool Controller::hasPlaceholderProtocol() const
{
    const Matrix& p = m_state.proto;
    return p.rows() == 1 && p.cols() >= 3 && p(0, 0) == -1 && p(0, 1) == -1 && p(0, 2) == -1;
}

void Controller::drawProtocolOverlay()
{
    const Matrix& proto = m_state.proto;
    const Matrix& r = m_state.reference;
    if (hasPlaceholderProtocol())
        return;  // nothing to draw
    if (proto.rows() > 0 && proto.cols() < 3)
        throw Error("The protocol has " + std::to_string(proto.cols()) + " columns: a protocol line needs three");
    for (std::size_t i = 0; i < proto.rows(); ++i) {
        drawLineBetween(proto(i, 1), proto(i, 2), "k");
        const std::size_t a = landmarkIndex(proto(i, 1)), b = landmarkIndex(proto(i, 2));
        const platform::Point3 mid{(r(a, 0) + r(b, 0)) / 2, (r(a, 1) + r(b, 1)) / 2, (r(a, 2) + r(b, 2)) / 2};
        const Handle label = m_rt.graphics.text3(currentAxes(), mid, platform::integerText(static_cast<double>(i + 1)));
        m_rt.graphics.set(label, "Color", Value("r"));
    }
}

void Controller::hideHighlight()
{
    // A line whose window the user closed is gone already: nothing to hide.
    if (m_state.lineh && *m_state.lineh != kNoLine && m_rt.graphics.isValid(*m_state.lineh))
        m_rt.graphics.set(*m_state.lineh, "Visible", Value("off"));
}

void Controller::highlight(double a, double b)
{
    const Handle line = drawLineBetween(a, b, "M");
    m_state.lineh = line;
    m_rt.graphics.set(line, "LineWidth", Value(kHighlightWidth));
}

// --- messages and files ---

void Controller::message(const std::string& text)
{
    m_rt.messages.showMessage(text);
}

std::optional<platform::FileChoice> Controller::chooseFile(platform::FileDialogKind kind, std::string_view title)
{
    auto chosen = kind == platform::FileDialogKind::Open ? m_rt.dialogs.openFile("*.txt", title)
                                                         : m_rt.dialogs.saveFile("*.txt", title);
    if (!chosen)
        return std::nullopt;
    try {
        io::changeDirectory(chosen->folder);
    } catch (const Error& e) {
        message("Error on file opening\n" + std::string(e.what()));
        return std::nullopt;
    }
    return chosen;
}

bool Controller::writeOrReport(const platform::FileChoice& file, const std::string& content)
{
    try {
        io::writeFileAtomically(io::joinPath(file.folder, file.name), content);
    } catch (const Error& e) {
        message("Error on file opening\n" + std::string(e.what()));
        return false;
    }
    return true;
}

}  // namespace vezedo::controller
