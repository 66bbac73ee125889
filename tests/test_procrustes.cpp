#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <numbers>
#include <random>
#include <tuple>
#include <vector>

#include "harness.h"
#include "platform/error.h"
#include "platform/textformat.h"
#include "shape/shape.h"

using namespace vezedo;
using platform::LandmarkSet;
using platform::Matrix;
using platform::Value;

using vezedo::test::errorOf;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Every row rotated by `angle` about `axis` (Rodrigues' formula), scaled, then moved. A
// negative scale also inverts the configuration through its origin: a mirror image.
Matrix similar(const Matrix& x, std::array<double, 3> axis, double angle, double scale, std::array<double, 3> shift)
{
    const double n = std::hypot(axis[0], axis[1], axis[2]);
    const auto [u, v, w] = std::array{axis[0] / n, axis[1] / n, axis[2] / n};
    const double c = std::cos(angle), s = std::sin(angle), t = 1 - c;
    const double r[3][3] = {{t * u * u + c, t * u * v - s * w, t * u * w + s * v},
                            {t * u * v + s * w, t * v * v + c, t * v * w - s * u},
                            {t * u * w - s * v, t * v * w + s * u, t * w * w + c}};
    Matrix y(x.rows(), 3);
    for (std::size_t i = 0; i < x.rows(); ++i)
        for (std::size_t k = 0; k < 3; ++k)
            y(i, k) = scale * (x(i, 0) * r[0][k] + x(i, 1) * r[1][k] + x(i, 2) * r[2][k]) + shift[k];
    return y;
}

Matrix randomShape(std::size_t p, unsigned seed, double spread = 10.0)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> coord(-spread, spread);
    Matrix x(p, 3);
    for (std::size_t i = 0; i < x.numel(); ++i)
        x[i] = coord(rng);
    return x;
}

LandmarkSet setOf(const std::vector<Matrix>& shapes)
{
    LandmarkSet set(shapes.front().rows(), shapes.size());
    for (std::size_t j = 0; j < shapes.size(); ++j)
        std::copy(shapes[j].values().begin(), shapes[j].values().end(), set.slice(j).begin());
    return set;
}

double maxDifference(const Matrix& a, const Matrix& b)
{
    if (a.rows() != b.rows() || a.cols() != b.cols())
        return INFINITY;
    double worst = 0.0;
    for (std::size_t i = 0; i < a.numel(); ++i)
        worst = std::max(worst, std::abs(a[i] - b[i]));
    return worst;
}

Matrix centredAndScaled(const Matrix& x)
{
    shape::Centred c = shape::centsize3D(x);
    for (std::size_t i = 0; i < c.y.numel(); ++i)
        c.y[i] /= c.cs;
    return c.y;
}

TEST(Procrustes, ACopyRotatedMovedScaledOrMirroredIsFittedOntoTheSameConfiguration)
{
    using Similarity = std::tuple<std::array<double, 3>, double, double, std::array<double, 3>>;
    const Similarity cases[] = {{{0, 0, 1}, 0.0, 1.0, {0, 0, 0}},  // identical
                                {{0, 0, 1}, std::numbers::pi / 2, 3.0, {100, -50, 7}},
                                {{1, -2, 0.5}, 2.0, 0.001, {-3, 4, 5}},
                                {{0.3, 1, -0.2}, std::numbers::pi - 1e-9, 250.0, {0, 0, 0}},  // almost a half turn
                                {{1, 1, 1}, std::numbers::pi, 1.0, {1e3, 1e3, 1e3}},          // a half turn
                                {{0, 0, 1}, 0.0, -2.0, {0, 0, 0}},                            // mirror images
                                {{2, 1, -1}, 1.3, -7.5, {-20, 3, 9}}};
    const Matrix x = randomShape(9, 42);
    for (const auto& [axis, angle, scale, shift] : cases) {
        SCOPED_TRACE("angle " + std::to_string(angle) + ", scale " + std::to_string(scale));
        platform::CapturingConsole console;
        const shape::Superimposition fit = shape::getpproc3(setOf({x, similar(x, axis, angle, scale, shift)}), console);
        EXPECT_LT(maxDifference(fit.fitted.sliceMatrix(0), fit.fitted.sliceMatrix(1)), 1e-12);
        EXPECT_LT(maxDifference(fit.mean, fit.fitted.sliceMatrix(0)), 1e-12);
        EXPECT_EQ(console.text(), "");
    }
}

