// The specimen check's own fit and findings, against figures worked out here independently:
// a direct orthogonal Procrustes fit by SVD for distances and exchange gains, the closed form
// of the two-specimen mean, and planted exchanges and mirror images in simulated samples.
#include <gtest/gtest.h>

#include <Eigen/Dense>
#include <array>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "harness.h"
#include "platform/error.h"
#include "shape/shape.h"
#include "shape/shapecheck.h"

using namespace vezedo;
using platform::LandmarkSet;
using platform::Matrix;

namespace {

using Shape = Eigen::Matrix<double, Eigen::Dynamic, 3>;

Shape shapeOf(const LandmarkSet& set, std::size_t j)
{
    return Eigen::Map<const Shape>(set.slice(j).data(), static_cast<Eigen::Index>(set.landmarks()), 3);
}

Shape centredUnit(Shape x)
{
    x.rowwise() -= x.colwise().mean();
    return x / x.norm();
}

// The smallest |x R - m| over rotations R (det +1) or over all orthogonal R, fitted directly:
// the rotation from the SVD of x' m, applied, and the residual measured as a norm.
double fittedDistance(const Shape& x, const Shape& m, bool reflections)
{
    const Eigen::JacobiSVD<Eigen::Matrix3d> svd(x.transpose() * m, Eigen::ComputeFullU | Eigen::ComputeFullV);
    Eigen::Matrix3d d = Eigen::Matrix3d::Identity();
    if (!reflections && (svd.matrixU() * svd.matrixV().transpose()).determinant() < 0)
        d(2, 2) = -1;
    const Eigen::Matrix3d r = svd.matrixU() * d * svd.matrixV().transpose();
    return (x * r - m).norm();
}

LandmarkSet setOf(const std::vector<Shape>& shapes)
{
    const auto p = static_cast<std::size_t>(shapes.front().rows());
    LandmarkSet set(p, shapes.size());
    for (std::size_t j = 0; j < shapes.size(); ++j)
        Eigen::Map<Shape>(set.slice(j).data(), static_cast<Eigen::Index>(p), 3) = shapes[j];
    return set;
}

Eigen::Matrix3d randomRotation(std::mt19937_64& rng)
{
    std::normal_distribution<double> n;
    const Eigen::Quaterniond q(n(rng), n(rng), n(rng), n(rng));
    return q.normalized().toRotationMatrix();
}

Shape randomShape(std::mt19937_64& rng, std::size_t p, double sd)
{
    std::normal_distribution<double> n(0.0, sd);
    Shape s(static_cast<Eigen::Index>(p), 3);
    for (Eigen::Index i = 0; i < s.size(); ++i)
        s.data()[i] = n(rng);
    return s;
}

// Noisy copies of `mean`, each turned, scaled and moved at random.
std::vector<Shape> copies(std::mt19937_64& rng, const Shape& mean, std::size_t k, double noise)
{
    std::vector<Shape> out;
    for (std::size_t j = 0; j < k; ++j) {
        Shape s = (mean + randomShape(rng, static_cast<std::size_t>(mean.rows()), noise)) * randomRotation(rng) *
                  (3.0 + static_cast<double>(j % 5));
        s.rowwise() += Eigen::RowVector3d(1.0, -2.0, 0.5 * static_cast<double>(j));
        out.push_back(s);
    }
    return out;
}

void exchange(Shape& s, std::size_t first, std::size_t second)  // 1-based
{
    s.row(static_cast<Eigen::Index>(first - 1)).swap(s.row(static_cast<Eigen::Index>(second - 1)));
}

// ---- The fit --------------------------------------------------------------------------------

// Two specimens: at convergence each lies at 2 - sqrt(2 + 2c) squared from the mean, c being
// the largest trace of R' x2' x1 over rotations, whatever the start.
TEST(ConvergedFit, TwoSpecimensLieHalfwayAsTheClosedFormSays)
{
    std::mt19937_64 rng(7);
    const Shape x1 = centredUnit(randomShape(rng, 6, 1.0));
    const Shape x2 = centredUnit(randomShape(rng, 6, 1.0) * randomRotation(rng));
    const double d = fittedDistance(x2, x1, false);  // d^2 = 2 - 2c
    const double c = 1.0 - d * d / 2.0;
    const shape::ConvergedFit fit = shape::fitToConvergence(setOf({x1 * 4.0, x2 * 0.5}));
    EXPECT_TRUE(fit.converged);
    const Shape mean = Eigen::Map<const Shape>(fit.mean.data(), 6, 3);
    for (std::size_t j = 0; j < 2; ++j)
        EXPECT_NEAR((shapeOf(fit.fitted, j) - mean).squaredNorm(), 2.0 - std::sqrt(2.0 + 2.0 * c), 1e-12) << j;
}

// A sample spread so widely that three passes leave the mean far from where it settles: the
// converged fit is a fixed point (every specimen is already best rotated onto the mean, the mean
// is their scaled average), reached in more than three passes; stopped after three, it is not.
TEST(ConvergedFit, ReachesAFixedPointWhereThreePassesAreFarFromIt)
{
    std::mt19937_64 rng(11);
    const Shape base = randomShape(rng, 5, 1.0);
    std::vector<Shape> shapes;
    for (std::size_t j = 0; j < 12; ++j)
        shapes.push_back(base + randomShape(rng, 5, 1.2));
    const LandmarkSet data = setOf(shapes);
    const shape::ConvergedFit three = shape::fitToConvergence(data, 3);
    const shape::ConvergedFit fit = shape::fitToConvergence(data);
    ASSERT_TRUE(fit.converged);
    EXPECT_GT(fit.passes, 3);
    EXPECT_FALSE(three.converged);
    EXPECT_EQ(three.passes, 3);
    const Shape mean = Eigen::Map<const Shape>(fit.mean.data(), 5, 3);
    const Shape meanAfterThree = Eigen::Map<const Shape>(three.mean.data(), 5, 3);
    EXPECT_GT(fittedDistance(meanAfterThree, mean, false), 1e-6);

    Shape sum = Shape::Zero(5, 3);
    for (std::size_t j = 0; j < shapes.size(); ++j) {
        const Shape y = shapeOf(fit.fitted, j);
        sum += y;
        EXPECT_NEAR(y.norm(), 1.0, 1e-12) << j;
        EXPECT_LT(y.colwise().sum().norm(), 1e-12) << j;
        // Already best rotated: no rotation brings it closer, and it is a rotation of the input.
        EXPECT_NEAR((y - mean).norm(), fittedDistance(y, mean, false), 1e-10) << j;
        EXPECT_NEAR(fittedDistance(centredUnit(shapes[j]), y, false), 0.0, 1e-7) << j;
    }
    EXPECT_LT((sum / sum.norm() - mean).norm(), 1e-10);
}

TEST(ConvergedFit, NeverReflectsASpecimen)
{
    std::mt19937_64 rng(3);
    const Shape base = randomShape(rng, 8, 1.0);
    std::vector<Shape> shapes = copies(rng, base, 6, 0.01);
    shapes[2].col(0) *= -1.0;  // a mirror image
    const shape::ConvergedFit fit = shape::fitToConvergence(setOf(shapes));
    for (std::size_t j = 0; j < shapes.size(); ++j) {
        const Shape x = centredUnit(shapes[j]);
        const Eigen::Matrix3d r = x.colPivHouseholderQr().solve(shapeOf(fit.fitted, j));
        EXPECT_NEAR(r.determinant(), 1.0, 1e-9) << j;
    }
}

TEST(ConvergedFit, RefusesASpecimenWhoseLandmarksCoincide)
{
    Shape flat = Shape::Ones(4, 3);
    std::mt19937_64 rng(1);
    EXPECT_EQ(test::errorOf([&] {
                  shape::fitToConvergence(setOf({randomShape(rng, 4, 1.0), flat}));
              }),
              "specimen check: specimen 2 has centroid size 0 (all its landmarks coincide), so it cannot be scaled "
              "to unit size");
}

// ---- Robust spread --------------------------------------------------------------------------

TEST(RobustSpread, MedianAndScaledMadWorkedByHand)
{
    // Median 3; absolute deviations 2 1 0 1 97, their median 1.
    const std::vector<double> v{1, 2, 3, 4, 100};
    const shape::RobustSpread r = shape::robustSpread(v);
    EXPECT_DOUBLE_EQ(r.median, 3.0);
    EXPECT_DOUBLE_EQ(r.mad, 1.4826);
}

// ---- Distances, mirror images and exchanges against a direct fit -----------------------------

TEST(SpecimenCheck, DistancesAndGainsMatchADirectFit)
{
    std::mt19937_64 rng(5);
    const Shape base = randomShape(rng, 7, 1.0);
    std::vector<Shape> shapes = copies(rng, base, 9, 0.05);
    exchange(shapes[4], 2, 6);
    shape::CheckOptions options;
    options.modes = 0;  // compared with the mean itself
    const shape::CheckResult r = shape::checkSpecimens(setOf(shapes), {}, options);
    const Shape mean = Eigen::Map<const Shape>(r.fit.mean.data(), 7, 3);
    for (std::size_t j = 0; j < shapes.size(); ++j) {
        SCOPED_TRACE(j);
        const Shape x = centredUnit(shapes[j]);
        const shape::SpecimenFinding& f = r.specimens[j];
        EXPECT_NEAR(f.distance, fittedDistance(x, mean, false), 1e-10);
        // The best fit with a reflection: the mirror image's best proper rotation.
        EXPECT_NEAR(f.mirroredDistance, fittedDistance(x * Eigen::Vector3d(-1, 1, 1).asDiagonal(), mean, false), 1e-10);
        // The best exchange over every pair, each refitted directly.
        double best = -1e300;
        shape::LandmarkPair pair;
        const double before = fittedDistance(x, mean, false);
        for (std::size_t a = 1; a <= 7; ++a)
            for (std::size_t b = a + 1; b <= 7; ++b) {
                Shape y = x;
                exchange(y, a, b);
                const double after = fittedDistance(y, mean, false);
                const double gain = before * before - after * after;
                if (gain > best + 1e-12)
                    best = gain, pair = {a, b};
            }
        EXPECT_NEAR(f.deviation, before * before, 1e-10);
        EXPECT_NEAR(f.gain, best, 1e-10);
        EXPECT_EQ(f.pair, pair);
    }
    EXPECT_EQ(r.specimens[4].pair, (shape::LandmarkPair{2, 6}));
    EXPECT_TRUE(r.specimens[4].suggested);
}

// A mirror image fits clearly better reflected; a flat sample, which a reflection through its
// own plane leaves as it is, is never taken for mirrored.
TEST(SpecimenCheck, FlagsTheMirrorImageOnly)
{
    struct Case {
        const char* name;
        double depth;  // z of the landmarks, relative to x and y
        bool flagged;
    };
    const Case cases[] = {{"solid shape", 0.7, true}, {"flat shape", 0.0, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::mt19937_64 rng(21);
        Shape base = randomShape(rng, 12, 1.0);
        base.col(2) *= c.depth;
        std::vector<Shape> shapes;
        for (std::size_t j = 0; j < 20; ++j) {
            Shape s = base + randomShape(rng, 12, 0.02);
            s.col(2) *= c.depth == 0.0 ? 0.0 : 1.0;
            shapes.push_back(s * randomRotation(rng));
        }
        shapes[13].col(1) *= -1.0;
        const shape::CheckResult r = shape::checkSpecimens(setOf(shapes));
        for (std::size_t j = 0; j < shapes.size(); ++j)
            EXPECT_EQ(r.specimens[j].mirrored, c.flagged && j == 13) << j;
        EXPECT_FALSE(r.specimens[13].suggested);
    }
}

// A far exchange in a configuration of few landmarks turns the whole fit, so that the mirror
// image can fit better than the specimen does; it is still an exchange, and a mirror image in
// a sample of large natural variation is still a mirror image.
TEST(SpecimenCheck, TellsFarExchangesFromMirrorImages)
{
    struct Case {
        const char* name;
        std::size_t landmarks;
        double variation;  // of each of four deformation modes
        bool mirror;       // plant a mirror image; else exchange the two farthest landmarks
    };
    const Case cases[] = {{"far exchange, 6 landmarks", 6, 0.01, false},
                          {"far exchange, 8 landmarks", 8, 0.01, false},
                          {"far exchange, 10 landmarks", 10, 0.01, false},
                          {"mirror image, varied sample", 12, 0.12, true},
                          {"mirror image, varied sample, 20 landmarks", 20, 0.12, true}};
    for (const Case& c : cases) {
        for (std::uint64_t seed = 1; seed <= 5; ++seed) {
            SCOPED_TRACE(std::string(c.name) + ", seed " + std::to_string(seed));
            std::mt19937_64 rng(seed);
            Shape base = randomShape(rng, c.landmarks, 1.0);
            base.col(2) *= 0.6;
            std::vector<Shape> modes;
            for (int m = 0; m < 4; ++m)
                modes.push_back(randomShape(rng, c.landmarks, c.variation));
            std::normal_distribution<double> z;
            std::vector<Shape> shapes;
            for (std::size_t j = 0; j < 60; ++j) {
                Shape s = base + randomShape(rng, c.landmarks, 0.02);
                for (const Shape& mode : modes)
                    s += z(rng) * mode;
                shapes.push_back(s);
            }
            shape::LandmarkPair far{1, 2};
            double farthest = 0.0;
            for (std::size_t a = 1; a <= c.landmarks; ++a)
                for (std::size_t b = a + 1; b <= c.landmarks; ++b) {
                    const double d =
                        (base.row(static_cast<Eigen::Index>(a - 1)) - base.row(static_cast<Eigen::Index>(b - 1)))
                            .norm();
                    if (d > farthest)
                        farthest = d, far = {a, b};
                }
            if (c.mirror)
                shapes[17].col(0) *= -1.0;
            else
                exchange(shapes[17], far.first, far.second);
            for (Shape& s : shapes)
                s = s * randomRotation(rng);
            const shape::CheckResult r = shape::checkSpecimens(setOf(shapes));
            EXPECT_EQ(r.specimens[17].mirrored, c.mirror);
            EXPECT_EQ(r.specimens[17].suggested, !c.mirror);
            if (!c.mirror) {
                EXPECT_EQ(r.specimens[17].pair.first, far.first);
                EXPECT_EQ(r.specimens[17].pair.second, far.second);
            }
            for (std::size_t j = 0; j < shapes.size(); ++j) {
                if (j != 17) {
                    EXPECT_FALSE(r.specimens[j].mirrored) << "specimen " << j;
                    // Natural variation this large may bring a rare false suggestion, never a
                    // false mirror image.
                    EXPECT_TRUE(!r.specimens[j].suggested || c.variation > 0.1) << "specimen " << j;
                }
            }
        }
    }
}

// ---- The gain rule on planted exchanges -------------------------------------------------------

struct Planted {
    std::size_t specimen;
    shape::LandmarkPair pair;
};

struct GainCase {
    const char* name;
    bool twoStructures;
    bool groups;
    double variation;  // of each of three deformation modes
    std::vector<Planted> planted;
};

class GainRule : public ::testing::TestWithParam<GainCase> {};

TEST_P(GainRule, SuggestsExactlyThePlantedPairs)
{
    const GainCase& c = GetParam();
    std::mt19937_64 rng(1234);
    const std::size_t p = 14, k = 120;
    const Shape first = randomShape(rng, p, 1.0);
    const Shape second = first + randomShape(rng, p, 0.35);
    std::vector<Shape> modes;
    for (int m = 0; m < 3; ++m)
        modes.push_back(randomShape(rng, p, c.variation));
    std::vector<Shape> shapes;
    std::vector<std::size_t> groups;
    std::normal_distribution<double> z;
    for (std::size_t j = 0; j < k; ++j) {
        const bool other = c.twoStructures && j % 2 == 1;
        Shape s = (other ? second : first) + randomShape(rng, p, 0.02);
        for (const Shape& mode : modes)
            s += z(rng) * mode;
        shapes.push_back(s * randomRotation(rng) * 5.0);
        groups.push_back(other ? 1 : 0);
    }
    for (const Planted& planted : c.planted)
        exchange(shapes[planted.specimen], planted.pair.first, planted.pair.second);
    if (!c.groups)
        groups.clear();
    const shape::CheckResult r = shape::checkSpecimens(setOf(shapes), groups);
    std::vector<std::string> expected, found;
    for (const Planted& planted : c.planted)
        expected.push_back(std::to_string(planted.specimen) + ":" + std::to_string(planted.pair.first) + "-" +
                           std::to_string(planted.pair.second));
    for (std::size_t j = 0; j < k; ++j)
        if (r.specimens[j].suggested)
            found.push_back(std::to_string(j) + ":" + std::to_string(r.specimens[j].pair.first) + "-" +
                            std::to_string(r.specimens[j].pair.second));
    std::sort(expected.begin(), expected.end());
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, expected);
}

const std::vector<Planted> kPlanted{{3, {1, 9}}, {40, {4, 5}}, {77, {2, 14}}, {101, {7, 12}}};

INSTANTIATE_TEST_SUITE_P(Samples, GainRule,
                         ::testing::Values(GainCase{"uniform", false, false, 0.01, kPlanted},
                                           GainCase{"uniform_clean", false, false, 0.01, {}},
                                           GainCase{"highly_variable", false, false, 0.12, kPlanted},
                                           GainCase{"two_structures_with_groups", true, true, 0.02, kPlanted},
                                           GainCase{"two_structures_without_groups", true, false, 0.02, kPlanted},
                                           GainCase{"two_structures_clean", true, true, 0.02, {}}),
                         [](const ::testing::TestParamInfo<GainCase>& row) { return std::string(row.param.name); });

TEST(SpecimenCheck, SmallGroupsAreJudgedWithTheWholeSample)
{
    std::mt19937_64 rng(9);
    const Shape base = randomShape(rng, 6, 1.0);
    const std::vector<Shape> shapes = copies(rng, base, 10, 0.02);
    const std::vector<std::size_t> groups{0, 0, 0, 0, 0, 0, 0, 1, 1, 1};
    const shape::CheckResult r = shape::checkSpecimens(setOf(shapes), groups);
    EXPECT_EQ(r.pooledGroups, (std::vector<std::size_t>{1}));
}

}  // namespace
