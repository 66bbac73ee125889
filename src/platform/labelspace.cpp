#include "platform/labelspace.h"

#include <algorithm>
#include <cmath>

namespace vezedo::platform {

namespace {

// About two labels wide: a label's box touches one to four cells.
constexpr double kCell = 32.0;

std::size_t cellCount(double extent)
{
    if (!(extent > kCell))
        return 1;
    return static_cast<std::size_t>(std::min(std::ceil(extent / kCell), 4096.0));
}

std::size_t cellIndex(double at, std::size_t count)
{
    if (!(at > 0))  // NaN lands in the first cell too
        return 0;
    return std::min(static_cast<std::size_t>(std::min(at / kCell, 1e9)), count - 1);
}

}  // namespace

OccupiedPixels::OccupiedPixels(double width, double height)
    : m_columns(cellCount(width)), m_rows(cellCount(height)), m_cells(m_columns * m_rows)
{
}

std::size_t OccupiedPixels::column(double x) const
{
    return cellIndex(x, m_columns);
}

std::size_t OccupiedPixels::row(double y) const
{
    return cellIndex(y, m_rows);
}

OccupiedPixels::CellRange OccupiedPixels::cellsOf(const PixelBox& box) const
{
    return {column(box.left), column(box.right), row(box.top), row(box.bottom)};
}

void OccupiedPixels::take(const PixelBox& box)
{
    const auto index = static_cast<std::uint32_t>(m_boxes.size());
    m_boxes.push_back(box);
    const CellRange r = cellsOf(box);
    for (std::size_t y = r.y0; y <= r.y1; ++y)
        for (std::size_t x = r.x0; x <= r.x1; ++x)
            m_cells[y * m_columns + x].push_back(index);
}

bool OccupiedPixels::isFree(const PixelBox& box) const
{
    const CellRange r = cellsOf(box);
    for (std::size_t y = r.y0; y <= r.y1; ++y)
        for (std::size_t x = r.x0; x <= r.x1; ++x)
            for (std::uint32_t i : m_cells[y * m_columns + x])
                if (m_boxes[i].overlaps(box))
                    return false;
    return true;
}

std::optional<PixelPoint> spotBesideLine(const OccupiedPixels& taken, PixelPoint from, PixelPoint to, double width,
                                         double height)
{
    constexpr double kClearance = 2.0;  // pixels between the line and the nearest corner of the label
    constexpr double kFractions[] = {0.5, 0.4, 0.6, 0.3, 0.7, 0.2, 0.8};
    const double dx = to.x - from.x, dy = to.y - from.y;
    const double length = std::hypot(dx, dy);
    // A line seen end-on has no direction of its own: its label goes below or above the point.
    double nx = 0, ny = 1;
    if (length > 1e-9) {
        nx = -dy / length;
        ny = dx / length;
    }
    // Below the line first (left of an upright one), as the labels used to sit.
    if (ny < 0 || (ny == 0 && nx > 0)) {
        nx = -nx;
        ny = -ny;
    }
    // How far the box's centre sits from the line when its nearest corner touches it.
    const double reach = std::abs(nx) * width / 2 + std::abs(ny) * height / 2;
    for (double off : {reach + kClearance, reach + kClearance + height}) {
        for (double f : kFractions) {
            const PixelPoint along{from.x + f * dx, from.y + f * dy};
            for (double side : {1.0, -1.0}) {
                const PixelPoint c{along.x + side * nx * off, along.y + side * ny * off};
                if (taken.isFree({c.x - width / 2, c.y - height / 2, c.x + width / 2, c.y + height / 2}))
                    return c;
            }
            if (length <= 1e-9)
                break;  // every fraction is the same point
        }
    }
    return std::nullopt;
}

}  // namespace vezedo::platform
