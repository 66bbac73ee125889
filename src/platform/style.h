#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/value.h"

namespace vezedo::platform {

struct Rgb {
    double r = 0.0;
    double g = 0.0;
    double b = 0.0;
    bool operator==(const Rgb&) const = default;
};

enum class LineStyle { Solid, Dashed, Dotted, DashDot, None };
enum class Marker { None, Star, Circle, Plus, Point, Cross, Square, Diamond };

// A colour letter ("k" "r" "g" "b" "m" "y" "c" "w", and "M", the highlight magenta)
// optionally followed by a line style ("-" "--" ":" "-.") and/or a marker
// ("*" "o" "+" "." "x" "s" "d"). Parts left out stay unset.
struct LineSpec {
    std::optional<Rgb> color;
    std::optional<LineStyle> style;
    std::optional<Marker> marker;
};

// Throws an Error naming the text when it is no valid line specification.
LineSpec parseLineSpec(std::string_view text);

// The colour of one letter, a colour name ("red", "black", ...), or an [r g b] row with
// components from 0 to 1. Throws an Error naming what was given.
Rgb colorFromLetter(char letter);
Rgb colorFromValue(const Value& value);
Value colorToValue(const Rgb& color);

std::string_view lineStyleName(LineStyle style);  // "-", "--", ":", "-.", "none"
LineStyle lineStyleFromName(std::string_view name);
std::string_view markerName(Marker marker);  // "*", "o", "+", ".", "x", "square", "diamond", "none"
Marker markerFromName(std::string_view name);

}  // namespace vezedo::platform
