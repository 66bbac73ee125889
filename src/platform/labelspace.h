#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/scene.h"

namespace vezedo::platform {

// A rectangle of pixels taken by something drawn.
struct PixelBox {
    double left = 0;
    double top = 0;
    double right = 0;
    double bottom = 0;
    bool overlaps(const PixelBox& o) const
    {
        return left < o.right && o.left < right && top < o.bottom && o.top < bottom;
    }
};

// What a plot has drawn so far where labels must not go: boxes filed by the grid cells they
// touch, so that asking whether a spot is free looks at the few boxes near it instead of at the
// thousands a big plot draws. Boxes past the viewport's edge are filed in its edge cells.
class OccupiedPixels {
public:
    OccupiedPixels(double width, double height);
    void take(const PixelBox& box);
    bool isFree(const PixelBox& box) const;

private:
    struct CellRange {
        std::size_t x0, x1, y0, y1;
    };
    CellRange cellsOf(const PixelBox& box) const;
    std::size_t column(double x) const;
    std::size_t row(double y) const;

    std::size_t m_columns;
    std::size_t m_rows;
    std::vector<std::vector<std::uint32_t>> m_cells;  // indices into m_boxes, row by row
    std::vector<PixelBox> m_boxes;
};

// The centre of the first free spot for a label of the given size beside the line from `from` to
// `to`: just off either side of the line, starting at its middle and moving out towards its ends,
// then a label's height further off. Nothing when every spot is taken.
std::optional<PixelPoint> spotBesideLine(const OccupiedPixels& taken, PixelPoint from, PixelPoint to, double width,
                                         double height);

}  // namespace vezedo::platform
