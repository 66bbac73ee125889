#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <numbers>
#include <optional>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "harness.h"
#include "platform/error.h"
#include "platform/services.h"
#include "platform/textformat.h"
#include "shape/quality.h"
#include "shape/shape.h"

using namespace vezedo;
using platform::LandmarkSet;
using platform::Matrix;
using platform::Value;
using shape::LandmarkPair;

using vezedo::test::errorOf;

namespace {

// Every comparison of a computed figure with an independent one: 1e-9 relative.
constexpr double kRelative = 1e-9;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr auto kMissing = std::nullopt;
using Lengths = std::vector<std::optional<double>>;

void expectClose(double actual, double expected, const std::string& what)
{
    EXPECT_NEAR(actual, expected, kRelative * std::max(1.0, std::abs(expected))) << what;
}

// Deterministic numbers on every standard library: mt19937 is fixed by the standard, the
// distributions are not.
class Random {
public:
    explicit Random(std::uint32_t seed) : m_rng(seed) {}
    double uniform() { return (static_cast<double>(m_rng()) + 0.5) / 4294967296.0; }
    double normal() { return std::sqrt(-2.0 * std::log(uniform())) * std::cos(2.0 * std::numbers::pi * uniform()); }

private:
    std::mt19937 m_rng;
};

Matrix randomShape(std::size_t p, std::uint32_t seed, double spread = 10.0)
{
    Random r(seed);
    Matrix x(p, 3);
    for (std::size_t i = 0; i < x.numel(); ++i)
        x[i] = spread * (2.0 * r.uniform() - 1.0);
    return x;
}

// x rotated by the unit quaternion (w, a, b, c), multiplied by `scale` (negative: also a
// mirror image through the origin) and moved by `shift`.
Matrix similar(const Matrix& x, std::array<double, 4> q, double scale, std::array<double, 3> shift)
{
    const double n = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
    const double w = q[0] / n, a = q[1] / n, b = q[2] / n, c = q[3] / n;
    const double r[3][3] = {{1 - 2 * (b * b + c * c), 2 * (a * b - c * w), 2 * (a * c + b * w)},
                            {2 * (a * b + c * w), 1 - 2 * (a * a + c * c), 2 * (b * c - a * w)},
                            {2 * (a * c - b * w), 2 * (b * c + a * w), 1 - 2 * (a * a + b * b)}};
    Matrix y(x.rows(), 3);
    for (std::size_t i = 0; i < x.rows(); ++i)
        for (std::size_t k = 0; k < 3; ++k)
            y(i, k) = scale * (r[k][0] * x(i, 0) + r[k][1] * x(i, 1) + r[k][2] * x(i, 2)) + shift[k];
    return y;
}

Matrix swapped(Matrix x, std::size_t first, std::size_t second)  // 1-based landmark numbers
{
    for (std::size_t c = 0; c < 3; ++c)
        std::swap(x(first - 1, c), x(second - 1, c));
    return x;
}

Matrix centredAndScaled(const Matrix& x)
{
    shape::Centred c = shape::centsize3D(x);
    for (std::size_t i = 0; i < c.y.numel(); ++i)
        c.y[i] /= c.cs;
    return c.y;
}

LandmarkSet setOf(const std::vector<Matrix>& shapes)
{
    LandmarkSet set(shapes.front().rows(), shapes.size());
    for (std::size_t j = 0; j < shapes.size(); ++j)
        std::copy(shapes[j].values().begin(), shapes[j].values().end(), set.slice(j).begin());
    return set;
}

double norm(const Matrix& a, const Matrix& b)
{
    double s = 0.0;
    for (std::size_t i = 0; i < a.numel(); ++i)
        s += (a[i] - b[i]) * (a[i] - b[i]);
    return std::sqrt(s);
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

// The refitted distance by another road: the single-specimen fit that getpproc3 uses in
// each pass, onto the mean moved to its centroid.
double refitByFullFit(const Matrix& specimen, const Matrix& mean)
{
    platform::CapturingConsole console;
    const Matrix m = shape::centsize3D(mean).y;
    return norm(shape::partialprocrustes3a(m, specimen, console), m);
}

// A mouse-skull-like data set: one base shape, then per specimen small noise and a random
// rotation, scale and position.
std::vector<Matrix> specimens(std::size_t count, std::size_t p, std::uint32_t seed)
{
    const Matrix base = randomShape(p, seed);
    Random r(seed + 1);
    std::vector<Matrix> out;
    for (std::size_t j = 0; j < count; ++j) {
        Matrix x = base;
        for (std::size_t i = 0; i < x.numel(); ++i)
            x[i] += 0.15 * r.normal();
        out.push_back(similar(x, {r.normal(), r.normal(), r.normal(), r.normal()}, 0.5 + r.uniform(),
                              {100 * r.uniform(), -50 * r.uniform(), 20 * r.uniform()}));
    }
    return out;
}

shape::Superimposition superimposed(const std::vector<Matrix>& shapes)
{
    platform::CapturingConsole console;
    return shape::getpproc3(setOf(shapes), console);
}

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
    Matrix x = randomShape(8, 7), moved(8, 3);
    for (std::size_t i = 0; i < x.numel(); ++i)
        moved[i] = x[i] + 1000.0 * static_cast<double>(i / 8 + 1);
    const shape::Centred base = shape::centsize3D(x);
    const shape::Centred m = shape::centsize3D(moved);
    for (std::size_t i = 0; i < x.numel(); ++i)
        EXPECT_NEAR(m.y[i], base.y[i], 1e-11);
    EXPECT_NEAR(m.cs, base.cs, 1e-11);
    for (std::size_t i = 0; i < x.numel(); ++i)
        x[i] *= 2.5;
    EXPECT_NEAR(shape::centsize3Da(x), 2.5 * base.cs, 1e-12);
}

TEST(Procrustes, ACopyRotatedMovedScaledOrMirroredIsFittedOntoTheSameConfiguration)
{
    const double quarter = std::sqrt(0.5);
    const struct {
        const char* name;
        std::array<double, 4> rotation;  // a quaternion
        double scale;
        std::array<double, 3> shift;
    } cases[] = {{"identical", {1, 0, 0, 0}, 1.0, {0, 0, 0}},
                 {"a quarter turn, scaled up and moved", {quarter, 0, 0, quarter}, 3.0, {100, -50, 7}},
                 {"turned, scaled down and moved", {0.5, 1, -2, 0.5}, 0.001, {-3, 4, 5}},
                 {"almost a half turn", {5e-10, 0.3, 1, -0.2}, 250.0, {0, 0, 0}},
                 {"a half turn", {0, 1, 1, 1}, 1.0, {1e3, 1e3, 1e3}},
                 {"a mirror image", {1, 0, 0, 0}, -2.0, {0, 0, 0}},
                 {"a mirror image turned and moved", {0.8, 2, 1, -1}, -7.5, {-20, 3, 9}}};
    const Matrix x = randomShape(9, 42);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        platform::CapturingConsole console;
        const shape::Superimposition fit =
            shape::getpproc3(setOf({x, similar(x, c.rotation, c.scale, c.shift)}), console);
        EXPECT_LT(maxDifference(fit.fitted.sliceMatrix(0), fit.fitted.sliceMatrix(1)), 1e-12);
        EXPECT_LT(maxDifference(fit.mean, fit.fitted.sliceMatrix(0)), 1e-12);
        EXPECT_EQ(console.text(), "");
    }
}

