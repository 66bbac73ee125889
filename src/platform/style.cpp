#include "platform/style.h"

#include <algorithm>
#include <array>
#include <utility>

#include "platform/error.h"
#include "platform/textformat.h"

namespace vezedo::platform {

namespace {

struct NamedColor {
    char letter;
    const char* name;
    Rgb rgb;
};

constexpr std::array<NamedColor, 8> kColors{{
    {'k', "black", {0, 0, 0}},
    {'r', "red", {1, 0, 0}},
    {'g', "green", {0, 1, 0}},
    {'b', "blue", {0, 0, 1}},
    {'m', "magenta", {1, 0, 1}},
    {'y', "yellow", {1, 1, 0}},
    {'c', "cyan", {0, 1, 1}},
    {'w', "white", {1, 1, 1}},
}};

const std::array<std::pair<const char*, LineStyle>, 5> kStyles{{
    {"--", LineStyle::Dashed},
    {"-.", LineStyle::DashDot},
    {"-", LineStyle::Solid},
    {":", LineStyle::Dotted},
    {"none", LineStyle::None},
}};

const std::array<std::pair<const char*, Marker>, 8> kMarkers{{
    {"*", Marker::Star},
    {"o", Marker::Circle},
    {"+", Marker::Plus},
    {".", Marker::Point},
    {"x", Marker::Cross},
    {"square", Marker::Square},
    {"diamond", Marker::Diamond},
    {"none", Marker::None},
}};

}  // namespace

Rgb colorFromLetter(char letter)
{
    // "M" is the highlight colour: the same magenta as "m".
    const char c = letter == 'M' ? 'm' : letter;
    for (const auto& nc : kColors)
        if (nc.letter == c)
            return nc.rgb;
    throw Error(std::string("Unknown colour letter \"") + letter + "\": use one of k r g b m y c w");
}

Rgb colorFromValue(const Value& value)
{
    if (value.isString()) {
        const std::string& s = value.string();
        if (s.size() == 1)
            return colorFromLetter(s[0]);
        const std::string name = toLower(s);
        for (const auto& nc : kColors)
            if (name == nc.name)
                return nc.rgb;
        throw Error("Unknown colour \"" + s + "\": use a colour letter, a colour name or [r g b]");
    }
    if (value.isMatrix() && value.matrix().numel() == 3) {
        const Matrix& m = value.matrix();
        for (std::size_t i = 0; i < 3; ++i)
            if (!(m[i] >= 0.0 && m[i] <= 1.0))
                throw Error("Colour components must lie between 0 and 1");
        return {m[0], m[1], m[2]};
    }
    throw Error("A colour must be a colour letter, a colour name or [r g b]; found " + value.describe());
}

Value colorToValue(const Rgb& color)
{
    return Matrix::rowVector({color.r, color.g, color.b});
}

LineSpec parseLineSpec(std::string_view text)
{
    LineSpec out;
    std::size_t i = 0;
    auto fail = [&]() -> LineSpec {
        throw Error("Invalid line specification \"" + std::string(text) +
                    "\": expected a colour letter, then a line style (- -- : -.) or a marker (* o + . x s d)");
    };
    while (i < text.size()) {
        const std::string_view rest = text.substr(i);
        if (rest.starts_with("--") || rest.starts_with("-.")) {
            if (out.style)
                return fail();
            out.style = rest[1] == '-' ? LineStyle::Dashed : LineStyle::DashDot;
            i += 2;
            continue;
        }
        const char c = text[i++];
        if (c == '-' || c == ':') {
            if (out.style)
                return fail();
            out.style = c == '-' ? LineStyle::Solid : LineStyle::Dotted;
        } else if (std::string_view("*o+.xsd").find(c) != std::string_view::npos) {
            if (out.marker)
                return fail();
            static constexpr std::array<Marker, 7> kMarkerOf{Marker::Star,   Marker::Circle, Marker::Plus,
                                                             Marker::Point,  Marker::Cross,  Marker::Square,
                                                             Marker::Diamond};
            out.marker = kMarkerOf[std::string_view("*o+.xsd").find(c)];
        } else if (std::string_view("krgbmycwM").find(c) != std::string_view::npos) {
            if (out.color)
                return fail();
            out.color = colorFromLetter(c);
        } else {
            return fail();
        }
    }
    return out;
}

std::string_view lineStyleName(LineStyle style)
{
    for (const auto& [name, s] : kStyles)
        if (s == style)
            return name;
    return "-";
}

LineStyle lineStyleFromName(std::string_view name)
{
    const std::string n = toLower(name);
    for (const auto& [text, s] : kStyles)
        if (n == text)
            return s;
    throw Error("Unknown line style \"" + std::string(name) + "\": use - -- : -. or none");
}

std::string_view markerName(Marker marker)
{
    for (const auto& [name, m] : kMarkers)
        if (m == marker)
            return name;
    return "none";
}

Marker markerFromName(std::string_view name)
{
    const std::string n = toLower(name);
    if (n == "s")
        return Marker::Square;
    if (n == "d")
        return Marker::Diamond;
    for (const auto& [text, m] : kMarkers)
        if (n == text)
            return m;
    throw Error("Unknown marker \"" + std::string(name) + "\": use * o + . x square diamond or none");
}

}  // namespace vezedo::platform
