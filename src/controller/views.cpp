#include "controller/views.h"

#include <algorithm>

#include "controller/actions.h"
#include "shape/quality.h"

namespace vezedo::controller {

std::optional<double> meanLineLength(const session::Specimens& specimens, const session::ProtocolLine& line)
{
    if (specimens.empty() || line.from < 1 || line.to < 1 || line.from > specimens.landmarks() ||
        line.to > specimens.landmarks())
        return std::nullopt;
    const auto lengths = lineLengths(specimens, session::Protocol({line}));
    const shape::LineSummary summary = shape::summariseLine(lengths.front());
    if (summary.n == 0)
        return std::nullopt;
    return summary.mean;
}

std::string landmarkLabel(const session::Specimens& specimens, std::size_t landmark)
{
    std::string label = std::to_string(landmark);
    if (landmark >= 1 && landmark <= specimens.landmarkNames.size() && !specimens.landmarkNames[landmark - 1].empty())
        label += " " + specimens.landmarkNames[landmark - 1];
    return label;
}

std::vector<ProtocolTableRow> protocolTableRows(const session::Session& s)
{
    std::vector<ProtocolTableRow> rows;
    rows.reserve(s.protocol.size());
    for (std::size_t i = 0; i < s.protocol.size(); ++i)
        rows.push_back(protocolTableRow(s, i));
    return rows;
}

const session::Specimens& loadedSpecimens(const session::Session& s)
{
    return s.uncorrected ? *s.uncorrected : s.specimens;
}

std::vector<bool> excludedSpecimens(const session::Session& s)
{
    std::vector<bool> out(loadedSpecimens(s).count(), false);
    for (const session::Correction& c : s.corrections)
        if (c.kind == session::Correction::Kind::Exclude && c.specimen >= 1 && c.specimen <= out.size())
            out[c.specimen - 1] = true;
    return out;
}

std::optional<std::size_t> keptIndex(const session::Session& s, std::size_t loaded)
{
    const std::vector<bool> excluded = excludedSpecimens(s);
    if (loaded >= excluded.size() || excluded[loaded])
        return std::nullopt;
    return static_cast<std::size_t>(std::count(excluded.begin(), excluded.begin() + static_cast<long>(loaded), false));
}

std::size_t loadedIndex(const session::Session& s, std::size_t kept)
{
    const std::vector<bool> excluded = excludedSpecimens(s);
    for (std::size_t j = 0, seen = 0; j < excluded.size(); ++j)
        if (!excluded[j] && seen++ == kept)
            return j;
    return kept;
}

std::string correctionText(const session::Correction& correction)
{
    std::string text = "specimen " + std::to_string(correction.specimen) + " (" + correction.id + "): ";
    switch (correction.kind) {
    case session::Correction::Kind::Exchange:
        text += "landmarks " + std::to_string(correction.i) + " and " + std::to_string(correction.j) + " exchanged";
        break;
    case session::Correction::Kind::Mirror:
        text += "mirrored (x -> -x)";
        break;
    case session::Correction::Kind::Exclude:
        text += "excluded";
        break;
    }
    return text;
}

ProtocolTableRow protocolTableRow(const session::Session& s, std::size_t index)
{
    const session::ProtocolLine& line = s.protocol.lines().at(index);
    return {index + 1,
            line.from,
            line.to,
            line.name,
            meanLineLength(s.specimens, line),
            landmarkLabel(s.specimens, line.from),
            landmarkLabel(s.specimens, line.to)};
}

std::vector<MeasurementErrorRow> measurementErrorRows(const shape::ReplicateComparison& comparison,
                                                      const session::Protocol& protocol)
{
    std::vector<MeasurementErrorRow> rows;
    for (std::size_t i = 0; i < comparison.variables.size(); ++i) {
        const shape::MeasurementError& me = comparison.variables[i];
        MeasurementErrorRow row;
        row.n = me.n;
        row.tem = me.tem;
        row.relativeTem = me.relativeTem;
        row.percentMe = me.percentMe;
        row.icc = me.icc;
        row.note = me.note;
        if (i < protocol.size()) {
            const session::ProtocolLine& line = protocol.lines()[i];
            row.line = std::to_string(i + 1);
            row.name = line.name;
            row.from = line.from;
            row.to = line.to;
        } else {
            row.line = "cs";
            row.name = "centroid size";
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

char folded(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

bool naturalIdLess(std::string_view a, std::string_view b)
{
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            const std::size_t si = i, sj = j;
            while (i < a.size() && isDigit(a[i]))
                ++i;
            while (j < b.size() && isDigit(b[j]))
                ++j;
            // Equal values compare equal whatever their leading zeros.
            std::string_view x = a.substr(si, i - si), y = b.substr(sj, j - sj);
            while (x.size() > 1 && x.front() == '0')
                x.remove_prefix(1);
            while (y.size() > 1 && y.front() == '0')
                y.remove_prefix(1);
            if (x.size() != y.size())
                return x.size() < y.size();
            if (const int c = x.compare(y); c != 0)
                return c < 0;
            continue;
        }
        const char x = folded(a[i]), y = folded(b[j]);
        if (x != y)
            return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
        ++i, ++j;
    }
    if ((a.size() - i) != (b.size() - j))
        return a.size() - i < b.size() - j;
    return a < b;  // read alike: any fixed order
}

}  // namespace vezedo::controller
