// Picking and editing single lines: "ShowLine", "ShowLine2", "DeleteLine", "AddLine",
// "RenameLine".
#include <cmath>

#include "controller/actions.h"
#include "controller/blocks.h"
#include "platform/error.h"
#include "platform/numtext.h"

namespace vezedo::controller {

using platform::Matrix;
using platform::Value;

namespace {

void highlightProtocolLine(Context& c, double number)
{
    const session::ProtocolLine& line = c.s.protocol.line(number);
    highlight(c, static_cast<double>(line.from), static_cast<double>(line.to));
}

}  // namespace

void showLine(Context& c)
{
    c.rt.console.display("stemp", Value("here"));
    hideHighlight(c);
    const double b1 = c.controls.firstLandmark().wholeNumber("a landmark number");
    c.rt.console.display("stemp", Value(c.controls.secondLandmark().text()));
    const double b2 = c.controls.secondLandmark().wholeNumber("a landmark number");
    PlotWindowScope plot(c);
    highlight(c, b1, b2);
}

void showLine2(Context& c)
{
    hideHighlight(c);
    const double line = c.controls.activeLine().wholeNumber("a protocol line number");
    c.s.protocol.line(line);  // checked before the plot window is touched
    PlotWindowScope plot(c);
    highlightProtocolLine(c, line);
}

void deleteLine(Context& c)
{
    const double i = c.controls.activeLine().wholeNumber("a protocol line number");
    if (!c.s.protocol.hasLine(i)) {
        c.message("Deleted Value is outside of the number of points in the protocol");
        return;
    }
    c.s.protocol.remove(i);
    // The blocks follow their lines: the deleted one leaves them, later ones are renumbered.
    c.s.blocks.removeLine(static_cast<std::size_t>(i));
    if (const auto count = c.s.blocks.count()) {
        const platform::Matrix current = platform::parseNumericText(c.controls.currentBlock().text());
        if (current.numel() == 1 && current[0] >= 1 && current[0] <= static_cast<double>(*count) &&
            std::floor(current[0]) == current[0])
            c.controls.blockLines().setText(blockText(c.s.blocks, static_cast<std::size_t>(current[0])));
    }
    c.controls.lineCount().setText(platform::numberToText(static_cast<double>(c.s.protocol.size())));
    c.s.wireframe = c.s.protocol;
    showProto(c);
}

void addLine(Context& c)
{
    const double b1 = c.controls.firstLandmark().wholeNumber("a landmark number");
    const double b2 = c.controls.secondLandmark().wholeNumber("a landmark number");
    // Check the ends before the protocol changes, so a bad number leaves it as it was.
    const std::size_t a = c.s.specimens.landmarkRow(b1) + 1, b = c.s.specimens.landmarkRow(b2) + 1;
    if (a == b) {
        c.message("Line Not added: it would join landmark " + std::to_string(a) +
                  " to itself, and a line needs two different landmarks");
        return;
    }
    const std::vector<std::size_t> matches = c.s.protocol.linesJoining(a, b);
    for (std::size_t i : matches) {
        const session::ProtocolLine& line = c.s.protocol.lines()[i];
        // A line stored both ways round matches twice, as the two tests find it.
        const Value shown(Matrix::rowVector({b1, static_cast<double>(line.from), b2, static_cast<double>(line.to)}));
        c.rt.console.display("ans", shown);
        if (line.from == line.to)
            c.rt.console.display("ans", shown);
    }
    if (!matches.empty()) {
        c.message("Line Not added, since it is already in protocol");
        return;
    }
    const bool first = c.s.protocol.empty();
    c.s.protocol.append(a, b);
    if (first)
        c.rt.console.display("proto", Value(c.s.protocol.rows()));
    c.controls.lineCount().setText(platform::numberToText(static_cast<double>(c.s.protocol.size())));
    {
        // The new line is drawn as the overlay draws every line: with its number.
        PlotWindowScope plot(c);
        const platform::Handle drawn = drawLineBetween(c, b1, b2, "k");
        drawLineNumber(c, c.s.protocol.size(), "r", drawn);
    }
    if (c.s.lineh) {
        hideHighlight(c);
        c.s.lineh.reset();
    }
}

// The line under "Protocol line number" takes the name under "Line name" (empty for none).
void renameLine(Context& c)
{
    const double number = c.controls.activeLine().wholeNumber("a protocol line number");
    if (!c.s.protocol.hasLine(number)) {
        c.message("Line " + platform::numberToText(number) + " cannot be named: the protocol has " +
                  std::to_string(c.s.protocol.size()) + " lines.");
        return;
    }
    std::string name = c.controls.lineName().text();
    if (name.find_first_of("\r\n") != std::string::npos) {
        c.message("A line name is one line of text: \"" + name.substr(0, name.find_first_of("\r\n")) +
                  "\" is followed by a line break.");
        return;
    }
    c.s.protocol.rename(number, name);
    c.status(name.empty() ? "Line " + platform::numberToText(number) + " has no name now"
                          : "Line " + platform::numberToText(number) + " named \"" + name + "\"");
}

}  // namespace vezedo::controller
