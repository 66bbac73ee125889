#include <algorithm>
#include <cmath>
#include <exception>
#include <limits>
#include <string>
#include <vector>

#include "display/display.h"
#include "platform/error.h"
#include "platform/numtext.h"
#include "platform/parallel.h"
#include "platform/style.h"

namespace vezedo::display {

using platform::GraphicsModel;
using platform::Handle;
using platform::LandmarkSet;
using platform::Matrix;
using platform::Point3;
using platform::Value;

namespace {

std::string sizeText(const Matrix& m)
{
    return std::to_string(m.rows()) + " x " + std::to_string(m.cols());
}

std::vector<Point3> slicePoints(const LandmarkSet& x, std::size_t j)
{
    std::vector<Point3> points(x.landmarks());
    for (std::size_t i = 0; i < x.landmarks(); ++i)
        points[i] = {x(i, 0, j), x(i, 1, j), x(i, 2, j)};
    return points;
}

// The 0-based row of a landmark number taken from a wire list, or an error naming the row
// of the list and the number.
std::size_t landmarkRow(double number, std::size_t listRow, std::size_t landmarks)
{
    const std::string where = "wire3d, row " + std::to_string(listRow + 1) + " of the wire list: ";
    if (std::isfinite(number) && number != std::floor(number))
        throw Error(where + "landmark number " + platform::numberToText(number) + " is not a whole number");
    if (!(number >= 1.0 && number <= static_cast<double>(landmarks)))
        throw Error(where + "landmark " + platform::numberToText(number) + " does not exist: the shape has " +
                    std::to_string(landmarks) + " landmarks");
    return static_cast<std::size_t>(number) - 1;
}

}  // namespace

LandmarkSet vertxy3D(const Matrix& x)
{
    if (x.empty())
        return {};
    if (x.cols() < 3)
        throw Error("vertxy3D: a coordinate table needs at least 3 columns (x, y, z of one landmark); found " +
                    sizeText(x));
    const std::size_t specimens = x.rows();
    const std::size_t p = x.cols() / 3;
    LandmarkSet y(p, specimens);
    // A few specimens at a time, so that their stretch of each column is read in one go and
    // the slices written stay in the cache; large sets on every core, each thread its own
    // specimens.
    constexpr std::size_t kBlock = 32;
    const auto copy = [&](std::size_t first, std::size_t last) {
        for (std::size_t k0 = first; k0 < last; k0 += kBlock) {
            const std::size_t k1 = std::min(last, k0 + kBlock);
            for (std::size_t i = 0; i < p; ++i)
                for (std::size_t j = 0; j < 3; ++j) {
                    const double* column = x.data() + (3 * i + j) * specimens;
                    for (std::size_t k = k0; k < k1; ++k)
                        y(i, j, k) = column[k];
                }
        }
    };
    const std::size_t threads =
        std::min(platform::threadsFor(0), std::max<std::size_t>(specimens * p / (1024 * 1024), 1));
    if (threads == 1) {
        copy(0, specimens);
        return y;
    }
    for (const std::exception_ptr& failure : platform::runParts(
             threads, [&](std::size_t part) { copy(specimens * part / threads, specimens * (part + 1) / threads); }))
        if (failure)
            std::rethrow_exception(failure);
    return y;
}

void showshape3D(GraphicsModel& model, const LandmarkSet& x, std::string_view style)
{
    const platform::LineSpec lineStyle = platform::parseLineSpec(style);
    if (x.landmarks() == 0 || x.specimens() == 0)
        throw Error("showshape3D: there is no shape to draw: the landmark data set is empty");
    const Handle axes = model.currentAxesOrNew();
    // Slice 1 goes in before hold is turned on, so it replaces what an axes without hold showed.
    model.plot3(axes, slicePoints(x, 0), lineStyle);
    model.setHold(axes, true);
    model.setAxisAuto(axes);
    model.setAxisEqual(axes);
    for (std::size_t j = 1; j < x.specimens(); ++j)
        model.plot3(axes, slicePoints(x, j), lineStyle);
}

void wire3d(GraphicsModel& model, const Matrix& shape, const Matrix& wirelist, std::string_view style)
{
    const platform::LineSpec lineStyle = platform::parseLineSpec(style);
    if (wirelist.empty())
        return;
    if (wirelist.cols() < 3)
        throw Error("wire3d: a wire list needs 3 columns (line number, first landmark, second landmark); found " +
                    sizeText(wirelist));
    if (shape.cols() != 3)
        throw Error("wire3d: the shape must be p x 3 (x, y, z per landmark); found " + sizeText(shape));

    // Every row is checked before anything is drawn, so a bad list draws nothing.
    std::vector<std::pair<std::size_t, std::size_t>> ends;
    ends.reserve(wirelist.rows());
    for (std::size_t i = 0; i < wirelist.rows(); ++i)
        ends.emplace_back(landmarkRow(wirelist(i, 1), i, shape.rows()), landmarkRow(wirelist(i, 2), i, shape.rows()));

    const Handle axes = model.currentAxesOrNew();
    for (const auto& [a, b] : ends)
        model.plot3(axes, {{shape(a, 0), shape(a, 1), shape(a, 2)}, {shape(b, 0), shape(b, 1), shape(b, 2)}},
                    lineStyle);
}

Handle wireBundle(GraphicsModel& model, const Matrix& shape,
                  const std::vector<std::pair<std::size_t, std::size_t>>& ends, std::string_view style)
{
    const platform::LineSpec lineStyle = platform::parseLineSpec(style);
    constexpr double kGap = std::numeric_limits<double>::quiet_NaN();
    std::vector<platform::Point3> points;
    points.reserve(3 * ends.size());
    for (const auto& [a, b] : ends) {
        points.push_back({shape(a, 0), shape(a, 1), shape(a, 2)});
        points.push_back({shape(b, 0), shape(b, 1), shape(b, 2)});
        points.push_back({kGap, kGap, kGap});
    }
    return model.plot3(model.currentAxesOrNew(), std::move(points), lineStyle);
}

Handle cla(GraphicsModel& model)
{
    const Handle axes = model.currentAxesOrNew();
    model.clearAxes(axes);
    return axes;
}

Handle ylabel(GraphicsModel& model, const Value& text, std::span<const Value> pairs)
{
    const Handle axes = model.currentAxesOrNew();
    const Handle label = model.yLabel(axes);
    if (pairs.size() % 2 != 0)
        throw Error("Incorrect number of input arguments");
    for (std::size_t i = 0; i < pairs.size(); i += 2)
        if (!pairs[i].isString())
            throw Error("ylabel: input " + std::to_string(i + 2) + " must be a property name; found " +
                        pairs[i].describe());

    for (const char* font : {"FontAngle", "FontName", "FontSize", "FontWeight"})
        model.set(label, font, model.get(axes, font));
    model.set(label, "string", text);
    for (std::size_t i = 0; i < pairs.size(); i += 2)
        model.set(label, pairs[i].string(), pairs[i + 1]);
    return label;
}

}  // namespace vezedo::display
