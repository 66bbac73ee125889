#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "harness.h"
#include "platform/error.h"
#include "shape/measurementerror.h"

using namespace vezedo;
using shape::Matching;
using shape::MeasurementError;

using vezedo::test::errorOf;

namespace {

// Every comparison with a hand-computed figure: 1e-9 relative.
constexpr double kRelative = 1e-9;
constexpr auto kMissing = std::nullopt;
using Values = std::vector<std::optional<double>>;
using Ids = std::vector<std::string>;
using Pairs = std::vector<std::pair<std::size_t, std::size_t>>;
constexpr Matching kById = Matching::ById, kByOrder = Matching::ByOrder;

void expectClose(double actual, double expected, const std::string& what)
{
    EXPECT_NEAR(actual, expected, kRelative * std::max(1.0, std::abs(expected))) << what;
}

struct Expected {
    std::size_t n;
    double grandMean, msWithin, msAmong, s2Among, tem, relativeTem, percentMe, icc;
};

void expectAnalysis(const MeasurementError& r, const Expected& e, const std::string& name)
{
    EXPECT_EQ(r.n, e.n) << name;
    expectClose(r.grandMean, e.grandMean, name + ": grand mean");
    expectClose(r.msWithin, e.msWithin, name + ": MS within");
    expectClose(r.msAmong, e.msAmong, name + ": MS among");
    expectClose(r.s2Among, e.s2Among, name + ": s2 among");
    expectClose(r.tem, e.tem, name + ": TEM");
    expectClose(r.relativeTem, e.relativeTem, name + ": rTEM");
    expectClose(r.percentMe, e.percentMe, name + ": %ME");
    expectClose(r.icc, e.icc, name + ": ICC");
}

// Three specimens measured twice: (10, 12), (20, 20), (30, 31). By hand: specimen means 11,
// 20, 30.5; grand mean 123 / 6 = 20.5; squares within 2 + 0 + 0.5 = 2.5, so MS within 2.5 / 3
// = 5/6; squares among 90.25 + 0.25 + 100 = 190.5, so MS among 2 x 190.5 / 2 = 190.5;
// s2 among (190.5 - 5/6) / 2 = 569/6; MS within + s2 among = 574/6.
const double kTem = std::sqrt(5.0 / 6.0);
const Expected kThreeSpecimens{3, 20.5, 5.0 / 6, 190.5, 569.0 / 6, kTem, 100 * kTem / 20.5, 500.0 / 574, 569.0 / 574};

TEST(MeasurementError, OneVariableFollowsTheOneWayAnalysis)
{
    const struct {
        const char* name;
        Values first, second;
        Expected expected;
    } cases[] = {
        {"three specimens", {10, 20, 30}, {12, 20, 31}, kThreeSpecimens},
        {"replicates in either order", {12, 20, 30}, {10, 20, 31}, kThreeSpecimens},
        {"incomplete specimens left out", {10, kMissing, 20, 99, 30}, {12, 5, 20, kMissing, 31}, kThreeSpecimens},
        // Specimen means all 11: MS among 0, MS within (2 + 2 + 0) / 3, s2 among -2/3 <= 0.
        {"no variation among specimens",
         {10, 12, 11},
         {12, 10, 11},
         {3, 11, 4.0 / 3.0, 0, -2.0 / 3.0, std::sqrt(4.0 / 3.0), 100.0 * std::sqrt(4.0 / 3.0) / 11.0, 100, 0}},
        // Replicates agree: MS within 0; means 1 and 3, MS among 2 x 2 / 1 = 4, s2 among 2.
        {"replicates agree", {1, 3}, {1, 3}, {2, 2, 0, 4, 2, 0, 0, 0, 1}},
    };
    for (const auto& c : cases)
        expectAnalysis(shape::measurementError(c.first, c.second), c.expected, c.name);

    // A grand mean of zero leaves the relative TEM undefined.
    EXPECT_TRUE(std::isnan(shape::measurementError(Values{-1, 1}, Values{-1, 1}).relativeTem));
}

TEST(MeasurementError, RefusesInputItCannotAnalyse)
{
    const std::string tooFew = "at least 2 specimens measured in both replicates are needed; found ";
    const struct {
        const char* name;
        Values first, second;
        std::string message;
    } cases[] = {
        {"one complete specimen", {1, kMissing, 3}, {1, 2, kMissing}, tooFew + "1"},
        {"no specimens", {}, {}, tooFew + "0"},
        {"lengths differ", {1, 2, 3}, {1, 2}, "the first replicate has 3 values but the second has 2"},
        {"not finite", {1, 2, 3}, {1, INFINITY, 3}, "the second value of specimen 2 is not a finite number"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(errorOf([&] { shape::measurementError(c.first, c.second); }), "measurement error: " + c.message)
            << c.name;
}

// Figures over lengths that are mostly 0, or that barely vary, carry a note saying so.
TEST(MeasurementError, NotesLengthsOfZeroAndNearlyConstantOnes)
{
    using V = std::vector<std::optional<double>>;
    const struct {
        const char* name;
        V first, second;
        const char* note;
    } cases[] = {
        {"mostly zero", {0.0, 0.0, 0.0, 0.2}, {0.0, 0.0, 0.1, 0.2}, "length 0 in 5 of 8 measures"},
        {"nearly constant",
         {10.0, 10.001, 10.0, 10.002},
         {10.001, 10.0, 10.002, 10.0},
         "nearly constant (CV below 0.1 %): the error figures say little"},
        {"varied", {10.0, 12.0, 9.0, 11.0}, {10.1, 12.2, 8.9, 11.0}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(shape::measurementError(c.first, c.second).note, c.note);
    }
}

TEST(MeasurementErrorMatching, PairsByIdWhenUniqueElseByOrder)
{
    const struct {
        const char* name;
        Ids first, second;
        Matching by;
        Pairs pairs;
        Ids onlyInFirst, onlyInSecond;
    } cases[] = {
        {"same IDs", {"a", "b"}, {"a", "b"}, kById, {{0, 0}, {1, 1}}, {}, {}},
        {"unique IDs in another order", {"a", "b", "c"}, {"c", "a", "d"}, kById, {{0, 1}, {2, 0}}, {"b"}, {"d"}},
        {"unique IDs, none shared", {"a"}, {"b"}, kById, {}, {"a"}, {"b"}},
        {"an ID repeated in the first", {"a", "a", "b"}, {"x", "y", "z"}, kByOrder, {{0, 0}, {1, 1}, {2, 2}}, {}, {}},
        {"an ID repeated in the second", {"a", "b"}, {"b", "b"}, kByOrder, {{0, 0}, {1, 1}}, {}, {}},
    };
    for (const auto& c : cases) {
        const shape::SpecimenMatch m = shape::matchSpecimens(c.first, c.second);
        EXPECT_EQ(m.by, c.by) << c.name;
        EXPECT_EQ(m.pairs, c.pairs) << c.name;
        EXPECT_EQ(m.onlyInFirst, c.onlyInFirst) << c.name;
        EXPECT_EQ(m.onlyInSecond, c.onlyInSecond) << c.name;
    }
}

// Paired by order, a specimen missing from one file would shift every pair after it: with
// repeated IDs and different counts the pairing is refused, naming the repeats.
TEST(MeasurementErrorMatching, RefusesToPairByOrderDataSetsOfDifferentSizes)
{
    const struct {
        const char* name;
        Ids first, second;
        const char* named;
    } cases[] = {
        {"one missing, one ID mistyped into a repeat",
         {"a", "b", "c", "d", "e"},
         {"a", "b", "b", "e"},
         "in the first data set: none; in the second: b"},
        {"repeats in both", {"a", "a", "c"}, {"c", "c"}, "in the first data set: a; in the second: c"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            shape::matchSpecimens(c.first, c.second);
            ADD_FAILURE() << "paired";
        } catch (const Error& e) {
            EXPECT_NE(std::string(e.what()).find(c.named), std::string::npos) << e.what();
        }
    }
}

TEST(MeasurementErrorReplicates, OnlyTheVariableThatDiffersHasAnError)
{
    // Four specimens, three variables; the second digitisation lists them in another order,
    // adds one the first lacks, and measures variable 2 of specimen "m3" 0.4 longer.
    const shape::ReplicateTable first{{"m1", "m2", "m3", "m4"},
                                      {{10.0, 11.0, 12.5, 9.0}, {3.0, 3.5, 4.0, 3.25}, {7.0, 7.5, 6.0, 8.0}}};
    const shape::ReplicateTable second{
        {"m4", "m3", "m5", "m2", "m1"},
        {{9.0, 12.5, 1.0, 11.0, 10.0}, {3.25, 4.4, 2.0, 3.5, 3.0}, {8.0, 6.0, 5.0, 7.5, 7.0}}};
    const shape::ReplicateComparison r = shape::compareReplicates(first, second);
    EXPECT_EQ(r.match.by, Matching::ById);
    EXPECT_EQ(r.match.onlyInSecond, Ids{"m5"});
    ASSERT_EQ(r.variables.size(), 3u);
    EXPECT_EQ(r.variables[0].tem, 0.0) << "variable 1";
    EXPECT_EQ(r.variables[2].tem, 0.0) << "variable 3";
    // One specimen of n = 4 differs by d = 0.4: squares within 2 (d / 2)^2, MS within
    // d^2 / (2 n), TEM d / sqrt(8).
    EXPECT_EQ(r.variables[1].n, 4u);
    expectClose(r.variables[1].tem, 0.4 / std::sqrt(8.0), "variable 2: TEM");
}

TEST(MeasurementErrorReplicates, RefusesTablesThatDoNotMatch)
{
    const shape::ReplicateTable two{{"a", "b"}, {{1.0, 2.0}, {3.0, 4.0}}};
    const shape::ReplicateTable one{{"a", "b"}, {{1.0, 2.0}}};
    const shape::ReplicateTable ragged{{"a", "b"}, {{1.0, 2.0}, {3.0}}};
    const shape::ReplicateTable sparse{{"a", "b"}, {{1.0, 2.0}, {3.0, kMissing}}};
    const shape::ReplicateTable notFinite{{"a", "b"}, {{1.0, NAN}, {3.0, 4.0}}};
    const struct {
        const char* name;
        const shape::ReplicateTable& first;
        const shape::ReplicateTable& second;
        std::string message;
    } cases[] = {
        {"variable counts", two, one, "measurement error: the first data set has 2 variables but the second has 1"},
        {"ragged column", two, ragged,
         "measurement error: in the second data set variable 2 has 1 values for 2 specimens"},
        {"too few in one variable", two, sparse,
         "variable 2: measurement error: at least 2 specimens measured in both replicates are needed; found 1"},
        {"not finite", notFinite, two,
         "measurement error: in the first data set the value of variable 1 for specimen b is not a finite number"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(errorOf([&] { shape::compareReplicates(c.first, c.second); }), c.message) << c.name;
}

}  // namespace