TEST(Procrustes, EveryFitIsCentredWithUnitSizeAndKeepsTheShapes)
{
    // Twenty noisy, rotated, scaled and moved copies of one shape, and one quite different shape.
    std::vector<Matrix> shapes = specimens(20, 12, 11);
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
    for (std::uint32_t j = 0; j < 6; ++j)
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
    const Matrix negated = similar(randomShape(4, 3), {1, 0, 0, 0}, -1.0, {0, 0, 0});
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
        EXPECT_EQ(errorOf([&, data = data] { shape::getpproc3(data, console); }), "getpproc3: " + message);

    const Matrix four = randomShape(4, 1);
    EXPECT_EQ(errorOf([&] { shape::partialprocrustes3a(four, point, console); }),
              "partialprocrustes3a: the subject" + zero);
    EXPECT_EQ(errorOf([&] { shape::partialprocrustes3a(four, randomShape(5, 2), console); }),
              "partialprocrustes3a: the reference has 4 landmarks but the subject has 5");
    EXPECT_EQ(errorOf([&] { shape::svdrot2(Matrix(4, 2, 1.0), four); }),
              "svdrot2: the reference must be a p x 3 configuration (x, y, z per landmark); found 4 x 2");
    EXPECT_EQ(console.text(), "");
}

TEST(ShapeRegistry, RowsTakeADataSetOrOneShapeAndGiveBackTheSameKind)
{
    test::Harness h;
    const auto& reg = h.program.registry();
    const Value triangle(Matrix::fromRows({{0, 0, 0}, {3, 0, 0}, {0, 3, 0}}));
    const auto both = reg.call("centsize3D", {triangle}, 2);
    ASSERT_EQ(both.size(), 2u);
    EXPECT_EQ(both[0].matrix(), Matrix::fromRows({{-1, -1, 0}, {2, -1, 0}, {-1, 2, 0}}));
    EXPECT_DOUBLE_EQ(both[1].scalar(), std::sqrt(12.0));
    EXPECT_DOUBLE_EQ(reg.call("centsize3Da", {triangle}, 1).at(0).scalar(), std::sqrt(12.0));
    EXPECT_THROW(reg.call("centsize3D", {Value("shape")}, 2), Error);

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
    const Matrix b = similar(a, {0.9, 1, 2, 3}, 4.0, {1, 2, 3});
    EXPECT_LT(maxDifference(reg.call("partialprocrustes3a", {Value(a), Value(b)}, 1).at(0).matrix(), a), 1e-12);
    EXPECT_EQ(reg.call("svdrot2", {Value(a), Value(centredAndScaled(b))}, 1).at(0).matrix().rows(), 3u);
    EXPECT_THROW(reg.call("getpproc3", {Value(Matrix(4, 2, 1.0))}, 2), Error);
    EXPECT_EQ(h.console.text(), "");
}

