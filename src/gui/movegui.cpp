#include <algorithm>

#include "gui/gui.h"
#include "platform/error.h"

namespace vezedo::gui {

const std::vector<std::string>& positionNames()
{
    static const std::vector<std::string> names{"north",     "south",     "east",      "west",   "northeast",
                                                "southeast", "northwest", "southwest", "center", "onscreen"};
    return names;
}

namespace {

struct Placement {
    std::optional<Handle> window;
    std::optional<std::string> name;
    std::optional<std::array<double, 2>> offset;
};

Placement readArguments(Runtime& rt, std::span<const Value> args, bool fromCallback)
{
    if (args.size() > 3)
        throw Error("Too many input arguments.");
    Placement p;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const Value& arg = args[i];
        if (arg.isMatrix() && arg.matrix().isScalar() && rt.graphics.isValid(arg.matrix()[0])) {
            p.window = getParentFigure(rt.graphics, arg.matrix()[0]);
            if (!p.window)
                throw Error("handle of figure or descendant required");
        } else if (arg.isString()) {
            const auto& names = positionNames();
            if (std::find(names.begin(), names.end(), arg.string()) == names.end())
                throw Error("unrecognized position");
            p.name = arg.string();
            p.offset.reset();
        } else if (arg.isMatrix() && arg.matrix().numel() == 2) {
            p.offset = std::array<double, 2>{arg.matrix()[0], arg.matrix()[1]};
            p.name.reset();
        } else if (fromCallback && i == 1) {
            // the event data of a callback
        } else {
            throw Error("unrecognized input argument");
        }
    }
    return p;
}

Handle targetWindow(Runtime& rt, const Placement& p)
{
    if (p.window)
        return *p.window;
    if (rt.callbackObject && rt.graphics.isValid(*rt.callbackObject))
        if (auto fig = rt.graphics.figureOf(*rt.callbackObject))
            return *fig;
    if (auto fig = rt.graphics.currentFigure())
        return *fig;
    throw Error("There is no window to move: none is open");
}

}  // namespace

void movegui(Runtime& rt, std::span<const Value> args, bool fromCallback)
{
    const Placement p = readArguments(rt, args, fromCallback);
    const Handle fig = targetWindow(rt, p);
    platform::GraphicsModel& g = rt.graphics;

    const Value oldActive = g.get(fig, "activepositionproperty");
    const Value oldUnits = g.get(fig, "units");
    g.set(fig, "units", Value("pixels"));
    const platform::Rect inner = platform::rectOf(g.get(fig, "position"), "Position");
    const platform::Rect outer = platform::rectOf(g.get(fig, "outerposition"), "OuterPosition");

    const Value oldRootUnits = g.get(platform::kRootHandle, "units");
    g.set(platform::kRootHandle, "units", Value("pixels"));
    const Value screen = g.get(platform::kRootHandle, "screensize");
    g.set(platform::kRootHandle, "units", oldRootUnits);
    const double screenW = screen.matrix()[2];
    const double screenH = screen.matrix()[3];

    double w = std::min(outer[2], screenW);
    double h = std::min(outer[3], screenH);
    const double freeW = screenW - w;
    const double freeH = screenH - h;

    double x = 0;
    double y = 0;
    if (p.offset) {
        x = (*p.offset)[0] < 0 ? freeW + (*p.offset)[0] : (*p.offset)[0];
        y = (*p.offset)[1] < 0 ? freeH + (*p.offset)[1] : (*p.offset)[1];
    } else {
        const std::string name = p.name.value_or("onscreen");
        if (name == "north") {
            x = freeW / 2, y = freeH;
        } else if (name == "south") {
            x = freeW / 2, y = 0;
        } else if (name == "east") {
            x = freeW, y = freeH / 2;
        } else if (name == "west") {
            x = 0, y = freeH / 2;
        } else if (name == "northeast") {
            x = freeW, y = freeH;
        } else if (name == "southeast") {
            x = freeW, y = 0;
        } else if (name == "northwest") {
            x = 0, y = freeH;
        } else if (name == "southwest") {
            x = 0, y = 0;
        } else if (name == "center") {
            x = freeW / 2, y = freeH / 2;
        } else {  // onscreen
            x = std::min(std::max(outer[0], 0.0), freeW);
            y = std::min(std::max(outer[1], 0.0), freeH);
        }
    }

    // A window system that gives no usable outer size: allow for a typical frame.
    if (inner[2] > outer[2] && inner[3] > outer[3]) {
        w += 6;
        h += 24;
    }
    g.set(fig, "outerposition", Value(platform::Matrix::rowVector({x, y, w, h})));
    g.set(fig, "units", oldUnits);
    g.set(fig, "activepositionproperty", oldActive);
}

}  // namespace vezedo::gui
