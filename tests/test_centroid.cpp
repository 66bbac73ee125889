#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <tuple>

#include "harness.h"
#include "platform/error.h"
#include "shape/shape.h"

using namespace vezedo;
using platform::Matrix;
using platform::Value;

namespace {

TEST(Centroid, CentresEveryColumnAndMeasuresTheSize)
{
    // Centroid (1, 1, 0); squared distances 2 + 5 + 5. Two columns work the same way.
    const std::tuple<Matrix, Matrix, double> cases[] = {
        {Matrix::fromRows({{0, 0, 0}, {3, 0, 0}, {0, 3, 0}}), Matrix::fromRows({{-1, -1, 0}, {2, -1, 0}, {-1, 2, 0}}),
         std::sqrt(12.0)},
        {Matrix::fromRows({{0, 0}, {4, 0}, {-1, 3}}), Matrix::fromRows({{-1, -1}, {3, -1}, {-2, 2}}), std::sqrt(20.0)},
        {Matrix(3, 3, 4.5), Matrix(3, 3, 0.0), 0.0},  // coinciding landmarks
        {Matrix::fromRows({{4, -2, 7}}), Matrix(1, 3, 0.0), 0.0},
        {Matrix(), Matrix(), 0.0}};
    for (const auto& [x, centred, size] : cases) {
        SCOPED_TRACE(Value(x).describe());
        const shape::Centred out = shape::centsize3D(x);
        EXPECT_EQ(out.y, centred);
        EXPECT_NEAR(out.cs, size, 1e-15);
        EXPECT_EQ(shape::centsize3Da(x), out.cs);
    }

    // Moving the configuration changes nothing; scaling it scales the size.
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> coord(-10.0, 10.0);
    Matrix x(8, 3), moved(8, 3);
    for (std::size_t i = 0; i < x.numel(); ++i) {
        x[i] = coord(rng);
        moved[i] = x[i] + 1000.0 * static_cast<double>(i / 8 + 1);
    }
    const shape::Centred base = shape::centsize3D(x);
    const shape::Centred m = shape::centsize3D(moved);
    for (std::size_t i = 0; i < x.numel(); ++i)
        EXPECT_NEAR(m.y[i], base.y[i], 1e-11);
    EXPECT_NEAR(m.cs, base.cs, 1e-11);
    for (std::size_t i = 0; i < x.numel(); ++i)
        x[i] *= 2.5;
    EXPECT_NEAR(shape::centsize3Da(x), 2.5 * base.cs, 1e-12);
}

TEST(CentroidRegistry, RowsReturnTheCentredShapeAndTheSize)
{
    test::Harness h;
    const auto& reg = h.program.registry();
    const Value x(Matrix::fromRows({{0, 0, 0}, {3, 0, 0}, {0, 3, 0}}));
    const auto both = reg.call("centsize3D", {x}, 2);
    ASSERT_EQ(both.size(), 2u);
    EXPECT_EQ(both[0].matrix(), Matrix::fromRows({{-1, -1, 0}, {2, -1, 0}, {-1, 2, 0}}));
    EXPECT_DOUBLE_EQ(both[1].scalar(), std::sqrt(12.0));
    EXPECT_DOUBLE_EQ(reg.call("centsize3Da", {x}, 1).at(0).scalar(), std::sqrt(12.0));
    EXPECT_THROW(reg.call("centsize3D", {Value("shape")}, 2), Error);
}

}  // namespace