TEST(QualityDistances, AreTheNormOfSpecimenMinusMeanAsFitted)
{
    const Matrix mean = Matrix::fromRows({{0.5, 0, 0}, {0, 0.5, 0}, {-0.5, 0, 0}, {0, -0.5, 0}});
    Matrix moved = mean;  // landmark 1 moved by (0.3, 0.4, 0): distance 0.5
    moved(0, 0) += 0.3;
    moved(0, 1) += 0.4;
    Matrix shifted = mean;  // every coordinate + 0.1: sqrt(12 x 0.01)
    for (std::size_t i = 0; i < shifted.numel(); ++i)
        shifted[i] += 0.1;
    Matrix mirrored = mean;  // y negated: landmarks 2 and 4 each move by 1
    for (std::size_t i = 0; i < 4; ++i)
        mirrored(i, 1) = -mirrored(i, 1);
    const struct {
        const char* name;
        Matrix specimen;
        double expected;
    } cases[] = {{"identical", mean, 0.0},
                 {"one landmark moved", moved, 0.5},
                 {"all coordinates shifted, no refit", shifted, std::sqrt(0.12)},
                 {"mirror image, no refit", mirrored, std::sqrt(2.0)}};
    std::vector<Matrix> shapes;
    for (const auto& c : cases)
        shapes.push_back(c.specimen);
    const std::vector<double> d = shape::procrustesDistances(setOf(shapes), mean);
    ASSERT_EQ(d.size(), std::size(cases));
    for (std::size_t j = 0; j < d.size(); ++j)
        expectClose(d[j], cases[j].expected, cases[j].name);
}

