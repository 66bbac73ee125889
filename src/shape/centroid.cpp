#include <cmath>

#include "shape/shape.h"

namespace vezedo::shape {

using platform::Matrix;

// Both functions centre first and only then sum the squares: the size is measured on the
// centred configuration, column by column, and the column sums are added in order.
Centred centsize3D(const Matrix& x)
{
    Centred out;
    out.y = x;
    const std::size_t p = x.rows();
    const std::size_t n = x.cols();
    if (n == 0)
        return out;

    for (std::size_t c = 0; c < n; ++c) {
        double sum = 0.0;
        for (std::size_t r = 0; r < p; ++r)
            sum += x(r, c);
        const double mean = sum / static_cast<double>(p);
        for (std::size_t r = 0; r < p; ++r)
            out.y(r, c) = x(r, c) - mean;
    }

    double total = 0.0;
    for (std::size_t c = 0; c < n; ++c) {
        double column = 0.0;
        for (std::size_t r = 0; r < p; ++r)
            column += out.y(r, c) * out.y(r, c);
        total += column;
    }
    out.cs = std::sqrt(total);
    return out;
}

double centsize3Da(const Matrix& x)
{
    return centsize3D(x).cs;
}

}  // namespace vezedo::shape