TEST(Procrustes, EveryFitIsCentredWithUnitSizeAndKeepsTheShapes)
{
    // Twenty noisy, rotated, scaled and moved copies of one shape, and one quite different shape.
    std::mt19937 rng(3);
    std::normal_distribution<double> noise(0.0, 0.8);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::vector<Matrix> shapes;
    for (int j = 0; j < 20; ++j) {
        Matrix x = randomShape(12, 11);
        for (std::size_t i = 0; i < x.numel(); ++i)
            x[i] += noise(rng);
        shapes.push_back(similar(x, {unit(rng) - 0.5, unit(rng) - 0.5, unit(rng) - 0.5}, 6.0 * unit(rng),
                                 0.5 + unit(rng), {50 * unit(rng), -20 * unit(rng), 5.0}));
    }
    shapes.push_back(randomShape(12, 99, 30.0));
    const LandmarkSet data = setOf(shapes);
    platform::CapturingConsole console;
    const shape::Superimposition fit = shape::getpproc3(data, console);
    ASSERT_EQ(fit.fitted.specimens(), data.specimens());
    const auto distance = [](const Matrix& x, std::size_t a, std::size_t b) {
        return std::hypot(x(a, 0) - x(b, 0), x(a, 1) - x(b, 1), x(a, 2) - x(b, 2));
    };
    for (std::size_t s = 0; s <= data.specimens(); ++s) {
        SCOPED_TRACE(s == 0 ? "mean shape" : "specimen " + std::to_string(s));
        const Matrix x = s == 0 ? fit.mean : fit.fitted.sliceMatrix(s - 1);
        EXPECT_NEAR(shape::centsize3Da(x), 1.0, 1e-14);
        EXPECT_LT(maxDifference(shape::centsize3D(x).y, x), 1e-15);  // every column mean is 0
        if (s == 0)
            continue;
        // Scaled back by the specimen's centroid size, every interlandmark distance is as measured.
        const Matrix raw = data.sliceMatrix(s - 1);
        const double size = shape::centsize3Da(raw);
        for (std::size_t a = 0; a < x.rows(); ++a)
            for (std::size_t b = a + 1; b < x.rows(); ++b)
                EXPECT_NEAR(distance(x, a, b) * size, distance(raw, a, b), 1e-9)
                    << "landmarks " << a + 1 << ", " << b + 1;
    }
    EXPECT_EQ(console.text(), "");  // every rotation passed its check
}

TEST(Procrustes, MakesExactlyThreePassesFromTheUnfittedSum)
{
    // Unrelated random shapes converge slowly, so every extra or missing pass shows.
    std::vector<Matrix> shapes;
    for (unsigned j = 0; j < 6; ++j)
        shapes.push_back(randomShape(7, 500 + j));
    const LandmarkSet data = setOf(shapes);
    platform::CapturingConsole console;
    // By hand: the raw sum as the first reference, then passes that each refit the slices
    // as the pass before left them onto the scaled mean of the last pass.
    const auto byHand = [&](int passes) {
        Matrix reference(data.landmarks(), 3);
        for (const Matrix& s : shapes)
            for (std::size_t i = 0; i < reference.numel(); ++i)
                reference[i] += s[i];
        reference = centredAndScaled(reference);
        std::vector<Matrix> slices = shapes;
        for (int pass = 0; pass < passes; ++pass) {
            Matrix sum(data.landmarks(), 3);
            for (Matrix& s : slices) {
                s = shape::partialprocrustes3a(reference, s, console);
                for (std::size_t i = 0; i < sum.numel(); ++i)
                    sum[i] += s[i];
            }
            reference = centredAndScaled(sum);
        }
        return reference;
    };
    const Matrix mean = shape::getpproc3(data, console).mean;
    EXPECT_LT(maxDifference(mean, byHand(3)), 1e-13);
    EXPECT_GT(maxDifference(mean, byHand(2)), 1e-9);
    EXPECT_GT(maxDifference(mean, byHand(4)), 1e-9);
}

TEST(Procrustes, TheRotationCheckReportsAFirstColumnNotOfUnitLengthToFiveDecimals)
{
    const auto diagonal = [](double first) { return Matrix::fromRows({{first, 0, 0}, {0, 1, 0}, {0, 0, 1}}); };
    // (1 + 2e-6)^2 rounds to 1 at five decimals, (1 + 3e-6)^2 does not; a reflection passes.
    for (const auto& [first, passes] :
         {std::pair{1.0, true}, {-1.0, true}, {1 + 2e-6, true}, {1 + 3e-6, false}, {2.0, false}, {kNaN, false}}) {
        platform::CapturingConsole console;
        const Matrix roto = diagonal(first);
        EXPECT_EQ(shape::checkRotation(roto, console), passes) << first;
        Matrix temp(3, 3);  // roto' * roto
        for (std::size_t i = 0; i < 9; ++i)
            for (std::size_t k = 0; k < 3; ++k)
                temp[i] += roto(k, i % 3) * roto(k, i / 3);
        EXPECT_EQ(console.text(), passes ? ""
                                         : platform::displayValue("stemp", Value("Error in rotation")) +
                                               platform::displayValue("roto", roto) +
                                               platform::displayValue("temp", temp));
    }
    platform::CapturingConsole console;  // only temp(1, 1) is looked at
    EXPECT_TRUE(shape::checkRotation(Matrix::fromRows({{0.6, 5, 0}, {0.8, 5, 0}, {0, 0, 9}}), console));

    // A reference holding a number that is not finite leaves no usable rotation: reported,
    // and the fit goes on.
    Matrix reference = centredAndScaled(randomShape(4, 5));
    reference(2, 1) = kNaN;
    const Matrix y = shape::partialprocrustes3a(reference, randomShape(4, 6), console);
    EXPECT_EQ(console.text().rfind("stemp =", 0), 0u) << console.text();
    EXPECT_NE(console.text().find("Error in rotation"), std::string::npos);
    EXPECT_EQ(y.rows(), 4u);
}

