// Protocols and wireframes as a whole: "LoadWire", "LoadProto", "SaveProtocol", "ShowProto",
// "NewProto".
#include <algorithm>

#include "controller/actions.h"
#include "display/display.h"
#include "io/csv.h"
#include "io/files.h"
#include "io/numeric.h"
#include "platform/error.h"
#include "platform/numtext.h"
#include "platform/textformat.h"
#include "session/protocolfile.h"

namespace vezedo::controller {

using platform::Value;

namespace {

// A file that holds the same line twice (2-5 and 5-2 alike) is loaded as written; the console
// names the repeats, since each is measured twice.
void reportRepeatedLines(Context& c, const session::Protocol& protocol, const std::string& file)
{
    // Each line as its two landmarks, lower first, and its number; sorted, the repeats are
    // neighbours, in the order of their landmarks and then of their numbers.
    struct Ends {
        std::size_t low, high, number;
        auto operator<=>(const Ends&) const = default;
    };
    std::vector<Ends> all;
    all.reserve(protocol.size());
    for (std::size_t i = 0; i < protocol.size(); ++i) {
        const session::ProtocolLine& line = protocol.lines()[i];
        all.push_back({std::min(line.from, line.to), std::max(line.from, line.to), i + 1});
    }
    std::sort(all.begin(), all.end());
    for (std::size_t first = 0, last = 0; first < all.size(); first = last) {
        last = first + 1;
        while (last < all.size() && all[last].low == all[first].low && all[last].high == all[first].high)
            ++last;
        if (last - first < 2)
            continue;
        std::string list;
        for (std::size_t k = first; k < last; ++k)
            list += (k == first ? "" : k + 1 == last ? " and " : ", ") + std::to_string(all[k].number);
        c.rt.console.write(file + ": lines " + list + " all join landmarks " + std::to_string(all[first].low) +
                           " and " + std::to_string(all[first].high) + " (loaded as written)\n");
    }
}

void showLineCount(Context& c)
{
    c.controls.lineCount().setText(platform::integerText(static_cast<double>(c.s.protocol.size())));
}

// "LoadWire" and "LoadProto" differ only in the dialog's filter: the file becomes both the
// protocol and the wireframe, is drawn over the plot, and is named in the main window. A
// file that is no protocol of the shape changes nothing.
void loadProtocolFile(Context& c, std::string_view filter)
{
    const auto choice = io::chooseTableFile(c.rt, filter);
    if (!choice)
        return;
    ProgressScope progress(c, "Loading " + choice->name);
    const auto refuse = [&](const std::string& problem) {
        c.message("Could not load the protocol from " + choice->name + ".\n" + problem);
    };
    session::Protocol loaded;
    try {
        const std::string path = io::joinPath(choice->folder, choice->name);
        std::string bytes;
        try {
            bytes = io::readFile(path, io::kMaxSmallFileBytes);
        } catch (const io::UnreadableFile&) {
            io::changeDirectory(choice->folder);
            throw;
        }
        c.step(0.3);
        loaded = session::isProtocolCsv(bytes)
                     ? session::protocolFromCsv(bytes, c.s.specimens.landmarks(), path, c.s.specimens.landmarkNames)
                     : session::protocolFromTable(io::parseNumericTable(bytes, path), c.s.specimens.landmarks());
        io::changeDirectory(choice->folder);
    } catch (const io::UnreadableFile& e) {
        return refuse("The file could not be opened: " + std::string(e.what()));
    } catch (const FileFormatError& e) {
        c.message("Could not load the protocol.\n" + std::string(e.what()));
        return;
    } catch (const Error& e) {
        return refuse(e.what());
    }
    c.step(0.7);
    reportRepeatedLines(c, loaded, choice->name);
    std::vector<std::string> names;
    for (const session::ProtocolLine& line : loaded.lines())
        if (!line.name.empty())
            names.push_back(line.name);
    if (const std::string formulas = io::formulaLike(names); !formulas.empty())
        c.rt.console.write(choice->name +
                           ": line names a spreadsheet would take for formulas (kept as written): " + formulas + "\n");
    adoptProtocol(c, std::move(loaded), choice->name);
}

}  // namespace

void adoptProtocol(Context& c, session::Protocol loaded, const std::string& name)
{
    clearBlocksOfOldProtocol(c);
    c.s.protocol = std::move(loaded);
    c.s.wireframe = c.s.protocol;
    c.s.protoname = name;
    if (!c.s.protocol.empty()) {
        PlotWindowScope plot(c);
        drawWireframe(c);
    }
    c.controls.protocolText().setText(platform::formatText("Loaded Protocol is : %s", {Value(c.s.protoname)}));
    c.s.lineh.reset();
    showLineCount(c);
    if (!c.s.protocol.empty() && c.controls.showProtocolLines().value() != 0)
        drawProtocolOverlay(c);
    noteUnnumbered(c);
}

void loadWire(Context& c)
{
    loadProtocolFile(c, "*.txt");
}

void loadProto(Context& c)
{
    loadProtocolFile(c, "*.*");
}

namespace {

std::string linesText(const session::Protocol& protocol)
{
    return "the protocol (" + std::to_string(protocol.size()) + (protocol.size() == 1 ? " line)" : " lines)");
}

// The protocol as written now counts as saved, in the form it was written in.
void markProtocolSaved(Context& c, session::ProtocolForm form)
{
    c.s.revisions.savedProtocol = c.s.revisions.protocol;
    c.s.protocolForm = form;
}

}  // namespace

void saveProtocol(Context& c)
{
    platform::FileRequest request =
        c.saveRequest("Please Enter Filename for protocol or Wireframe", "*.txt", "_protocol.txt");
    if (!c.s.protoname.empty())
        request.suggestedName = c.s.protoname;
    const auto chosen = c.chooseFile(request);
    if (!chosen || !c.writeOrReport(*chosen, session::protocolFileText(c.s.protocol), linesText(c.s.protocol)))
        return;
    markProtocolSaved(c, session::ProtocolForm::Plain);
    PlotWindowScope plot(c);
    display::ylabel(c.rt.graphics, Value(platform::formatText("Active Protocal Name: %s", {Value(chosen->name)})));
}

void saveProtocolCsv(Context& c)
{
    const auto chosen = c.chooseFile(c.saveRequest("Save protocol as CSV", "*.csv", "_protocol.csv"));
    if (chosen && c.writeOrReport(*chosen, session::protocolCsvText(c.s.protocol), linesText(c.s.protocol)))
        markProtocolSaved(c, session::ProtocolForm::Csv);
}

void showProto(Context& c)
{
    PlotWindowScope plot(c, PlotWindowScope::IfClosed::OpenNew);
    display::cla(c.rt.graphics);
    display::showshape3D(c.rt.graphics, referenceSet(c), "b*");
    c.s.mf = c.rt.graphics.currentFigure();
    drawAllSpecimens(c);
    const platform::Matrix& reference = c.s.specimens.reference;
    drawLandmarkLabels(c, reference, reference.rows());
    drawWireframe(c);
    if (c.controls.showProtocolLines().value() != 0)
        drawProtocolOverlay(c);
    c.s.lineh.reset();
    noteUnnumbered(c);
}

void newProto(Context& c)
{
    c.controls.lineCount().setText("0");
    clearBlocksOfOldProtocol(c);
    c.s.protocol = session::Protocol();
    c.s.lineh.reset();
    PlotWindowScope plot(c);
    display::ylabel(c.rt.graphics, Value("New Protocol in Use"));
}

}  // namespace vezedo::controller
