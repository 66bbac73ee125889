#pragma once

#include <array>
#include <vector>

#include "platform/matrix.h"

namespace vezedo::shape {

using Point = std::array<double, 3>;

// How flat a set of points is: the smallest spread of their centred coordinates over the
// largest (their smallest singular value over their largest), 0 for points in one plane, on
// one line or all at one place, and for fewer than 3 points.
double flatness(const std::vector<Point>& points);

// The 3D thin-plate spline that maps source landmarks exactly onto target landmarks and
// bends least in between (Bookstein 1989; kernel U(r) = r, the 3D form). An affine map is
// reproduced exactly. Used to estimate missing landmarks from a reference shape (Gunz et al.
// 2009).
class ThinPlateSpline {
public:
    // Relative tolerance below which source landmarks count as coplanar or coincident.
    static constexpr double kTolerance = 1e-9;

    // Throws an Error when there are fewer than 4 source landmarks, when two coincide or all
    // lie in one plane (within kTolerance of their size), or when the counts differ.
    ThinPlateSpline(const std::vector<Point>& source, const std::vector<Point>& target);

    Point operator()(const Point& at) const;

private:
    std::vector<Point> m_source;
    std::vector<Point> m_weights;   // one per source landmark
    std::array<Point, 4> m_affine;  // constant, then the x, y and z terms
};

}  // namespace vezedo::shape
