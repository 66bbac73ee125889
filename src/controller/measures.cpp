// The traditional measures file ("SaveLengths") and "ShowMLine".
#include <charconv>
#include <cmath>

#include "controller/controller.h"
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
                                const Matrix& proto)
{
    const std::size_t m = proto.rows();
    const std::size_t k = data.specimens();
    const std::size_t p = data.landmarks();
    std::vector<std::size_t> ends(2 * m);
    for (std::size_t i = 0; i < m; ++i) {
        for (std::size_t c = 0; c < 2; ++c) {
            const double v = proto(i, c + 1);
            if (std::floor(v) != v || v < 1 || v > static_cast<double>(p))
                throw Error("Protocol line " + std::to_string(i + 1) + " names landmark " +
                            platform::formatText("%g", {Value(v)}) + ", but the specimens have landmarks 1 to " +
                            std::to_string(p));
            ends[2 * i + c] = static_cast<std::size_t>(v) - 1;
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

void Controller::saveLengths()
{
    if (m_state.data1.empty()) {
        message("No specimens are loaded: load a TPS file or a specimen table before saving the measures.");
        return;
    }
    const Matrix& proto = m_state.proto;
    if (proto.rows() == 0 || (proto.rows() == 1 && proto.cols() >= 1 && proto(0, 0) == -1)) {
        message("The protocol has no lines: load a protocol or add lines before saving the measures.");
        return;
    }
    if (proto.cols() < 3)
        throw Error("The protocol has " + std::to_string(proto.cols()) + " columns: a protocol line needs three");
    // The lengths are worked out before the dialog: a protocol that does not fit the
    // specimens stops here, before anything is asked or written.
    const std::string text = traditionalMeasures(m_state.data1, m_state.data1cs, proto);
    if (const auto chosen =
            chooseFile(platform::FileDialogKind::Save, "Please Enter Filename for traditional Measures"))
        writeOrReport(*chosen, text);
}

void Controller::showMLine()
{
    m_rt.console.display("stemp", Value("in show M line"));
    makeCurrent(m_state.fighand1, "plot window");
    hideHighlight();
    const std::size_t i = protocolRow(boxWholeNumber("TargetLineBox", "a protocol line number"));
    highlight(m_state.proto(i, 1), m_state.proto(i, 2));
    makeCurrent(m_state.mf, "plot window");
}

}  // namespace vezedo::controller
