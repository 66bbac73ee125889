#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "harness.h"
#include "platform/error.h"
#include "shape/shape.h"

using namespace vezedo;
using platform::Matrix;
using platform::Value;

namespace {

struct CentroidCase {
    const char* name;
    Matrix x;
    Matrix centred;
    double size;
};

void PrintTo(const CentroidCase& c, std::ostream* os)
{
    *os << c.name;
}

class CentroidKnown : public testing::TestWithParam<CentroidCase> {};

TEST_P(CentroidKnown, CentresEveryColumnAndMeasuresTheSize)
{
    const CentroidCase& c = GetParam();
    const shape::Centred out = shape::centsize3D(c.x);
    ASSERT_EQ(out.y.rows(), c.centred.rows());
    ASSERT_EQ(out.y.cols(), c.centred.cols());
    for (std::size_t i = 0; i < out.y.numel(); ++i)
        EXPECT_NEAR(out.y[i], c.centred[i], 1e-15) << "element " << i;
    EXPECT_NEAR(out.cs, c.size, 1e-15);
    EXPECT_EQ(shape::centsize3Da(c.x), out.cs);
}

INSTANTIATE_TEST_SUITE_P(
    Centroid, CentroidKnown,
    testing::Values(
        // Centroid (1, 1, 0); squared distances 2 + 5 + 5.
        CentroidCase{"RightTriangle", Matrix::fromRows({{0, 0, 0}, {3, 0, 0}, {0, 3, 0}}),
                     Matrix::fromRows({{-1, -1, 0}, {2, -1, 0}, {-1, 2, 0}}), std::sqrt(12.0)},
        CentroidCase{"CoincidingLandmarks", Matrix::fromRows({{4, -2, 7}, {4, -2, 7}, {4, -2, 7}}), Matrix(3, 3, 0.0),
                     0.0},
        CentroidCase{"SingleLandmark", Matrix::fromRows({{4, -2, 7}}), Matrix(1, 3, 0.0), 0.0},
        // Two columns work the same way: centroid (1, 1), squared distances 2 + 10 + 2.
        CentroidCase{"TwoColumns", Matrix::fromRows({{0, 0}, {4, 0}, {-1, 3}}),
                     Matrix::fromRows({{-1, -1}, {3, -1}, {-2, 2}}), std::sqrt(20.0)},
        CentroidCase{"Empty", Matrix(), Matrix(), 0.0}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(Centroid, TranslationChangesNothingAndScalingScalesTheSize)
{
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> coord(-10.0, 10.0);
    Matrix x(8, 3);
    for (std::size_t i = 0; i < x.numel(); ++i)
        x[i] = coord(rng);
    const shape::Centred base = shape::centsize3D(x);

    Matrix moved = x;
    Matrix scaled = x;
    for (std::size_t r = 0; r < x.rows(); ++r)
        for (std::size_t c = 0; c < 3; ++c) {
            moved(r, c) += 1000.0 * static_cast<double>(c + 1);
            scaled(r, c) *= 2.5;
        }
    const shape::Centred m = shape::centsize3D(moved);
    for (std::size_t i = 0; i < x.numel(); ++i)
        EXPECT_NEAR(m.y[i], base.y[i], 1e-11);
    EXPECT_NEAR(m.cs, base.cs, 1e-11);
    EXPECT_NEAR(shape::centsize3Da(scaled), 2.5 * base.cs, 1e-12);
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
    try {
        reg.call("centsize3D", {Value("shape")}, 2);
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()),
                  "centsize3D: the configuration must be a numeric matrix; found " + Value("shape").describe());
    }
}

}  // namespace
