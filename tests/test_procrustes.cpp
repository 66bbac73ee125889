#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <numbers>
#include <random>
#include <vector>

#include "harness.h"
#include "platform/error.h"
#include "platform/textformat.h"
#include "shape/shape.h"

using namespace vezedo;
using platform::LandmarkSet;
using platform::Matrix;
using platform::Value;

namespace {

using Rotation = std::array<std::array<double, 3>, 3>;

// Rotation by `angle` about the unit vector along `axis` (Rodrigues' formula).
Rotation rotation(std::array<double, 3> axis, double angle)
{
    const double n = std::sqrt(axis[0] * axis[0] + axis[1] * axis[1] + axis[2] * axis[2]);
    for (double& a : axis)
        a /= n;
    const double c = std::cos(angle), s = std::sin(angle), t = 1 - c;
    const auto [x, y, z] = axis;
    return {{{t * x * x + c, t * x * y - s * z, t * x * z + s * y},
             {t * x * y + s * z, t * y * y + c, t * y * z - s * x},
             {t * x * z - s * y, t * y * z + s * x, t * z * z + c}}};
}

// Every row times `r`, scaled, then moved.
Matrix similar(const Matrix& x, const Rotation& r, double scale, std::array<double, 3> shift)
{
    Matrix y(x.rows(), 3);
    for (std::size_t i = 0; i < x.rows(); ++i)
        for (std::size_t c = 0; c < 3; ++c)
            y(i, c) = scale * (x(i, 0) * r[0][c] + x(i, 1) * r[1][c] + x(i, 2) * r[2][c]) + shift[c];
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
    EXPECT_EQ(a.rows(), b.rows());
    EXPECT_EQ(a.cols(), b.cols());
    double worst = 0.0;
    for (std::size_t i = 0; i < std::min(a.numel(), b.numel()); ++i)
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

std::vector<double> distances(const Matrix& x)
{
    std::vector<double> out;
    for (std::size_t a = 0; a < x.rows(); ++a)
        for (std::size_t b = a + 1; b < x.rows(); ++b)
            out.push_back(std::hypot(x(a, 0) - x(b, 0), x(a, 1) - x(b, 1), x(a, 2) - x(b, 2)));
    return out;
}

std::string errorOf(const auto& action)
{
    try {
        action();
    } catch (const Error& e) {
        return e.what();
    }
    return "no error";
}

// --- copies of one configuration coincide after the fit ---

struct CopyCase {
    const char* name;
    std::array<double, 3> axis;
    double angle;
    double scale;
    std::array<double, 3> shift;
    bool mirrored;  // x negated before the rotation
};

void PrintTo(const CopyCase& c, std::ostream* os)
{
    *os << c.name;
}

class ProcrustesCopies : public testing::TestWithParam<CopyCase> {};

TEST_P(ProcrustesCopies, ACopyIsFittedOntoExactlyTheSameConfiguration)
{
    const CopyCase& c = GetParam();
    const Matrix x = randomShape(9, 42);
    Matrix source = x;
    if (c.mirrored)
        for (std::size_t i = 0; i < source.rows(); ++i)
            source(i, 0) = -source(i, 0);
    const Matrix copy = similar(source, rotation(c.axis, c.angle), c.scale, c.shift);

    platform::CapturingConsole console;
    const shape::Superimposition fit = shape::getpproc3(setOf({x, copy}), console);
    EXPECT_LT(maxDifference(fit.fitted.sliceMatrix(0), fit.fitted.sliceMatrix(1)), 1e-12);
    EXPECT_LT(maxDifference(fit.mean, fit.fitted.sliceMatrix(0)), 1e-12);
    EXPECT_EQ(console.text(), "");

    // The rotation alone: the copy times svdrot2's answer lands on the original.
    const Matrix a = centredAndScaled(x);
    const Matrix b = centredAndScaled(copy);
    const Matrix r = shape::svdrot2(a, b);
    Matrix rotated(b.rows(), 3);
    for (std::size_t i = 0; i < b.rows(); ++i)
        for (std::size_t k = 0; k < 3; ++k)
            rotated(i, k) = b(i, 0) * r(0, k) + b(i, 1) * r(1, k) + b(i, 2) * r(2, k);
    EXPECT_LT(maxDifference(rotated, a), 1e-12);
}

INSTANTIATE_TEST_SUITE_P(
    Procrustes, ProcrustesCopies,
    testing::Values(CopyCase{"Identical", {0, 0, 1}, 0.0, 1.0, {0, 0, 0}, false},
                    CopyCase{"QuarterTurnMovedAndEnlarged", {0, 0, 1}, std::numbers::pi / 2, 3.0, {100, -50, 7}, false},
                    CopyCase{"SkewAxisShrunk", {1, -2, 0.5}, 2.0, 0.001, {-3, 4, 5}, false},
                    CopyCase{"AlmostHalfTurn", {0.3, 1, -0.2}, std::numbers::pi - 1e-9, 250.0, {0, 0, 0}, false},
                    CopyCase{"HalfTurn", {1, 1, 1}, std::numbers::pi, 1.0, {1e3, 1e3, 1e3}, false},
                    CopyCase{"MirrorImage", {0, 0, 1}, 0.0, 1.0, {0, 0, 0}, true},
                    CopyCase{"MirrorImageRotatedScaledMoved", {2, 1, -1}, 1.3, 7.5, {-20, 3, 9}, true}),
    [](const auto& test) { return std::string(test.param.name); });

// --- properties of every fit ---

// Twenty noisy, rotated, scaled and moved copies of one shape, and one quite different shape.
LandmarkSet noisySample()
{
    std::mt19937 rng(3);
    std::normal_distribution<double> noise(0.0, 0.8);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const Matrix base = randomShape(12, 11);
    std::vector<Matrix> shapes;
    for (int j = 0; j < 20; ++j) {
        Matrix x = base;
        for (std::size_t i = 0; i < x.numel(); ++i)
            x[i] += noise(rng);
        shapes.push_back(similar(x, rotation({unit(rng) - 0.5, unit(rng) - 0.5, unit(rng) - 0.5}, 6.0 * unit(rng)),
                                 0.5 + unit(rng), {50 * unit(rng), -20 * unit(rng), 5.0}));
    }
    shapes.push_back(randomShape(12, 99, 30.0));
    return setOf(shapes);
}

void expectCentredUnitSize(const Matrix& x, const std::string& what)
{
    EXPECT_NEAR(shape::centsize3Da(x), 1.0, 1e-14) << what;
    for (std::size_t c = 0; c < 3; ++c) {
        double sum = 0.0;
        for (std::size_t i = 0; i < x.rows(); ++i)
            sum += x(i, c);
        EXPECT_NEAR(sum / static_cast<double>(x.rows()), 0.0, 1e-15) << what << ", column " << c + 1;
    }
}

TEST(Procrustes, MeanAndFittedSlicesAreCentredWithUnitSize)
{
    platform::CapturingConsole console;
    const LandmarkSet data = noisySample();
    const shape::Superimposition fit = shape::getpproc3(data, console);
    ASSERT_EQ(fit.mean.rows(), data.landmarks());
    ASSERT_EQ(fit.mean.cols(), 3u);
    ASSERT_EQ(fit.fitted.landmarks(), data.landmarks());
    ASSERT_EQ(fit.fitted.specimens(), data.specimens());
    expectCentredUnitSize(fit.mean, "mean shape");
    for (std::size_t j = 0; j < data.specimens(); ++j)
        expectCentredUnitSize(fit.fitted.sliceMatrix(j), "specimen " + std::to_string(j + 1));
    EXPECT_EQ(console.text(), "");  // every rotation passed its check
}

TEST(Procrustes, FittedSlicesScaledBackKeepEveryInterlandmarkDistance)
{
    platform::CapturingConsole console;
    const LandmarkSet data = noisySample();
    const shape::Superimposition fit = shape::getpproc3(data, console);
    for (std::size_t j = 0; j < data.specimens(); ++j) {
        const Matrix raw = data.sliceMatrix(j);
        const double size = shape::centsize3Da(raw);
        const std::vector<double> before = distances(raw);
        const std::vector<double> after = distances(fit.fitted.sliceMatrix(j));
        for (std::size_t d = 0; d < before.size(); ++d)
            EXPECT_NEAR(after[d] * size, before[d], 1e-9) << "specimen " << j + 1 << ", distance " << d;
    }
}

// Runs the superimposition by hand through the per-specimen function: the sum of the
// raw slices as starting reference, then `passes` passes that each refit the slices as the
// previous pass left them.
Matrix meanByHand(const LandmarkSet& data, int passes, platform::ConsoleService& console)
{
    Matrix reference(data.landmarks(), 3);
    for (std::size_t j = 0; j < data.specimens(); ++j)
        for (std::size_t i = 0; i < reference.numel(); ++i)
            reference[i] += data.slice(j)[i];
    reference = centredAndScaled(reference);
    std::vector<Matrix> slices;
    for (std::size_t j = 0; j < data.specimens(); ++j)
        slices.push_back(data.sliceMatrix(j));
    for (int pass = 0; pass < passes; ++pass) {
        Matrix sum(data.landmarks(), 3);
        for (Matrix& s : slices) {
            s = shape::partialprocrustes3a(reference, s, console);
            for (std::size_t i = 0; i < sum.numel(); ++i)
                sum[i] += s[i];
        }
        for (std::size_t i = 0; i < sum.numel(); ++i)
            sum[i] /= static_cast<double>(data.specimens());
        const double size = shape::centsize3Da(sum);
        for (std::size_t i = 0; i < sum.numel(); ++i)
            sum[i] /= size;
        reference = sum;
    }
    return reference;
}

TEST(Procrustes, MakesExactlyThreePassesFromTheUnfittedSum)
{
    // Unrelated random shapes converge slowly, so every extra or missing pass shows.
    std::vector<Matrix> shapes;
    for (unsigned j = 0; j < 6; ++j)
        shapes.push_back(randomShape(7, 500 + j));
    const LandmarkSet data = setOf(shapes);
    platform::CapturingConsole console;
    const Matrix mean = shape::getpproc3(data, console).mean;
    EXPECT_LT(maxDifference(mean, meanByHand(data, 3, console)), 1e-13);
    EXPECT_GT(maxDifference(mean, meanByHand(data, 2, console)), 1e-9);
    EXPECT_GT(maxDifference(mean, meanByHand(data, 4, console)), 1e-9);
}

TEST(Procrustes, ASingleSpecimenIsOnlyCentredAndScaled)
{
    const Matrix x = randomShape(5, 8);
    platform::CapturingConsole console;
    const shape::Superimposition fit = shape::getpproc3(LandmarkSet(x), console);
    const Matrix expected = centredAndScaled(x);
    EXPECT_LT(maxDifference(fit.mean, expected), 1e-15);
    ASSERT_EQ(fit.fitted.specimens(), 1u);
    EXPECT_EQ(fit.fitted.sliceMatrix(0), fit.mean);
}

TEST(Procrustes, TwoIdenticalSpecimensBothEqualTheMeanShape)
{
    const Matrix x = randomShape(6, 21);
    platform::CapturingConsole console;
    const shape::Superimposition fit = shape::getpproc3(setOf({x, x}), console);
    EXPECT_LT(maxDifference(fit.mean, centredAndScaled(x)), 1e-14);
    EXPECT_LT(maxDifference(fit.fitted.sliceMatrix(0), fit.mean), 1e-14);
    EXPECT_EQ(fit.fitted.sliceMatrix(0), fit.fitted.sliceMatrix(1));
}

// --- the rotation check ---

struct RotationCheckCase {
    const char* name;
    Matrix roto;
    bool passes;
};

void PrintTo(const RotationCheckCase& c, std::ostream* os)
{
    *os << c.name;
}

class ProcrustesRotationCheck : public testing::TestWithParam<RotationCheckCase> {};

TEST_P(ProcrustesRotationCheck, ReportsOnlyWhenTheFirstColumnIsNotOfUnitLengthToFiveDecimals)
{
    const RotationCheckCase& c = GetParam();
    platform::CapturingConsole console;
    EXPECT_EQ(shape::checkRotation(c.roto, console), c.passes);
    if (c.passes) {
        EXPECT_EQ(console.text(), "");
        return;
    }
    Matrix temp(3, 3);
    for (std::size_t r = 0; r < 3; ++r)
        for (std::size_t k = 0; k < 3; ++k)
            for (std::size_t i = 0; i < 3; ++i)
                temp(r, k) += c.roto(i, r) * c.roto(i, k);
    EXPECT_EQ(console.text(), platform::displayValue("stemp", Value("Error in rotation")) +
                                  platform::displayValue("roto", c.roto) + platform::displayValue("temp", temp));
}

INSTANTIATE_TEST_SUITE_P(
    Procrustes, ProcrustesRotationCheck,
    testing::Values(
        RotationCheckCase{"Identity", Matrix::fromRows({{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}), true},
        RotationCheckCase{"Reflection", Matrix::fromRows({{-1, 0, 0}, {0, 1, 0}, {0, 0, 1}}), true},
        // (1 + 2e-6)^2 rounds to 1 at five decimals; (1 + 3e-6)^2 does not.
        RotationCheckCase{"WithinTolerance", Matrix::fromRows({{1 + 2e-6, 0, 0}, {0, 1, 0}, {0, 0, 1}}), true},
        RotationCheckCase{"JustOutsideTolerance", Matrix::fromRows({{1 + 3e-6, 0, 0}, {0, 1, 0}, {0, 0, 1}}), false},
        RotationCheckCase{"Stretched", Matrix::fromRows({{2, 0, 0}, {0, 1, 0}, {0, 0, 1}}), false},
        // Only element (1, 1) of temp is looked at.
        RotationCheckCase{"BadLaterColumns", Matrix::fromRows({{0.6, 5, 0}, {0.8, 5, 0}, {0, 0, 9}}), true},
        RotationCheckCase{"NotANumber",
                          Matrix::fromRows({{std::numeric_limits<double>::quiet_NaN(), 0, 0}, {0, 1, 0}, {0, 0, 1}}),
                          false}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(Procrustes, ARotationThatFailsItsCheckIsReportedAndTheFitGoesOn)
{
    // A reference holding a number that is not finite leaves no usable rotation.
    Matrix reference = centredAndScaled(randomShape(4, 5));
    reference(2, 1) = std::numeric_limits<double>::quiet_NaN();
    platform::CapturingConsole console;
    const Matrix y = shape::partialprocrustes3a(reference, randomShape(4, 6), console);
    EXPECT_EQ(console.text().rfind("stemp =", 0), 0u) << console.text();
    EXPECT_NE(console.text().find("Error in rotation"), std::string::npos);
    EXPECT_NE(console.text().find("roto ="), std::string::npos);
    EXPECT_NE(console.text().find("temp ="), std::string::npos);
    EXPECT_EQ(y.rows(), 4u);
    EXPECT_EQ(y.cols(), 3u);
}

// --- refused input ---

struct RefusedCase {
    const char* name;
    LandmarkSet data;
    std::string message;
};

void PrintTo(const RefusedCase& c, std::ostream* os)
{
    *os << c.name;
}

Matrix coinciding(std::size_t p)
{
    return Matrix(p, 3, 2.5);
}

Matrix withValue(Matrix x, double v)
{
    x(1, 2) = v;
    return x;
}

Matrix negated(Matrix x)
{
    for (std::size_t i = 0; i < x.numel(); ++i)
        x[i] = -x[i];
    return x;
}

class ProcrustesRefuses : public testing::TestWithParam<RefusedCase> {};

TEST_P(ProcrustesRefuses, WithAMessageNamingTheSpecimen)
{
    platform::CapturingConsole console;
    EXPECT_EQ(errorOf([&] { shape::getpproc3(GetParam().data, console); }), GetParam().message);
}

const std::string kZeroSize = " has centroid size 0 (all its landmarks coincide), so it cannot be scaled to unit size";
const std::string kNotFinite =
    " holds a coordinate that is not a finite number (or so large that its centroid size overflows)";

INSTANTIATE_TEST_SUITE_P(
    Procrustes, ProcrustesRefuses,
    testing::Values(
        RefusedCase{"SecondOfThreeCoincides", setOf({randomShape(4, 1), coinciding(4), randomShape(4, 2)}),
                    "getpproc3: specimen 2" + kZeroSize},
        RefusedCase{"OnlySpecimenCoincides", LandmarkSet(coinciding(5)), "getpproc3: specimen 1" + kZeroSize},
        RefusedCase{"AllCoincide", setOf({coinciding(3), coinciding(3)}), "getpproc3: specimen 1" + kZeroSize},
        RefusedCase{"SingleLandmark", setOf({Matrix::fromRows({{1, 2, 3}}), Matrix::fromRows({{4, 5, 6}})}),
                    "getpproc3: specimen 1" + kZeroSize},
        RefusedCase{"SumOfSpecimensIsAPoint", setOf({randomShape(4, 3), negated(randomShape(4, 3))}),
                    "getpproc3: the starting reference (the sum of the 2 specimens as given)" + kZeroSize},
        RefusedCase{"NotANumber",
                    setOf({randomShape(4, 1), randomShape(4, 2),
                           withValue(randomShape(4, 3), std::numeric_limits<double>::quiet_NaN())}),
                    "getpproc3: specimen 3" + kNotFinite},
        RefusedCase{"Infinite",
                    setOf({withValue(randomShape(4, 1), -std::numeric_limits<double>::infinity()), randomShape(4, 2)}),
                    "getpproc3: specimen 1" + kNotFinite},
        RefusedCase{"Overflowing", setOf({withValue(randomShape(4, 1), 1e300), randomShape(4, 2)}),
                    "getpproc3: specimen 1" + kNotFinite},
        RefusedCase{"Empty", LandmarkSet(), "getpproc3: the landmark data set is empty (0 landmarks, 0 specimens)"}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(Procrustes, PerSpecimenFunctionsRefuseMismatchedOrDegenerateInput)
{
    platform::CapturingConsole console;
    const Matrix four = randomShape(4, 1);
    EXPECT_EQ(errorOf([&] { shape::partialprocrustes3a(four, coinciding(4), console); }),
              "partialprocrustes3a: the subject" + kZeroSize);
    EXPECT_EQ(errorOf([&] { shape::partialprocrustes3a(four, randomShape(5, 2), console); }),
              "partialprocrustes3a: the reference has 4 landmarks but the subject has 5");
    EXPECT_EQ(errorOf([&] { shape::svdrot2(Matrix(4, 2, 1.0), four); }),
              "svdrot2: the reference must be a p x 3 configuration (x, y, z per landmark); found 4 x 2");
    EXPECT_EQ(console.text(), "");
}

// --- registry rows ---

TEST(ProcrustesRegistry, GetpprocTakesADataSetOrOneShapeAndGivesBackTheSameSize)
{
    test::Harness h;
    const auto& reg = h.program.registry();
    const LandmarkSet data = noisySample();

    const auto out = reg.call("getpproc3", {Value(data)}, 2);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0].matrix(), shape::getpproc3(data, h.console).mean);
    ASSERT_TRUE(out[1].isLandmarkSet());
    EXPECT_EQ(out[1].landmarkSet().specimens(), data.specimens());

    const Matrix x = randomShape(5, 4);
    const auto one = reg.call("getpproc3", {Value(x)}, 2);
    ASSERT_TRUE(one[1].isMatrix());
    EXPECT_EQ(one[1].matrix(), one[0].matrix());
    EXPECT_EQ(one[0].matrix().rows(), 5u);

    EXPECT_EQ(errorOf([&] { reg.call("getpproc3", {Value(Matrix(4, 2, 1.0))}, 2); }),
              "getpproc3: the data must be a landmark data set or a p x 3 shape; found " +
                  Value(Matrix(4, 2, 1.0)).describe());
    EXPECT_EQ(h.console.text(), "");
}

TEST(ProcrustesRegistry, PerSpecimenRowsFitAndRotate)
{
    test::Harness h;
    const auto& reg = h.program.registry();
    const Matrix a = centredAndScaled(randomShape(6, 1));
    const Matrix b = similar(a, rotation({1, 2, 3}, 0.7), 4.0, {1, 2, 3});
    const auto fitted = reg.call("partialprocrustes3a", {Value(a), Value(b)}, 1);
    EXPECT_LT(maxDifference(fitted.at(0).matrix(), a), 1e-12);
    const auto roto = reg.call("svdrot2", {Value(a), Value(centredAndScaled(b))}, 1);
    EXPECT_EQ(roto.at(0).matrix().rows(), 3u);
    EXPECT_EQ(errorOf([&] { reg.call("svdrot2", {Value(a)}, 1); }), "Not enough input arguments.");
}

}  // namespace
