// The steps the actions share: the plot window scope, drawing on the reference shape,
// choosing and writing files.
#include "controller/context.h"

#include <algorithm>
#include <exception>

#include "display/display.h"
#include "io/files.h"
#include "platform/error.h"
#include "platform/numtext.h"

namespace vezedo::controller {

using platform::Handle;
using platform::Matrix;
using platform::Value;

namespace {
constexpr double kLabelOffset = 0.02;
constexpr double kHighlightWidth = 1.5;

platform::Point3 middle(const Matrix& r, std::size_t a, std::size_t b)
{
    return {(r(a, 0) + r(b, 0)) / 2, (r(a, 1) + r(b, 1)) / 2, (r(a, 2) + r(b, 2)) / 2};
}
}  // namespace

void Context::step(double fraction) const
{
    if (progress)
        progress->step(fraction);
}

ProgressScope::ProgressScope(Context& c, std::string what) : m_c(c), m_outer(c.progress), m_what(std::move(what))
{
    // An inner scope only renames the work: its steps fill the part its outer one was given.
    if (m_outer) {
        m_from = m_outer->m_from;
        m_to = m_outer->m_to;
    }
    m_c.rt.progress.begin(m_what);
    m_c.progress = this;
}

ProgressScope::~ProgressScope()
{
    m_c.progress = m_outer;
    m_c.rt.progress.end();
}

void ProgressScope::step(double fraction)
{
    if (m_cancelled || !m_c.rt.progress.advance(mapped(fraction))) {
        m_cancelled = true;
        throw Cancelled{m_what};
    }
}

std::function<bool(std::size_t, std::size_t)> ProgressScope::readerHook(double from, double to)
{
    return [this, from, to](std::size_t done, std::size_t total) {
        const double share = total == 0 ? 1.0 : static_cast<double>(done) / static_cast<double>(total);
        if (!m_cancelled && !m_c.rt.progress.advance(mapped(from + (to - from) * share)))
            m_cancelled = true;
        return !m_cancelled;
    };
}

ProgressPart::ProgressPart(Context& c, double from, double to) : m_progress(c.progress), m_from(0), m_to(1)
{
    if (!m_progress)
        return;
    m_from = m_progress->m_from;
    m_to = m_progress->m_to;
    m_progress->m_from = m_progress->mapped(from);
    m_progress->m_to = m_progress->mapped(to);
}

ProgressPart::~ProgressPart()
{
    if (!m_progress)
        return;
    m_progress->m_from = m_from;
    m_progress->m_to = m_to;
}

void Context::displayHandles(std::string_view name, const Control& control) const
{
    rt.console.display(name, Value(Matrix::rowVector(control.handles())));
}

std::optional<platform::FileChoice> Context::chooseFile(platform::FileDialogKind kind, std::string_view title,
                                                        std::string_view filter) const
{
    return chooseFile(platform::FileRequest{kind, std::string(filter), std::string(title), {}, {}});
}

platform::FileRequest Context::saveRequest(std::string_view title, std::string_view filter,
                                           std::string_view suffix) const
{
    std::string stem = s.specimens.file.substr(0, s.specimens.file.find_last_of('.'));
    if (stem.empty())
        stem = "vezedo6";
    std::vector<std::string> more;
    if (filter == "*.csv")
        more.emplace_back("CSV files (*.csv)");
    else if (filter == "*.txt")
        more.emplace_back("Text files (*.txt)");
    return {platform::FileDialogKind::Save, std::string(filter), std::string(title), std::move(more),
            stem + std::string(suffix)};
}

std::optional<platform::FileChoice> Context::chooseFile(const platform::FileRequest& request) const
{
    auto chosen = rt.dialogs.choose(request);
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

bool Context::writeOrReport(const platform::FileChoice& file, const std::string& content) const
{
    try {
        io::writeFileAtomically(io::joinPath(file.folder, file.name), content);
    } catch (const Error& e) {
        message("Error on file opening\n" + std::string(e.what()));
        return false;
    }
    return true;
}

bool Context::writeOrReport(const platform::FileChoice& file, const std::string& content, std::string_view what) const
{
    if (!writeOrReport(file, content))
        return false;
    status("Saved " + std::string(what) + " to " + file.name);
    return true;
}

PlotWindowScope::PlotWindowScope(Context& c, IfClosed ifClosed) : m_c(c), m_exceptions(std::uncaught_exceptions())
{
    if (!c.s.fighand1) {
        if (ifClosed == IfClosed::Fail)
            throw Error("There is no plot window yet: load specimens first");
        c.s.fighand1 = c.rt.graphics.createFigure();  // no window was ever made: open one
        return;
    }
    c.rt.graphics.makeFigureCurrent(*c.s.fighand1);
}

PlotWindowScope::~PlotWindowScope()
{
    if (std::uncaught_exceptions() > m_exceptions || !m_c.s.mf)
        return;
    try {
        m_c.rt.graphics.makeFigureCurrent(*m_c.s.mf);
    } catch (const Error&) {
        // mf always names a window number, which can always be made current
    }
}

Handle currentAxes(Context& c)
{
    return c.rt.graphics.currentAxesOrNew();
}

platform::LandmarkSet referenceSet(const Context& c)
{
    if (c.s.specimens.reference.empty())
        throw Error("There is no shape to draw: load specimens first");
    return platform::LandmarkSet(c.s.specimens.reference);
}

void drawLandmarkLabels(Context& c, const Matrix& shape, std::size_t count)
{
    const Handle axes = currentAxes(c);
    for (std::size_t i = 0; i < count; ++i) {
        const platform::Point3 at{shape(i, 0) + kLabelOffset, shape(i, 1) + kLabelOffset, shape(i, 2) + kLabelOffset};
        const Handle label = c.rt.graphics.text3(axes, at, platform::integerText(static_cast<double>(i + 1)));
        // The renderer places the number beside its landmark on screen.
        c.rt.graphics.setLabel(label, platform::LabelKind::Landmark, {shape(i, 0), shape(i, 1), shape(i, 2)});
    }
}

Handle drawLineBetween(Context& c, double a, double b, std::string_view style)
{
    const Matrix& r = c.s.specimens.reference;
    const std::size_t ia = c.s.specimens.landmarkRow(a), ib = c.s.specimens.landmarkRow(b);
    return c.rt.graphics.plot3(currentAxes(c), {{r(ia, 0), r(ia, 1), r(ia, 2)}, {r(ib, 0), r(ib, 1), r(ib, 2)}},
                               platform::parseLineSpec(style));
}

void drawLineNumber(Context& c, std::size_t number, std::string_view color, std::optional<Handle> drawn)
{
    const session::ProtocolLine& line = c.s.protocol.line(static_cast<double>(number));
    const Matrix& r = c.s.specimens.reference;
    const platform::Point3 at = middle(r, c.s.specimens.landmarkRow(static_cast<double>(line.from)),
                                       c.s.specimens.landmarkRow(static_cast<double>(line.to)));
    const Handle label = c.rt.graphics.text3(currentAxes(c), at, platform::integerText(static_cast<double>(number)));
    c.rt.graphics.set(label, "Color", Value(std::string(color)));
    c.rt.graphics.setLabel(label, platform::LabelKind::Line, at, drawn);
}

namespace {

// A protocol line and its number at its middle.
void drawNumberedLine(Context& c, std::size_t number, std::string_view style, std::string_view labelColor, double width)
{
    const session::ProtocolLine& line = c.s.protocol.line(static_cast<double>(number));
    const Handle h = drawLineBetween(c, static_cast<double>(line.from), static_cast<double>(line.to), style);
    if (width > 0)
        c.rt.graphics.set(h, "LineWidth", Value(width));
    drawLineNumber(c, number, labelColor, h);
}

}  // namespace

namespace {

std::vector<std::pair<std::size_t, std::size_t>> lineRows(const Context& c, const session::Protocol& lines)
{
    std::vector<std::pair<std::size_t, std::size_t>> ends;
    ends.reserve(lines.size());
    for (const session::ProtocolLine& line : lines.lines())
        ends.emplace_back(c.s.specimens.landmarkRow(static_cast<double>(line.from)),
                          c.s.specimens.landmarkRow(static_cast<double>(line.to)));
    return ends;
}

}  // namespace

void drawWireframe(Context& c)
{
    if (c.s.wireframe.size() <= kMostNumberedLines)
        display::wire3d(c.rt.graphics, c.s.specimens.reference, c.s.wireframe.rows(), "k-");
    else
        display::wireBundle(c.rt.graphics, c.s.specimens.reference, lineRows(c, c.s.wireframe), "k-");
}

void drawProtocolOverlay(Context& c)
{
    if (c.s.protocol.size() > kMostNumberedLines) {
        if (!(c.s.protocol == c.s.wireframe))
            display::wireBundle(c.rt.graphics, c.s.specimens.reference, lineRows(c, c.s.protocol), "k");
        return;
    }
    for (std::size_t i = 1; i <= c.s.protocol.size(); ++i)
        drawNumberedLine(c, i, "k", "r", 0);
}

void noteUnnumbered(Context& c)
{
    const std::size_t m = std::max(c.s.protocol.size(), c.s.wireframe.size());
    if (m <= kMostNumberedLines)
        return;
    std::string note = "The protocol's ";
    note += std::to_string(m);
    note += " lines are drawn as one wire, without line numbers (lines are numbered up to ";
    note += std::to_string(kMostNumberedLines);
    note += ")";
    c.status(note);
}

void drawProtocolLine(Context& c, double line, std::string_view style, std::string_view labelColor, double width,
                      std::string_view owner)
{
    const std::size_t m = c.s.protocol.size();
    if (!c.s.protocol.hasLine(line))
        throw Error(std::string(owner) + " holds line " + platform::numberToText(line) + ", but the protocol has " +
                    (m == 0 ? std::string("no lines") : "lines 1 to " + std::to_string(m)));
    drawNumberedLine(c, static_cast<std::size_t>(line), style, labelColor, width);
}

void hideHighlight(Context& c)
{
    // A line whose window the user closed is gone already: nothing to hide.
    if (c.s.lineh && c.rt.graphics.isValid(*c.s.lineh))
        c.rt.graphics.set(*c.s.lineh, "Visible", Value("off"));
}

void highlight(Context& c, double a, double b)
{
    const Handle line = drawLineBetween(c, a, b, "M");
    c.s.lineh = line;
    c.rt.graphics.set(line, "LineWidth", Value(kHighlightWidth));
}

}  // namespace vezedo::controller
