// The traditional measures file ("SaveLengths") and "ShowMLine".
#include <charconv>
#include <cmath>
#include <functional>
#include <limits>
#include <optional>
#include <set>

#include "controller/actions.h"
#include "io/csv.h"
#include "platform/error.h"
#include "platform/textformat.h"
#include "shape/quality.h"

namespace vezedo::controller {

using platform::Value;

namespace {

// " %f " of one number, as the formatter writes it, without its per-call cost; " NA " for
// a length that cannot be measured.
void appendFixed(std::string& out, double v, bool lineEnd)
{
    out += ' ';
    if (std::isnan(v)) {
        out += "NA";
    } else if (std::isfinite(v)) {
        char buf[400];
        const auto result = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 6);
        out.append(buf, result.ptr);
    } else {
        out += platform::formatText("%f", {Value(v)});
    }
    out += lineEnd ? " \n" : " ";
}

// Every protocol line's two landmark rows, checked against the specimens.
std::vector<std::size_t> lineEnds(const session::Protocol& protocol, std::size_t p)
{
    std::vector<std::size_t> ends(2 * protocol.size());
    for (std::size_t i = 0; i < protocol.size(); ++i) {
        const session::ProtocolLine& line = protocol.lines()[i];
        for (std::size_t c = 0; c < 2; ++c) {
            const std::size_t v = c == 0 ? line.from : line.to;
            if (v < 1 || v > p)
                throw Error("Protocol line " + std::to_string(i + 1) + " names landmark " + std::to_string(v) +
                            ", but the specimens have landmarks 1 to " + std::to_string(p));
            ends[2 * i + c] = v - 1;
        }
    }
    return ends;
}

// The lengths of every line in one specimen at its own scale, NaN where an end of the line
// was estimated rather than measured.
class Lengths {
public:
    Lengths(const session::Specimens& specimens, const session::Protocol& protocol)
        : m_s(specimens), m_ends(lineEnds(protocol, specimens.fitted.landmarks())),
          m_missing(specimens.fitted.landmarks(), false)
    {
    }

    void of(std::size_t j, std::vector<double>& out)
    {
        const std::vector<std::size_t>* estimated =
            j < m_s.flags.size() && !m_s.flags[j].estimated.empty() ? &m_s.flags[j].estimated : nullptr;
        if (estimated)
            for (std::size_t landmark : *estimated)
                m_missing[landmark - 1] = true;
        const platform::LandmarkSet& data = m_s.fitted;
        out.resize(m_ends.size() / 2);
        for (std::size_t i = 0; i < out.size(); ++i) {
            const std::size_t a = m_ends[2 * i], b = m_ends[2 * i + 1];
            if (m_missing[a] || m_missing[b]) {
                out[i] = std::numeric_limits<double>::quiet_NaN();
                continue;
            }
            double sum = 0;
            for (std::size_t c = 0; c < 3; ++c) {
                const double d = data(a, c, j) - data(b, c, j);
                sum += d * d;
            }
            out[i] = m_s.sizes[j] * std::sqrt(sum);
        }
        if (estimated)
            for (std::size_t landmark : *estimated)
                m_missing[landmark - 1] = false;
    }

private:
    const session::Specimens& m_s;
    std::vector<std::size_t> m_ends;
    std::vector<bool> m_missing;
};

// The column of each line: its name, or L<a>_<b>; a name used before (also "id",
// "centroid_size" or "estimated") gets .2, .3, ... on its later uses.
std::vector<std::string> columnNames(const session::Protocol& protocol)
{
    std::set<std::string> used{"id", "centroid_size", "estimated"};
    std::vector<std::string> names;
    for (const session::ProtocolLine& line : protocol.lines()) {
        const std::string base =
            line.name.empty() ? "L" + std::to_string(line.from) + "_" + std::to_string(line.to) : line.name;
        std::string name = base;
        for (int n = 2; used.count(name); ++n)
            name = base + "." + std::to_string(n);
        used.insert(name);
        names.push_back(std::move(name));
    }
    return names;
}

}  // namespace

namespace {
// How many specimens' lengths are worked out between two progress steps.
constexpr std::size_t kSpecimensPerStep = 256;
}  // namespace

std::string traditionalMeasures(const session::Specimens& specimens, const session::Protocol& protocol,
                                const std::function<void(double)>& step)
{
    Lengths lengths(specimens, protocol);
    const std::size_t k = specimens.fitted.specimens();
    std::string out;
    out.reserve(k * (protocol.size() + 1) * 12);
    std::vector<double> row;
    for (std::size_t j = 0; j < k; ++j) {
        if (step && j % kSpecimensPerStep == 0)
            step(static_cast<double>(j) / static_cast<double>(k));
        lengths.of(j, row);
        for (double v : row)
            appendFixed(out, v, false);
        appendFixed(out, specimens.sizes[j], true);
    }
    return out;
}

