#pragma once

#include <span>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/graphics.h"
#include "platform/value.h"

// Drawing landmark configurations and wireframes into the current axes of the current window.
namespace vezedo::display {

// Coordinate table (k rows of x1 y1 z1 x2 ...) to a p x 3 x k landmark data set; columns
// beyond the last full triple are dropped.
platform::LandmarkSet vertxy3D(const platform::Matrix& x);

// Markers of every specimen in the current axes; hold is on afterwards and the axes are
// set to "auto" then "equal".
void showshape3D(platform::GraphicsModel& model, const platform::LandmarkSet& x, std::string_view style);
// One two-point line per row of `wirelist` (columns 2 and 3 are landmark numbers).
void wire3d(platform::GraphicsModel& model, const platform::Matrix& shape, const platform::Matrix& wirelist,
            std::string_view style = "b-");
// All the lines between rows of `shape` (from 0) as one line object, broken between lines:
// how a protocol too long to number is drawn. Returns the object.
platform::Handle wireBundle(platform::GraphicsModel& model, const platform::Matrix& shape,
                            const std::vector<std::pair<std::size_t, std::size_t>>& ends, std::string_view style);
// Clears the current axes; returns them.
platform::Handle cla(platform::GraphicsModel& model);
// Sets the y-axis label of the current axes, then the given property name/value pairs.
platform::Handle ylabel(platform::GraphicsModel& model, const platform::Value& text,
                        std::span<const platform::Value> pairs = {});

}  // namespace vezedo::display
