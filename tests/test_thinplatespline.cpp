#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "harness.h"
#include "shape/missing.h"
#include "shape/thinplatespline.h"

using namespace vezedo;
using shape::Point;
using test::errorOf;

namespace {

std::vector<Point> cloud(std::size_t n, unsigned seed)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> u(-5, 5);
    std::vector<Point> out(n);
    for (Point& p : out)
        p = {u(random), u(random), u(random)};
    return out;
}

Point affine(const Point& p)
{
    return {2 * p[0] - 0.5 * p[1] + 0.3 * p[2] + 4, 0.1 * p[0] + 1.5 * p[1] - p[2] - 2,
            -0.7 * p[0] + 0.2 * p[1] + 3 * p[2] + 1};
}

// The points turned by 40 degrees about x, then 30 about z, and moved to `to`: their spreads
// stay those of the points as given.
std::vector<Point> turnedAndMoved(const std::vector<Point>& points, const Point& to)
{
    const double a = 40 * std::acos(-1.0) / 180, b = 30 * std::acos(-1.0) / 180;
    std::vector<Point> out;
    for (const Point& p : points) {
        const double y = std::cos(a) * p[1] - std::sin(a) * p[2], z = std::sin(a) * p[1] + std::cos(a) * p[2];
        out.push_back(
            {std::cos(b) * p[0] - std::sin(b) * y + to[0], std::sin(b) * p[0] + std::cos(b) * y + to[1], z + to[2]});
    }
    return out;
}

// The corners of a box of half-sides a, b, c centred at 0: its centred coordinates have
// orthogonal columns of 8 entries of +-a, +-b, +-c, so their spreads are sqrt(8) times a, b, c.
std::vector<Point> box(double a, double b, double c)
{
    std::vector<Point> out;
    for (double x : {-a, a})
        for (double y : {-b, b})
            for (double z : {-c, c})
                out.push_back({x, y, z});
    return out;
}

// Flatness against spreads worked out by hand: the box's half-sides; the ends of an
// ellipsoid's axes of 5, 2 and 0.5 (columns of squares 50, 8 and 0.5, so sqrt(0.5 / 50) = 0.1);
// a box 10 million times thinner than long, far from the origin, whose flatness the eigenvalues
// of the cross-product matrix get wrong in the fourth digit; points in a plane, on a line, or
// all at one place.
TEST(Flatness, IsTheSmallestSpreadOverTheLargest)
{
    const std::vector<Point> grid =
        turnedAndMoved({{0, 0, 0}, {3, 0, 0}, {0, 2, 0}, {3, 2, 0}, {1, 1, 0}, {-4, 5, 0}}, {7, -3, 2});
    std::vector<Point> line;
    for (double t : {-2.0, 0.0, 1.0, 3.5, 8.0})
        line.push_back({1 + t, 2 + 2 * t, -3 + 3 * t});
    const struct {
        const char* name;
        std::vector<Point> points;
        double expected;
        double tolerance;
    } cases[] = {
        {"box 6 x 4 x 2", turnedAndMoved(box(3, 2, 1), {100, -50, 20}), 1.0 / 3, 1e-12},
        {"ends of an ellipsoid's axes",
         turnedAndMoved({{5, 0, 0}, {-5, 0, 0}, {0, 2, 0}, {0, -2, 0}, {0, 0, 0.5}, {0, 0, -0.5}}, {1, 2, 3}), 0.1,
         1e-12},
        {"box 1e-7 thin, far out", turnedAndMoved(box(1, 0.5, 1e-7), {100, 100, 100}), 1e-7, 1e-12},
        {"a plane", grid, 0.0, 1e-13},
        {"a line", line, 0.0, 1e-13},
        {"all at one place", {{1, 2, 3}, {1, 2, 3}, {1, 2, 3}, {1, 2, 3}}, 0.0, 0.0},
        {"two points", {{0, 0, 0}, {1, 1, 1}}, 0.0, 0.0},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(shape::flatness(c.points), c.expected, c.tolerance) << c.name;
}

// An affine map is reproduced exactly everywhere, not only at the landmarks; otherwise each
// source landmark still lands exactly on its target, whatever the bending between them.
TEST(ThinPlateSpline, ReproducesAnAffineMapAndMapsEverySourceLandmarkOntoItsTarget)
{
    const std::vector<Point> source = cloud(12, 1);
    std::vector<Point> target;
    for (const Point& p : source)
        target.push_back(affine(p));
    const shape::ThinPlateSpline spline(source, target);
    for (const Point& p : cloud(20, 2)) {
        const Point got = spline(p), expected = affine(p);
        for (std::size_t c = 0; c < 3; ++c)
            EXPECT_NEAR(got[c], expected[c], 1e-9 * (1 + std::abs(expected[c])));
    }

    const std::vector<Point> from = cloud(15, 3), to = cloud(15, 4);
    const shape::ThinPlateSpline bending(from, to);
    for (std::size_t i = 0; i < from.size(); ++i) {
        const Point got = bending(from[i]);
        for (std::size_t c = 0; c < 3; ++c)
            EXPECT_NEAR(got[c], to[i][c], 1e-9) << i;
    }
}

TEST(ThinPlateSpline, RefusesTooFewCoplanarOrCoincidentLandmarks)
{
    const std::vector<Point> flat{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}, {2, 3, 0}};
    std::vector<Point> twice = cloud(6, 5);
    twice[4] = twice[1];
    const std::pair<std::vector<Point>, std::string> cases[] = {
        {cloud(3, 6), "at least 4 landmarks; 3 are given"},
        {flat, "lie in one plane"},
        {twice, "landmarks 2 and 5 of the reference coincide"},
    };
    for (const auto& [source, message] : cases) {
        const std::string error = errorOf([source = source] { shape::ThinPlateSpline(source, source); });
        EXPECT_NE(error.find(message), std::string::npos) << error;
    }
}