TEST(QualityQuartiles, FollowTheType7Formula)
{
    // Each row worked by hand from h = (n - 1) p + 1; R's quantile() gives the same.
    const struct {
        const char* name;
        std::vector<double> values;
        double q1, median, q3;
    } cases[] = {{"five values, whole h", {1, 2, 3, 4, 10}, 2, 3, 4},
                 {"four values, interpolated", {1, 2, 3, 4}, 1.75, 2.5, 3.25},
                 {"unsorted input", {7, 1, 3}, 2, 3, 5},
                 {"one value", {5}, 5, 5, 5},
                 {"ties then a jump", {2, 2, 2, 9}, 2, 2, 3.75},
                 {"six values", {-10, 1, 2, 3, 4, 10}, 1.25, 2.5, 3.75}};
    for (const auto& c : cases) {
        const shape::Quartiles q = shape::quartiles(c.values);
        expectClose(q.q1, c.q1, std::string(c.name) + ": Q1");
        expectClose(q.median, c.median, std::string(c.name) + ": median");
        expectClose(q.q3, c.q3, std::string(c.name) + ": Q3");
    }

    // Any probability: p = 0.1 gives h = 1.4, so 1 + 0.4 (2 - 1); p = 0.9 gives h = 4.6, so 4 + 0.6 (10 - 4).
    const std::vector<double> x{10, 1, 4, 2, 3};
    for (const auto& [prob, expected] : {std::pair{0.0, 1.0}, {0.1, 1.4}, {0.9, 7.6}, {1.0, 10.0}})
        expectClose(shape::quantile7(x, prob), expected, "p = " + std::to_string(prob));
}