TEST(Procrustes, DegenerateDataIsRefusedNamingTheSpecimen)
{
    const std::string zero = " has centroid size 0 (all its landmarks coincide), so it cannot be scaled to unit size";
    const std::string notFinite =
        " holds a coordinate that is not a finite number (or so large that its centroid size overflows)";
    const Matrix point(4, 3, 2.5);
    const auto with = [](Matrix x, double v) {
        x(1, 2) = v;
        return x;
    };
    const Matrix negated = similar(randomShape(4, 3), {0, 0, 1}, 0.0, -1.0, {0, 0, 0});
    const std::pair<LandmarkSet, std::string> cases[] = {
        {setOf({randomShape(4, 1), point, randomShape(4, 2)}), "specimen 2" + zero},
        {LandmarkSet(point), "specimen 1" + zero},
        {setOf({Matrix::fromRows({{1, 2, 3}}), Matrix::fromRows({{4, 5, 6}})}), "specimen 1" + zero},
        {setOf({randomShape(4, 3), negated}), "the starting reference (the sum of the 2 specimens as given)" + zero},
        {setOf({randomShape(4, 1), randomShape(4, 2), with(randomShape(4, 3), kNaN)}), "specimen 3" + notFinite},
        {setOf({with(randomShape(4, 1), -INFINITY), randomShape(4, 2)}), "specimen 1" + notFinite},
        {setOf({with(randomShape(4, 1), 1e300), randomShape(4, 2)}), "specimen 1" + notFinite},
        {LandmarkSet(), "the landmark data set is empty (0 landmarks, 0 specimens)"}};
    platform::CapturingConsole console;
    for (const auto& [data, message] : cases)
        EXPECT_EQ(errorOf([&] { shape::getpproc3(data, console); }), "getpproc3: " + message);

    const Matrix four = randomShape(4, 1);
    EXPECT_EQ(errorOf([&] { shape::partialprocrustes3a(four, point, console); }),
              "partialprocrustes3a: the subject" + zero);
    EXPECT_EQ(errorOf([&] { shape::partialprocrustes3a(four, randomShape(5, 2), console); }),
              "partialprocrustes3a: the reference has 4 landmarks but the subject has 5");
    EXPECT_EQ(errorOf([&] { shape::svdrot2(Matrix(4, 2, 1.0), four); }),
              "svdrot2: the reference must be a p x 3 configuration (x, y, z per landmark); found 4 x 2");
    EXPECT_EQ(console.text(), "");
}

TEST(ProcrustesRegistry, RowsTakeADataSetOrOneShapeAndGiveBackTheSameKind)
{
    test::Harness h;
    const auto& reg = h.program.registry();
    const LandmarkSet data = setOf({randomShape(6, 1), randomShape(6, 2), randomShape(6, 3)});
    const auto out = reg.call("getpproc3", {Value(data)}, 2);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0].matrix(), shape::getpproc3(data, h.console).mean);
    EXPECT_EQ(out[1].landmarkSet().specimens(), 3u);

    // One specimen is only centred and scaled.
    const Matrix x = randomShape(5, 8);
    const auto one = reg.call("getpproc3", {Value(x)}, 2);
    EXPECT_LT(maxDifference(one[0].matrix(), centredAndScaled(x)), 1e-15);
    EXPECT_EQ(one[1], one[0]);

    const Matrix a = centredAndScaled(x);
    const Matrix b = similar(a, {1, 2, 3}, 0.7, 4.0, {1, 2, 3});
    EXPECT_LT(maxDifference(reg.call("partialprocrustes3a", {Value(a), Value(b)}, 1).at(0).matrix(), a), 1e-12);
    EXPECT_EQ(reg.call("svdrot2", {Value(a), Value(centredAndScaled(b))}, 1).at(0).matrix().rows(), 3u);
    EXPECT_THROW(reg.call("getpproc3", {Value(Matrix(4, 2, 1.0))}, 2), Error);
    EXPECT_EQ(h.console.text(), "");
}

}  // namespace
