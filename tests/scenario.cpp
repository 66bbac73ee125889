#include "scenario.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/style.h"

namespace vezedo::test {

namespace {

platform::Point3 landmark(Scenario& s, std::size_t i)
{
    const platform::Matrix& r = s.state().specimens.reference;
    return {r(i - 1, 0), r(i - 1, 1), r(i - 1, 2)};
}

std::string where(Scenario& s, const std::vector<platform::Point3>& at)
{
    const std::size_t p = s.state().specimens.reference.rows();
    for (std::size_t a = 1; a <= p; ++a) {
        const auto u = landmark(s, a);
        if (at == std::vector<platform::Point3>{{u[0] + 0.02, u[1] + 0.02, u[2] + 0.02}})
            return "@" + std::to_string(a);
        for (std::size_t b = 1; b <= p; ++b) {
            const auto v = landmark(s, b);
            const platform::Point3 mid{(u[0] + v[0]) / 2, (u[1] + v[1]) / 2, (u[2] + v[2]) / 2};
            if (at == std::vector{u, v} || (a <= b && at == std::vector{mid}))
                return std::to_string(a) + "-" + std::to_string(b);
        }
    }
    return "?";
}

std::string letter(const platform::Rgb& c)
{
    for (const char* l : {"k", "r", "g", "b", "m", "y", "c"})
        if (platform::colorFromLetter(l[0]) == c)
            return l;
    return "?";
}

std::string pairText(std::pair<int, int> pair)
{
    return std::to_string(pair.first) + "-" + std::to_string(pair.second);
}

}  // namespace

Strings operator+(Strings a, const Strings& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Strings drawing(Scenario& s)
{
    using platform::LineStyle, platform::Marker;
    Strings out;
    std::vector<platform::Point3> shape;
    for (std::size_t i = 1; i <= s.state().specimens.reference.rows(); ++i)
        shape.push_back(landmark(s, i));
    for (platform::Handle h : s.drawn(platform::ObjectType::Line)) {
        const auto& d = s.g().object(h).as<platform::LineData>();
        if (!s.g().object(h).visible)
            continue;
        if (d.marker != Marker::None) {
            const char* marker = d.marker == Marker::Star     ? "*"
                                 : d.marker == Marker::Circle ? "o"
                                 : d.marker == Marker::Plus   ? "+"
                                                              : "?";
            out.push_back(letter(d.color) + marker + (d.points == shape ? "" : " ?"));
            continue;
        }
        const char* style = d.style == LineStyle::Solid ? "" : d.style == LineStyle::Dotted ? ":" : "?";
        char width[32];
        std::snprintf(width, sizeof width, " %g ", d.width);
        out.push_back(letter(d.color) + style + width + where(s, d.points));
    }
    for (platform::Handle h : s.drawn(platform::ObjectType::Text)) {
        const auto& t = s.g().object(h).as<platform::TextData>();
        out.push_back(t.string + " " + letter(t.color) + " " + where(s, {t.position}));
    }
    return out;
}

Strings marks(std::size_t p)
{
    Strings out;
    for (std::size_t i = 1; i <= p; ++i)
        out.push_back(std::to_string(i) + " k @" + std::to_string(i));
    return out;
}

Strings styled(const std::string& style, const Pairs& pairs, const std::vector<int>& lines)
{
    Strings out;
    for (std::size_t i = 0; i < (lines.empty() ? pairs.size() : lines.size()); ++i)
        out.push_back(style + " " + pairText(pairs.at(lines.empty() ? i : static_cast<std::size_t>(lines[i] - 1))));
    return out;
}

Strings labelled(const std::string& colour, const Pairs& pairs, const std::vector<int>& lines)
{
    Strings out;
    for (std::size_t i = 0; i < (lines.empty() ? pairs.size() : lines.size()); ++i) {
        const int n = lines.empty() ? static_cast<int>(i + 1) : lines[i];
        const auto [a, b] = pairs.at(static_cast<std::size_t>(n - 1));
        out.push_back(std::to_string(n) + " " + colour + " " + pairText({std::min(a, b), std::max(a, b)}));
    }
    return out;
}

std::string protocolText(const Pairs& pairs)
{
    std::string out;
    for (std::size_t i = 0; i < pairs.size(); ++i)
        out +=
            std::to_string(i + 1) + " " + std::to_string(pairs[i].first) + " " + std::to_string(pairs[i].second) + "\n";
    return out;
}

std::string tableText(const std::vector<std::vector<double>>& rows)
{
    std::string out;
    char buf[64];
    for (const auto& row : rows) {
        for (std::size_t i = 0; i < row.size(); ++i) {
            std::snprintf(buf, sizeof buf, "%s%.17g", i ? " " : "", row[i]);
            out += buf;
        }
        out += "\n";
    }
    return out;
}

std::string makeTps(std::size_t k, std::size_t p)
{
    std::string out;
    char buf[128];
    for (std::size_t j = 0; j < k; ++j) {
        const double s = 1.0 + static_cast<double>(j) / 10, a = static_cast<double>(j) * 0.3;
        out += "LM=" + std::to_string(p) + "\n";
        for (std::size_t i = 0; i < p; ++i) {
            const double x = std::cos(static_cast<double>(i)) * (3 + static_cast<double>(i % 3));
            const double y = std::sin(static_cast<double>(i) * 1.7) * 2;
            const double z = static_cast<double>(i % 4) - 1.5;
            std::snprintf(
                buf, sizeof buf, "%.6f %.6f %.6f\n", s * (std::cos(a) * x - std::sin(a) * y) + static_cast<double>(j),
                s * (std::sin(a) * x + std::cos(a) * y) + 2.0 * static_cast<double>(j), s * z - static_cast<double>(j));
            out += buf;
        }
        out += "ID=specimen" + std::to_string(j + 1) + "\n";
    }
    return out;
}

}  // namespace vezedo::test
