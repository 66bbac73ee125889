// "SaveLandmarks" and "SaveProtocolMarkups": the loaded landmarks written for other programs,
// as read (SCALE applied when it was), every number in its shortest exact form.
#include <algorithm>
#include <cctype>

#include "controller/actions.h"
#include "io/landmarkwriters.h"

namespace vezedo::controller {

namespace {

constexpr std::string_view kNoSpecimens =
    "No specimens are loaded: load landmarks, a TPS file or a specimen table first.";

bool endsWithNoCase(std::string_view text, std::string_view end)
{
    return text.size() >= end.size() &&
           std::equal(end.begin(), end.end(), text.end() - static_cast<std::ptrdiff_t>(end.size()),
                      [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
}

// How many specimens are written between two progress steps.
constexpr std::size_t kSpecimensPerStep = 500;

// The specimens `first` to `end` (not included) as read, with their IDs.
io::LandmarkTable readTable(const session::Specimens& sp, std::size_t first, std::size_t end)
{
    io::LandmarkTable out{platform::Matrix(end - first, sp.read.cols()), {}, {}};
    for (std::size_t col = 0; col < sp.read.cols(); ++col)
        for (std::size_t j = first; j < end; ++j)
            out.table(j - first, col) = sp.read(j, col);
    for (std::size_t j = first; j < end; ++j)
        out.ids.push_back(sp.id(j));
    // A SCALE that was applied is in the coordinates already and is not written again; one
    // left unapplied is written as the file gave it.
    for (std::size_t j = first; j < end && j < sp.unappliedScales.size(); ++j)
        out.scales.push_back(sp.unappliedScales[j]);
    return out;
}

}  // namespace

void saveLandmarks(Context& c)
{
    const session::Specimens& sp = c.s.specimens;
    if (sp.empty() || sp.read.rows() != sp.count()) {
        c.message(std::string(kNoSpecimens));
        return;
    }
    platform::FileRequest request =
        c.saveRequest("Save landmarks: TPS, or Morphologika for a name ending in .txt", "*.tps", "_landmarks.tps");
    request.moreFilters = {"TPS files (*.tps)", "Morphologika (*.txt)"};
    const auto chosen = c.chooseFile(request);
    if (!chosen)
        return;
    const bool morphologika = endsWithNoCase(chosen->name, ".txt");
    std::string text;
    {
        // The text is made first, under a progress whose Cancel writes nothing.
        ProgressScope progress(c, "Writing the landmarks of " + std::to_string(sp.count()) + " specimens");
        if (morphologika) {
            std::vector<std::array<std::size_t, 2>> wireframe;
            for (const session::ProtocolLine& line : c.s.protocol.lines())
                wireframe.push_back({line.from, line.to});
            c.step(0);
            text = io::morphologikaText(readTable(sp, 0, sp.count()), wireframe);
        } else {
            // A TPS file is its specimens one after the other: made a few hundred at a time.
            for (std::size_t first = 0; first < sp.count(); first += kSpecimensPerStep) {
                c.step(static_cast<double>(first) / static_cast<double>(sp.count()));
                text += io::tpsText(readTable(sp, first, std::min(sp.count(), first + kSpecimensPerStep)));
            }
        }
        c.step(1);
    }
    c.writeOrReport(*chosen, text, morphologika ? "the landmarks as Morphologika" : "the landmarks as TPS");
}

void saveProtocolMarkups(Context& c)
{
    const session::Specimens& sp = c.s.specimens;
    if (sp.empty() || sp.read.rows() != sp.count()) {
        c.message(std::string(kNoSpecimens));
        return;
    }
    platform::Matrix shape;
    std::string listName;
    if (c.controls.specimen().text().find_first_not_of(" \t\r\n") == std::string::npos) {
        shape = sp.mean;
        listName = "mean";
    } else {
        const auto j = namedSpecimen(c);
        if (!j)
            return;
        const std::size_t p = sp.read.cols() / 3;
        shape = platform::Matrix(p, 3);
        for (std::size_t i = 0; i < p; ++i)
            for (std::size_t d = 0; d < 3; ++d)
                shape(i, d) = sp.read(*j, 3 * i + d);
        listName = sp.id(*j);
    }
    std::vector<io::MarkupLine> lines;
    for (const session::ProtocolLine& line : c.s.protocol.lines()) {
        if (line.from < 1 || line.to < 1 || line.from > shape.rows() || line.to > shape.rows()) {
            c.message("The protocol's line " + std::to_string(line.from) + "-" + std::to_string(line.to) +
                      " joins a landmark the specimens do not have: they have " + std::to_string(shape.rows()) + ".");
            return;
        }
        lines.push_back(
            {line.from, line.to,
             line.name.empty() ? "L" + std::to_string(line.from) + "_" + std::to_string(line.to) : line.name});
    }
    const auto chosen = c.chooseFile(
        c.saveRequest("Save protocol for Slicer: " + listName, "*.mrk.json", "_" + listName + ".mrk.json"));
    if (!chosen)
        return;
    c.writeOrReport(*chosen, io::markupsJsonText(listName, shape, sp.landmarkNames, lines),
                    "the protocol on " + listName + " for Slicer");
}

}  // namespace vezedo::controller
