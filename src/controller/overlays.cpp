// One specimen, or all of them, shown with the mean shape: "ShowSpecimen" and the grey cloud
// of "Show all specimens".
#include <algorithm>

#include "controller/actions.h"
#include "controller/views.h"
#include "display/display.h"
#include "platform/error.h"
#include "platform/numtext.h"

namespace vezedo::controller {

using platform::Matrix;
using platform::Value;

namespace {

constexpr double kCloudMarkerSize = 2;
constexpr double kSwapWidth = 2;

std::string trimmed(const std::string& text)
{
    const std::size_t from = text.find_first_not_of(" \t\r\n");
    if (from == std::string::npos)
        return "";
    return text.substr(from, text.find_last_not_of(" \t\r\n") - from + 1);
}

}  // namespace

std::optional<std::size_t> loadedSpecimen(Context& c)
{
    const session::Specimens& sp = loadedSpecimens(c.s);
    const std::string typed = trimmed(c.controls.specimen().text());
    const std::vector<std::string>& ids = sp.ids;
    const auto byId = std::find(ids.begin(), ids.end(), typed);
    if (!typed.empty() && byId != ids.end())
        return static_cast<std::size_t>(byId - ids.begin());
    const Matrix number = platform::parseNumericText(typed);
    if (number.numel() == 1 && number[0] >= 1 && number[0] <= static_cast<double>(sp.count()) &&
        number[0] == static_cast<double>(static_cast<std::size_t>(number[0])))
        return static_cast<std::size_t>(number[0]) - 1;
    c.message("No specimen is \"" + typed + "\": type a specimen's ID or its number from 1 to " +
              std::to_string(sp.count()) + ".");
    return std::nullopt;
}

std::optional<std::size_t> namedSpecimen(Context& c)
{
    const auto loaded = loadedSpecimen(c);
    if (!loaded)
        return std::nullopt;
    const auto kept = keptIndex(c.s, *loaded);
    if (!kept)
        c.message("Specimen " + std::to_string(*loaded + 1) + " (" + loadedSpecimens(c.s).id(*loaded) +
                  ") is excluded: include it again (Include specimen) to use it.");
    return kept;
}

void drawAllSpecimens(Context& c)
{
    const session::Specimens& sp = c.s.specimens;
    if (sp.empty() || c.controls.allSpecimens().handles().empty() || c.controls.allSpecimens().value() == 0)
        return;
    std::vector<platform::Point3> points;
    points.reserve(sp.count() * sp.fitted.landmarks());
    for (std::size_t j = 0; j < sp.count(); ++j)
        for (std::size_t i = 0; i < sp.fitted.landmarks(); ++i)
            points.push_back({sp.fitted(i, 0, j), sp.fitted(i, 1, j), sp.fitted(i, 2, j)});
    const platform::Handle cloud = c.rt.graphics.plot3(currentAxes(c), std::move(points), platform::parseLineSpec("."));
    c.rt.graphics.set(cloud, "Color", Value(Matrix::rowVector({0.6, 0.6, 0.6})));
    c.rt.graphics.set(cloud, "MarkerSize", Value(kCloudMarkerSize));
}

void showSpecimen(Context& c)
{
    if (c.s.specimens.empty()) {
        c.message("No specimens are loaded: load a TPS file or a specimen table first.");
        return;
    }
    const auto j = namedSpecimen(c);
    if (!j)
        return;
    PlotWindowScope plot(c, PlotWindowScope::IfClosed::OpenNew);
    display::cla(c.rt.graphics);
    const Matrix& mean = c.s.specimens.reference;
    display::showshape3D(c.rt.graphics, platform::LandmarkSet(mean), "b*");
    c.s.mf = c.rt.graphics.currentFigure();
    drawLandmarkLabels(c, mean, mean.rows());
    const Matrix shape = c.s.specimens.fitted.sliceMatrix(*j);
    display::showshape3D(c.rt.graphics, platform::LandmarkSet(shape), "ro");
    // A vector from each landmark of the mean to the specimen's.
    for (std::size_t i = 0; i < mean.rows(); ++i)
        c.rt.graphics.plot3(currentAxes(c),
                            {{mean(i, 0), mean(i, 1), mean(i, 2)}, {shape(i, 0), shape(i, 1), shape(i, 2)}},
                            platform::parseLineSpec("g"));
    // The two landmarks the check suspects of being swapped, joined in magenta.
    if (*j < c.s.check.swap.size() && c.s.check.swap[*j]) {
        const auto& pair = *c.s.check.swap[*j];
        const std::size_t a = pair.first - 1, b = pair.second - 1;
        const platform::Handle h = c.rt.graphics.plot3(
            currentAxes(c), {{shape(a, 0), shape(a, 1), shape(a, 2)}, {shape(b, 0), shape(b, 1), shape(b, 2)}},
            platform::parseLineSpec("mo-"));
        c.rt.graphics.set(h, "LineWidth", Value(kSwapWidth));
    }
    c.s.lineh.reset();
}

}  // namespace vezedo::controller