TEST(QualityOutliers, AreTheValuesBeyondTheFences)
{
    using Positions = std::vector<std::size_t>;
    const std::vector<double> five{1, 2, 3, 4, 10};       // Q1 2, Q3 4, IQR 2
    const std::vector<double> six{-10, 1, 2, 3, 4, 10};   // Q1 1.25, Q3 3.75, IQR 2.5
    const std::vector<double> onTheFence{1, 2, 3, 4, 7};  // Q3 + 1.5 IQR = 7 exactly
    const struct {
        const char* name;
        Positions actual;
        Positions expected;
    } cases[] = {
        {"above Q3 + 1.5 IQR = 7", shape::upperOutliers(five, 1.5), {4}},
        {"not above Q3 + 3 IQR = 10", shape::upperOutliers(five, 3.0), {}},
        {"a value on the fence is inside", shape::upperOutliers(onTheFence, 1.5), {}},
        {"upper fence ignores the low value", shape::upperOutliers(six, 1.5), {5}},
        {"both sides of [-2.5, 7.5]", shape::outsideFences(six, 1.5), {0, 5}},
        {"both sides of [-6.25, 11.25]", shape::outsideFences(six, 3.0), {0}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.actual, c.expected) << c.name;
}

TEST(QualitySwapSearch, FindsTheExchangeThatUndoesAPlantedSwap)
{
    // Of unit centroid size as the fit leaves it, but away from the origin.
    Matrix mean = centredAndScaled(randomShape(8, 7));
    for (std::size_t i = 0; i < mean.numel(); ++i)
        mean[i] += i < 8 ? 5.0 : -2.0;
    const struct {
        const char* name;
        Matrix specimen;
        LandmarkPair pair;
    } cases[] = {
        {"as the mean", swapped(mean, 2, 5), {2, 5}},
        {"rotated and moved", swapped(similar(mean, {0.3, -1, 2, 0.5}, 1.0, {40, -3, 8}), 1, 8), {1, 8}},
        {"scaled", swapped(similar(mean, {1, 0, 0, 0}, 0.01, {0, 0, 0}), 3, 4), {3, 4}},
        {"mirror image", swapped(similar(mean, {2, 1, 1, -1}, -3.0, {1, 2, 3}), 6, 7), {6, 7}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const shape::SwapSearch s = shape::searchSwap(c.specimen.values(), mean);
        EXPECT_EQ(s.best, c.pair);
        EXPECT_NEAR(s.swappedDistance, 0.0, 1e-12);  // the refit undoes every similarity
        expectClose(s.unswappedDistance, refitByFullFit(c.specimen, mean), "unswapped");
        EXPECT_GT(s.unswappedDistance, 0.01);
        EXPECT_TRUE(s.suggested);
    }
}

TEST(QualitySwapSearch, AgreesWithRefittingEveryExchangeInFull)
{
    // No planted swap: the lowest distance comes out of the trial of all 66 pairs.
    const std::vector<Matrix> shapes = specimens(6, 12, 31);
    const shape::Superimposition fit = superimposed(shapes);
    for (std::size_t j = 0; j < shapes.size(); ++j) {
        SCOPED_TRACE("specimen " + std::to_string(j + 1));
        const Matrix x = fit.fitted.sliceMatrix(j);
        LandmarkPair best;
        double lowest = INFINITY;
        for (std::size_t a = 1; a <= 12; ++a)
            for (std::size_t b = a + 1; b <= 12; ++b)
                if (const double d = refitByFullFit(swapped(x, a, b), fit.mean); d < lowest)
                    lowest = d, best = {a, b};
        const shape::SwapSearch s = shape::searchSwap(fit.fitted.slice(j), fit.mean);
        EXPECT_EQ(s.best, best);
        expectClose(s.swappedDistance, lowest, "swapped");
        expectClose(s.unswappedDistance, refitByFullFit(x, fit.mean), "unswapped");
        EXPECT_FALSE(s.suggested);  // noise alone never halves the distance
    }
}

TEST(QualitySwapSearch, TiesGoToTheSmallestPairAndAnEqualDistanceIsNoSuggestion)
{
    // Landmarks 1 = 2 and 3 = 4 coincide: exchanging either pair leaves the specimen as it
    // is (distance 0, no better than before), every other exchange moves it.
    const Matrix coincident = Matrix::fromRows({{1, 0, 0}, {1, 0, 0}, {0, 2, 0}, {0, 2, 0}, {0, 0, 3}, {-1, -1, -1}});
    const shape::SwapSearch s = shape::searchSwap(coincident.values(), coincident);
    EXPECT_EQ(s.best, (LandmarkPair{1, 2}));
    EXPECT_EQ(s.swappedDistance, s.unswappedDistance);
    EXPECT_FALSE(s.suggested);

    // A mirror plane maps 1 to 3 and 2 to 4 and keeps 5 and 6: exchanging 1 and 2 gives the
    // mirror image of exchanging 3 and 4, so both refit to the same distance, the lowest of
    // all as 1 and 2 lie close. Turned at random, rounding favours either pair by an ulp or two.
    const Matrix symmetric =
        Matrix::fromRows({{1, 2, 0}, {0.9, 2.1, 0}, {1, -2, 0}, {0.9, -2.1, 0}, {0, 0, 3}, {0.5, 0, -2}});
    Random r(9);
    for (int turn = 0; turn < 20; ++turn) {
        const Matrix mean = similar(symmetric, {r.normal(), r.normal(), r.normal(), r.normal()}, 1.0, {0, 0, 0});
        EXPECT_EQ(shape::searchSwap(mean.values(), mean).best, (LandmarkPair{1, 2})) << "mirrored, turn " << turn;
    }
}

TEST(QualitySwapSearch, AboveThirtyLandmarksOnlyTheFifteenFarthestArePaired)
{
    // Landmarks 4 and 5 lie 0.01 apart in the mean and are exchanged; sixteen others are
    // moved by 0.05. Undoing the exchange is the best of all pairs, but 4 and 5 are not
    // among the fifteen farthest from the mean, so above 30 landmarks it is not tried.
    const auto planted = [](std::size_t p) {
        Matrix mean = randomShape(p, 77);
        for (std::size_t c = 0; c < 3; ++c)
            mean(4, c) = mean(3, c) + (c == 0 ? 0.01 : 0.0);
        Matrix specimen = swapped(mean, 4, 5);
        Random r(5);
        for (std::size_t i = 10; i < 26; ++i) {
            const std::array<double, 3> v{r.normal(), r.normal(), r.normal()};
            const double n = std::hypot(v[0], v[1], v[2]);
            for (std::size_t c = 0; c < 3; ++c)
                specimen(i, c) += 0.05 * v[c] / n;
        }
        return std::pair{mean, specimen};
    };
    const auto [mean30, specimen30] = planted(30);
    const auto [mean31, specimen31] = planted(31);
    shape::SwapSearchOptions every;
    every.allPairsUpTo = 31;

    EXPECT_EQ(shape::searchSwap(specimen30.values(), mean30).best, (LandmarkPair{4, 5})) << "30: all pairs";
    EXPECT_EQ(shape::searchSwap(specimen31.values(), mean31, every).best, (LandmarkPair{4, 5}))
        << "31 with every pair allowed";
    const LandmarkPair limited = shape::searchSwap(specimen31.values(), mean31).best;
    EXPECT_GE(limited.first, 11u) << "31: a pair of moved landmarks";
    EXPECT_LE(limited.second, 26u) << "31: a pair of moved landmarks";
}

TEST(QualityCheck, APlantedSwapIsFlaggedRanksFirstAndIsFound)
{
    for (std::uint32_t seed = 2025; seed < 2035; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::vector<Matrix> shapes = specimens(25, 10, seed);
        shapes[11] = swapped(shapes[11], 3, 7);
        const shape::Superimposition fit = superimposed(shapes);
        const std::vector<shape::SpecimenQuality> q = shape::checkQuality(fit.fitted, fit.mean);
        ASSERT_EQ(q.size(), 25u);
        for (std::size_t j = 0; j < q.size(); ++j) {
            SCOPED_TRACE("specimen " + std::to_string(j + 1));
            expectClose(q[j].distance, norm(fit.fitted.sliceMatrix(j), fit.mean), "distance");
            if (j != 11) {
                EXPECT_LT(q[j].distance, q[11].distance);  // ranks first
                EXPECT_FALSE(q[j].suggestedSwap().has_value());
            }
        }
        EXPECT_TRUE(q[11].outlier);
        ASSERT_TRUE(q[11].search.has_value());
        EXPECT_EQ(q[11].suggestedSwap(), (LandmarkPair{3, 7}));
        const Matrix x = fit.fitted.sliceMatrix(11);
        expectClose(q[11].search->unswappedDistance, refitByFullFit(x, fit.mean), "unswapped");
        expectClose(q[11].search->swappedDistance, refitByFullFit(swapped(x, 3, 7), fit.mean), "swapped");
    }
}

TEST(QualityCheck, TheSameSpecimensUnswappedFlagNothingAndAFlaggedSpecimenWithoutASwapGetsNoSuggestion)
{
    // Seed 2025 is the first of the ten above: without the swap none of its 25 distances
    // lies beyond Q3 + 1.5 IQR (with about one specimen in three hundred beyond that fence
    // by chance alone, some other seeds flag one).
    const shape::Superimposition fit = superimposed(specimens(25, 10, 2025));
    const std::vector<shape::SpecimenQuality> q = shape::checkQuality(fit.fitted, fit.mean);
    for (std::size_t j = 0; j < q.size(); ++j) {
        EXPECT_FALSE(q[j].outlier) << "specimen " << j + 1;
        EXPECT_FALSE(q[j].search.has_value()) << "specimen " << j + 1;
    }

    // Specimen 5 made far noisier than the others is flagged, but no exchange helps it.
    std::vector<Matrix> shapes = specimens(25, 10, 2025);
    for (std::size_t i = 0; i < shapes[4].numel(); ++i)
        shapes[4][i] += 3.0 * std::sin(static_cast<double>(i * i));
    const shape::Superimposition noisy = superimposed(shapes);
    const std::vector<shape::SpecimenQuality> flagged = shape::checkQuality(noisy.fitted, noisy.mean);
    ASSERT_TRUE(flagged[4].outlier);
    ASSERT_TRUE(flagged[4].search.has_value());
    EXPECT_FALSE(flagged[4].search->suggested);
    EXPECT_FALSE(flagged[4].suggestedSwap().has_value());
}

TEST(QualityLineSummary, CountsOnlyPresentLengthsAndTooFewLeaveFiguresUndefined)
{
    // Present 2, 4, 4, 4, 5, 5, 7, 9: mean 5, squared deviations 32, sd sqrt(32 / 7).
    const shape::LineSummary s = shape::summariseLine(Lengths{2, 4, kMissing, 4, 4, 5, 5, 7, kMissing, 9});
    EXPECT_EQ(s.n, 8u);
    expectClose(s.mean, 5.0, "mean");
    expectClose(s.sd, std::sqrt(32.0 / 7.0), "sd");
    expectClose(s.cv, 100.0 * std::sqrt(32.0 / 7.0) / 5.0, "cv");
    expectClose(s.min, 2.0, "min");
    expectClose(s.max, 9.0, "max");
    EXPECT_TRUE(s.outliers.empty());

    const shape::LineSummary empty = shape::summariseLine(Lengths{kMissing, kMissing});
    EXPECT_EQ(empty.n, 0u);
    EXPECT_TRUE(std::isnan(empty.mean) && std::isnan(empty.sd) && std::isnan(empty.min) && std::isnan(empty.max));

    const shape::LineSummary single = shape::summariseLine(Lengths{kMissing, 3.5});
    EXPECT_EQ(single.n, 1u);
    EXPECT_EQ(single.mean, 3.5);
    EXPECT_TRUE(std::isnan(single.sd));
    EXPECT_TRUE(std::isnan(single.cv));
    EXPECT_TRUE(single.outliers.empty());
}

TEST(QualityLineSummary, OutliersLieBeyondThreeIqrOnEitherSide)
{
    const struct {
        const char* name;
        Lengths lengths;
        std::vector<std::size_t> expected;
    } cases[] = {
        // Sorted 10 11 12 13 100: Q1 11, Q3 13, fences [5, 19].
        {"high", {10, 11, 12, 13, 100, kMissing}, {4}},
        // Sorted 1 50 51 52 53: Q1 50, Q3 52, fences [44, 58]; positions count the missing one.
        {"low, after a missing length", {kMissing, 50, 1, 51, 52, 53}, {2}},
        // Sorted 5 10 11 12 13: Q1 10, Q3 12, fences [4, 18]: 5 is inside.
        {"inside", {10, 11, 12, 13, 5}, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(shape::summariseLine(c.lengths).outliers, c.expected) << c.name;
}

TEST(QualityRefusals, EachCheckRefusesInputItCannotUseSayingWhy)
{
    const LandmarkSet four = setOf({randomShape(4, 1)});
    LandmarkSet withNaN = four;
    withNaN(2, 1, 0) = kNaN;
    Matrix meanWithNaN = randomShape(4, 2);
    meanWithNaN(3, 2) = kNaN;
    const std::vector<double> none, notFinite{1, kNaN}, some{1, 2, 3};
    const Matrix mean = randomShape(4, 3), coincident(4, 3, 2.5), single = randomShape(1, 3);
    Matrix infinite = mean;
    infinite(1, 1) = INFINITY;
    shape::SwapSearchOptions one;
    one.candidateLandmarks = 1;
    const Lengths lengths{1.0, kNaN};
    const struct {
        const char* name;
        std::function<void()> call;
        std::string message;
    } cases[] = {
        {"distances, mean of 2 columns", [&] { shape::procrustesDistances(four, Matrix(4, 2)); },
         "Procrustes distances: the mean shape must be a p x 3 configuration; found 4 x 2"},
        {"distances, other landmark count", [&] { shape::procrustesDistances(four, Matrix(5, 3)); },
         "Procrustes distances: the mean shape has 5 landmarks but the specimens have 4"},
        {"distances, coordinate not finite", [&] { shape::procrustesDistances(withNaN, randomShape(4, 2)); },
         "Procrustes distances: a fitted coordinate is not a finite number"},
        {"distances, mean not finite", [&] { shape::procrustesDistances(four, meanWithNaN); },
         "Procrustes distances: the mean shape holds a coordinate that is not a finite number"},
        {"quartiles of no values", [&] { shape::quartiles(none); }, "quartiles: there are no values"},
        {"quartiles of NaN", [&] { shape::quartiles(notFinite); }, "quartiles: a value is not a finite number"},
        {"probability above 1", [&] { shape::quantile7(some, 1.5); },
         "quantile: the probability must lie in [0, 1]; found 1.500000"},
        {"negative IQR factor", [&] { shape::upperOutliers(some, -1.0); },
         "outliers: the IQR factor must be a finite number >= 0; found -1.000000"},
        {"swap search, one landmark", [&] { shape::searchSwap(single.values(), single); },
         "swap search: a configuration of 1 landmark has no pair to exchange"},
        {"swap search, other size", [&] { shape::searchSwap(randomShape(5, 1).values(), mean); },
         "swap search: the specimen holds 15 coordinates; a configuration of 4 landmarks has 12"},
        {"swap search, coincident landmarks", [&] { shape::searchSwap(coincident.values(), mean); },
         "swap search: the specimen's landmarks all coincide (centroid size 0), so it cannot be scaled to unit size"},
        {"swap search, not finite", [&] { shape::searchSwap(infinite.values(), mean); },
         "swap search: a coordinate of the specimen is not a finite number"},
        {"swap search, one candidate", [&] { shape::searchSwap(mean.values(), mean, one); },
         "swap search: at least 2 candidate landmarks are needed; found 1"},
        {"line summary, length not finite", [&] { shape::summariseLine(lengths); },
         "line summary: the length of specimen 2 is not a finite number"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(errorOf(c.call), c.message) << c.name;
}

}  // namespace

namespace {

// The three-pass fit as first written: each specimen fitted by partialprocrustes3a onto the
// reference, the fits summed in file order, the sum centred and scaled.
Matrix threePassesByHand(const LandmarkSet& data)
{
    platform::CapturingConsole console;
    const std::size_t p = data.landmarks();
    Matrix reference(p, 3);
    for (std::size_t j = 0; j < data.specimens(); ++j)
        for (std::size_t i = 0; i < reference.numel(); ++i)
            reference[i] += data.slice(j)[i];
    reference = centredAndScaled(reference);
    std::vector<Matrix> slices;
    for (std::size_t j = 0; j < data.specimens(); ++j)
        slices.push_back(data.sliceMatrix(j));
    for (int pass = 0; pass < 3; ++pass) {
        Matrix sum(p, 3);
        for (Matrix& s : slices) {
            s = shape::partialprocrustes3a(reference, s, console);
            for (std::size_t i = 0; i < sum.numel(); ++i)
                sum[i] += s[i];
        }
        reference = centredAndScaled(sum);
    }
    return reference;
}

double largest(const Matrix& m)
{
    double out = 0;
    for (double v : m.values())
        out = std::max(out, std::abs(v));
    return out;
}

struct FitCase {
    const char* name;
    std::size_t specimens;
    std::size_t landmarks;
};

// Sizes around the groups of 256 specimens the fit sums separately.
const FitCase kFitCases[] = {
    {"one_group", 40, 9},
    {"groups_and_a_rest", 700, 12},
    {"many_groups", 2100, 5},
};

class ProcrustesThreads : public ::testing::TestWithParam<FitCase> {};

TEST_P(ProcrustesThreads, EveryThreadCountGivesTheSameBitsAndTheFitByHand)
{
    const FitCase& c = GetParam();
    std::vector<Matrix> shapes;
    const Matrix base = randomShape(c.landmarks, 77);
    for (std::uint32_t j = 0; j < c.specimens; ++j) {
        Matrix s = randomShape(c.landmarks, 1000 + j);
        for (std::size_t i = 0; i < s.numel(); ++i)
            s[i] = 20 * base[i] + s[i] + (i < c.landmarks ? 3.0 * j : 0.0);
        shapes.push_back(s);
    }
    const LandmarkSet data = setOf(shapes);
    platform::CapturingConsole console;
    const shape::Superimposition one = shape::getpproc3(data, console, 1);
    for (std::size_t threads : {2u, 3u, 4u}) {
        const shape::Superimposition many = shape::getpproc3(data, console, threads);
        EXPECT_TRUE(many.mean == one.mean) << threads << " threads";
        EXPECT_TRUE(many.fitted == one.fitted) << threads << " threads";
    }
    const Matrix byHand = threePassesByHand(data);
    EXPECT_LT(maxDifference(one.mean, byHand), 1e-12 * largest(byHand));
    EXPECT_EQ(console.text(), "");
}

INSTANTIATE_TEST_SUITE_P(Sizes, ProcrustesThreads, ::testing::ValuesIn(kFitCases),
                         [](const auto& param) { return std::string(param.param.name); });

}  // namespace
