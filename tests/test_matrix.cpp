#include <gtest/gtest.h>

#include "harness.h"

#include <string>
#include <tuple>
#include <utility>

#include "platform/error.h"
#include "platform/matrix.h"
#include "platform/value.h"

using vezedo::Error;
using namespace vezedo::platform;

using vezedo::test::errorOf;

namespace {

const Matrix kTwoByThree = Matrix::fromRows({{1, 2, 3}, {4, 5, 6}});

}  // namespace

TEST(Matrix, OneBasedAccessReadsColumnMajorStorageAndChecksTheIndex)
{
    const Matrix& m = kTwoByThree;
    EXPECT_EQ(m.at(1, 2), 2);
    EXPECT_EQ(m.at(2, 1), 4);
    EXPECT_EQ(m.at(4), 5);  // linear order runs down the columns: 1 4 2 5 3 6
    EXPECT_EQ(m(1, 0), 4);
    EXPECT_EQ(m.row(1), (std::vector<double>{4, 5, 6}));
    EXPECT_THROW((void)m.at(0), Error);
    EXPECT_THROW((void)m.at(7), Error);
    for (const auto& [r, c] : {std::pair<std::size_t, std::size_t>{0, 1}, {1, 0}, {3, 1}, {1, 4}}) {
        const std::string message = errorOf([&, r = r, c = c] { (void)m.at(r, c); });
        EXPECT_NE(message.find("(" + std::to_string(r) + ", " + std::to_string(c) + ")"), std::string::npos) << message;
        EXPECT_NE(message.find("2 x 3"), std::string::npos) << message;
    }
    EXPECT_THROW(Matrix::fromRows({{1, 2}, {3}}), Error);  // ragged
    EXPECT_EQ(Matrix(0, 5), Matrix());
}

TEST(Matrix, SettingPastTheEndGrowsWithZeroFillKeepingElementsInPlace)
{
    Matrix m = Matrix::fromRows({{1, 2}, {3, 4}});
    m.set(3, 4, 9);
    EXPECT_EQ(m, Matrix::fromRows({{1, 2, 0, 0}, {3, 4, 0, 0}, {0, 0, 0, 9}}));
    EXPECT_THROW(m.set(0, 1, 1.0), Error);
    EXPECT_THROW(m.set(13, 1.0), Error);  // linear growth of a 2-D matrix has no shape
    EXPECT_THROW(m.set(0, 1.0), Error);

    // Linear growth follows the shape: a row grows along, a column down.
    const struct {
        Matrix start;
        std::size_t index;
        Matrix expected;
    } cases[] = {{Matrix(), 3, Matrix::rowVector({0, 0, 7})},
                 {Matrix::rowVector({1, 2}), 4, Matrix::rowVector({1, 2, 0, 7})},
                 {Matrix::fromRows({{1}, {2}, {3}}), 5, Matrix::fromRows({{1}, {2}, {3}, {0}, {7}})},
                 {Matrix::fromRows({{1, 2}, {3, 4}}), 2, Matrix::fromRows({{1, 2}, {7, 4}})}};
    for (const auto& c : cases) {
        Matrix grown = c.start;
        grown.set(c.index, 7.0);
        EXPECT_EQ(grown, c.expected) << Value(c.start).describe() << ", element " << c.index;
    }
    Matrix shrunk = kTwoByThree;
    shrunk.resize(1, 2);
    EXPECT_EQ(shrunk, Matrix::rowVector({1, 2}));
}

TEST(LandmarkSet, SlicesAreContiguousSpecimenBlocks)
{
    LandmarkSet set(2, 3);
    set(1, 2, 1) = 7.0;  // landmark 2, z, specimen 2
    EXPECT_EQ(set.values()[1 + 2 * 2 + 6 * 1], 7.0);
    EXPECT_EQ(set.sliceMatrix(1).at(2, 3), 7.0);
    EXPECT_EQ(set.slice(1).size(), 6u);
    EXPECT_EQ(LandmarkSet(kTwoByThree).sliceMatrix(0), kTwoByThree);
    EXPECT_THROW(LandmarkSet(Matrix::rowVector({1, 2})), Error);
}

TEST(Value, RecordsKeepFieldOrderAndKindsDescribeThemselves)
{
    Record r;
    r.set("zeta", 1);
    r.set("alpha", 2);
    r.set("zeta", 3);  // overwrites in place
    EXPECT_EQ(r.names(), (std::vector<std::string>{"zeta", "alpha"}));
    EXPECT_EQ(r.get("zeta"), Value(3));
    EXPECT_NE(errorOf([&] { (void)r.get("beta"); }).find("'beta'"), std::string::npos);

    const std::tuple<Value, std::string, bool> kinds[] = {
        {Value(), "the empty matrix", true},
        {Value(kTwoByThree), "a 2 x 3 matrix", false},
        {Value("ab"), "the text \"ab\"", false},
        {Value(""), "the text \"\"", true},
        {Value(CellList{1, "x"}), "a cell list of 2 elements", false},
        {Value(Record()), "a record of 0 fields", true},
        {Value(LandmarkSet(4, 2)), "a 4 x 3 x 2 landmark data set", false}};
    for (const auto& [value, description, empty] : kinds) {
        EXPECT_EQ(value.describe(), description);
        EXPECT_EQ(value.isEmpty(), empty) << description;
    }
    EXPECT_FALSE(Value("").isEmptyMatrix());
    EXPECT_NE(errorOf([&] { (void)Value("x").matrix(); }).find("the text \"x\""), std::string::npos);
    const std::string notScalar = errorOf([&] { (void)Value(Matrix::rowVector({1, 2})).scalar("width"); });
    EXPECT_EQ(notScalar, "Expected width to be one number, found a 1 x 2 matrix");
}
