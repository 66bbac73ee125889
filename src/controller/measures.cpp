// The traditional measures file ("SaveLengths") and "ShowMLine".
#include <charconv>
#include <cmath>

#include "controller/actions.h"
#include "platform/error.h"
#include "platform/textformat.h"

namespace vezedo::controller {

using platform::Value;

namespace {

// " %f " of one number, as the formatter writes it, without its per-call cost.
void appendFixed(std::string& out, double v, bool lineEnd)
{
    out += ' ';
    if (std::isfinite(v)) {
        char buf[400];
        const auto result = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 6);
        out.append(buf, result.ptr);
    } else {
        out += platform::formatText("%f", {Value(v)});
    }
    out += lineEnd ? " \n" : " ";
}

}  // namespace

std::string traditionalMeasures(const platform::LandmarkSet& data, const std::vector<double>& sizes,
                                const session::Protocol& protocol)
{
    const std::size_t m = protocol.size();
    const std::size_t k = data.specimens();
    const std::size_t p = data.landmarks();
    std::vector<std::size_t> ends(2 * m);
    for (std::size_t i = 0; i < m; ++i) {
        const session::ProtocolLine& line = protocol.lines()[i];
        for (std::size_t c = 0; c < 2; ++c) {
            const std::size_t v = c == 0 ? line.from : line.to;
            if (v < 1 || v > p)
                throw Error("Protocol line " + std::to_string(i + 1) + " names landmark " + std::to_string(v) +
                            ", but the specimens have landmarks 1 to " + std::to_string(p));
            ends[2 * i + c] = v - 1;
        }
    }
    std::string out;
    out.reserve(k * (m + 1) * 12);
    for (std::size_t j = 0; j < k; ++j) {
        for (std::size_t i = 0; i < m; ++i) {
            const std::size_t a = ends[2 * i], b = ends[2 * i + 1];
            double sum = 0;
            for (std::size_t c = 0; c < 3; ++c) {
                const double d = data(a, c, j) - data(b, c, j);
                sum += d * d;
            }
            appendFixed(out, sizes[j] * std::sqrt(sum), false);
        }
        appendFixed(out, sizes[j], true);
    }
    return out;
}

void saveLengths(Context& c)
{
    if (c.s.specimens.empty()) {
        c.message("No specimens are loaded: load a TPS file or a specimen table before saving the measures.");
        return;
    }
    if (c.s.protocol.empty()) {
        c.message("The protocol has no lines: load a protocol or add lines before saving the measures.");
        return;
    }
    // The lengths are worked out before the dialog: a protocol that does not fit the
    // specimens stops here, before anything is asked or written.
    const std::string text = traditionalMeasures(c.s.specimens.fitted, c.s.specimens.sizes, c.s.protocol);
    if (const auto chosen =
            c.chooseFile(platform::FileDialogKind::Save, "Please Enter Filename for traditional Measures"))
        c.writeOrReport(*chosen, text);
}

void showMLine(Context& c)
{
    c.rt.console.display("stemp", Value("in show M line"));
    PlotWindowScope plot(c);
    hideHighlight(c);
    const session::ProtocolLine& line =
        c.s.protocol.line(c.controls.targetLine().wholeNumber("a protocol line number"));
    highlight(c, static_cast<double>(line.from), static_cast<double>(line.to));
}

}  // namespace vezedo::controller