// A specimen that is an exact scaled and moved copy of the others gets its missing landmark
// back where it was: the spline from the mean is then a similarity.
TEST(MissingLandmarks, AnExactCopyGetsItsLandmarkBack)
{
    const std::vector<Point> base = cloud(8, 7);
    platform::LandmarkSet set(8, 4);
    for (std::size_t j = 0; j < 4; ++j)
        for (std::size_t i = 0; i < 8; ++i)
            for (std::size_t c = 0; c < 3; ++c)
                set(i, c, j) = base[i][c] * (1 + 0.1 * static_cast<double>(j)) + static_cast<double>(j + c);
    const double kept = set(5, 1, 2);
    for (std::size_t c = 0; c < 3; ++c)
        set(5, c, 2) = std::nan("");
    const shape::Completed done = shape::estimateMissingLandmarks(set, {"a", "b", "c", "d"});
    EXPECT_EQ(done.estimated, (std::vector<std::vector<std::size_t>>{{}, {}, {6}, {}}));
    EXPECT_NEAR(done.data(5, 1, 2), kept, 1e-9);
}

// Present landmarks nearly in one plane (in the specimen, or in the mean) would leave the
// estimate off that plane to the noise: such a specimen is refused, named; a configuration of
// real depth is estimated.
TEST(MissingLandmarks, PresentLandmarksNearlyInOnePlaneAreRefused)
{
    const struct {
        const char* name;
        double noise;                      // of z on landmarks 1 to 4, which lie in the plane z = 0
        std::vector<std::size_t> missing;  // in specimen 4, from 0
        bool refused;
    } cases[] = {{"exactly flat", 0.0, {4, 5}, true},
                 {"flat with 0.3 of noise", 0.3, {4, 5}, true},
                 {"one off the plane present", 0.0, {5}, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::mt19937 random(11);
        std::normal_distribution<double> noise(0, 1);
        // A square of side 10 and two landmarks far off it, above and below.
        const std::vector<Point> base{{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {0, 10, 0}, {5, 5, 8}, {5, 5, -6}};
        platform::LandmarkSet set(6, 6);
        for (std::size_t j = 0; j < 6; ++j)
            for (std::size_t i = 0; i < 6; ++i)
                for (std::size_t k = 0; k < 3; ++k)
                    set(i, k, j) = base[i][k] + (k == 2 && i < 4 ? c.noise * noise(random) : 0.1 * noise(random));
        for (std::size_t i : c.missing)
            for (std::size_t k = 0; k < 3; ++k)
                set(i, k, 3) = std::nan("");
        const std::string error = errorOf([&] {
            shape::estimateMissingLandmarks(set, {"s1", "s2", "s3", "s4", "s5", "s6"});
        });
        if (c.refused)
            EXPECT_NE(error.find("cannot estimate the missing landmarks of s4: its present landmarks lie nearly in one "
                                 "plane"),
                      std::string::npos)
                << error;
        else
            EXPECT_EQ(error, "no error");
    }
}

}  // namespace