std::vector<std::vector<std::optional<double>>> lineLengths(const session::Specimens& specimens,
                                                            const session::Protocol& protocol,
                                                            const std::function<void(double)>& step)
{
    Lengths lengths(specimens, protocol);
    std::vector<std::vector<std::optional<double>>> out(protocol.size(),
                                                        std::vector<std::optional<double>>(specimens.count()));
    std::vector<double> row;
    for (std::size_t j = 0; j < specimens.count(); ++j) {
        if (step && j % kSpecimensPerStep == 0)
            step(static_cast<double>(j) / static_cast<double>(specimens.count()));
        lengths.of(j, row);
        for (std::size_t i = 0; i < row.size(); ++i)
            if (!std::isnan(row[i]))
                out[i][j] = row[i];
    }
    return out;
}

std::string lengthsCsv(const session::Specimens& specimens, const session::Protocol& protocol,
                       const std::function<void(double)>& step)
{
    Lengths lengths(specimens, protocol);
    std::string out = "id";
    for (const std::string& name : columnNames(protocol))
        out += "," + io::csvField(name);
    out += ",centroid_size,estimated\n";
    std::vector<double> row;
    char buffer[64];
    const std::size_t k = specimens.fitted.specimens();
    for (std::size_t j = 0; j < k; ++j) {
        if (step && j % kSpecimensPerStep == 0)
            step(static_cast<double>(j) / static_cast<double>(k));
        lengths.of(j, row);
        out += io::csvField(j < specimens.ids.size() ? specimens.ids[j] : "specimen" + std::to_string(j + 1));
        for (double v : row) {
            out += ',';
            if (std::isnan(v)) {
                out += "NA";
                continue;
            }
            out.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, v).ptr);
        }
        out += ',';
        out.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, specimens.sizes[j]).ptr);
        out += ',';
        if (j < specimens.flags.size())
            for (std::size_t i = 0; i < specimens.flags[j].estimated.size(); ++i)
                out += (i ? ";" : "") + std::to_string(specimens.flags[j].estimated[i]);
        out += '\n';
    }
    return out;
}

namespace {

// True, after a message box saying why, when there is nothing to measure.
bool refuseMeasures(Context& c)
{
    if (c.s.specimens.empty()) {
        c.message("No specimens are loaded: load a TPS file or a specimen table before saving the measures.");
        return true;
    }
    if (c.s.protocol.empty()) {
        c.message("The protocol has no lines: load a protocol or add lines before saving the measures.");
        return true;
    }
    return false;
}

// "25 x 12 lengths": specimens by lines.
std::string lengthsWhat(const Context& c)
{
    return std::to_string(c.s.specimens.count()) + " x " + std::to_string(c.s.protocol.size()) + " lengths";
}

// The text of a file of lengths, under a progress of its own that ends before the file dialog
// opens; a user who stops it is asked nothing and nothing is written.
std::string workedOut(Context& c, const std::function<std::string(const std::function<void(double)>& step)>& text)
{
    ProgressScope progress(c, "Working out " + lengthsWhat(c));
    std::string out = text([&](double fraction) { progress.step(fraction); });
    progress.step(1.0);
    return out;
}

}  // namespace

void saveLengths(Context& c)
{
    if (refuseMeasures(c))
        return;
    // The lengths are worked out before the dialog: a protocol that does not fit the
    // specimens stops here, before anything is asked or written.
    const std::string text = workedOut(c, [&](const std::function<void(double)>& step) {
        return traditionalMeasures(c.s.specimens, c.s.protocol, step);
    });
    if (const auto chosen =
            c.chooseFile(c.saveRequest("Please Enter Filename for traditional Measures", "*.txt", "_lengths.txt")))
        c.writeOrReport(*chosen, text, lengthsWhat(c));
}

void saveLengthsCsv(Context& c)
{
    if (refuseMeasures(c))
        return;
    const std::string text = workedOut(
        c, [&](const std::function<void(double)>& step) { return lengthsCsv(c.s.specimens, c.s.protocol, step); });
    if (const auto chosen = c.chooseFile(c.saveRequest("Save lengths as CSV", "*.csv", "_lengths.csv")))
        c.writeOrReport(*chosen, text, lengthsWhat(c));
}

void showMLine(Context& c)
{
    c.rt.console.display("stemp", Value("in show M line"));
    PlotWindowScope plot(c);
    hideHighlight(c);
    const double number = c.controls.targetLine().wholeNumber("a protocol line number");
    const session::ProtocolLine& line = c.s.protocol.line(number);
    highlight(c, static_cast<double>(line.from), static_cast<double>(line.to));
    // The line's lengths at the specimens' own scale, summed up.
    if (c.s.specimens.empty())
        return;
    session::Protocol one({line});
    const auto lengths = lineLengths(c.s.specimens, one);
    const shape::LineSummary summary = shape::summariseLine(lengths.front());
    c.controls.lineLength().setText(platform::formatText(
        "%.3f (SD %.3f, n %d)", {Value(summary.mean), Value(summary.sd), Value(static_cast<double>(summary.n))}));
}

}  // namespace vezedo::controller
