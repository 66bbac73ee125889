#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "platform/error.h"
#include "platform/matrix.h"
#include "platform/value.h"

using vezedo::Error;
using namespace vezedo::platform;

namespace {

Matrix twoByThree()
{
    return Matrix::fromRows({{1, 2, 3}, {4, 5, 6}});
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

} // namespace

TEST(Matrix, OneBasedAccessReadsColumnMajorStorage)
{
    const Matrix m = twoByThree();
    EXPECT_EQ(m.at(1, 2), 2);
    EXPECT_EQ(m.at(2, 1), 4);
    EXPECT_EQ(m.at(4), 5); // linear order runs down the columns: 1 4 2 5 3 6
    EXPECT_EQ(m(1, 0), 4);
    EXPECT_EQ(m.row(1), (std::vector<double>{4, 5, 6}));
    EXPECT_EQ(m.at(6), 6);
    EXPECT_THROW((void)m.at(0), Error);
    EXPECT_THROW((void)m.at(7), Error);
}

using Index = std::pair<std::size_t, std::size_t>;

class MatrixBadIndex : public testing::TestWithParam<Index> {};

TEST_P(MatrixBadIndex, CheckedAccessThrowsNamingIndexAndSize)
{
    const std::size_t r = GetParam().first;
    const std::size_t c = GetParam().second;
    const std::string message = errorOf([&] { (void)twoByThree().at(r, c); });
    EXPECT_NE(message.find("(" + std::to_string(r) + ", " + std::to_string(c) + ")"), std::string::npos) << message;
    EXPECT_NE(message.find("2 x 3"), std::string::npos) << message;
}

INSTANTIATE_TEST_SUITE_P(OutsideTwoByThree, MatrixBadIndex,
                         testing::Values(Index{0, 1}, Index{1, 0}, Index{3, 1}, Index{1, 4}, Index{3, 4}));

TEST(Matrix, SetPastTheEndGrowsKeepingElementsInPlace)
{
    Matrix m = Matrix::fromRows({{1, 2}, {3, 4}});
    m.set(3, 4, 9);
    ASSERT_EQ(m.rows(), 3u);
    ASSERT_EQ(m.cols(), 4u);
    EXPECT_EQ(m, Matrix::fromRows({{1, 2, 0, 0}, {3, 4, 0, 0}, {0, 0, 0, 9}}));
    EXPECT_THROW(m.set(0, 1, 1.0), Error);
    EXPECT_THROW(m.set(13, 1.0), Error); // linear growth of a 2-D matrix has no shape
    EXPECT_THROW(m.set(0, 1.0), Error);
}

struct LinearGrowth {
    Matrix start;
    std::size_t index;
    std::size_t rows;
    std::size_t cols;
};

class MatrixLinearGrowth : public testing::TestWithParam<LinearGrowth> {};

TEST_P(MatrixLinearGrowth, GrowsAlongItsShapeWithZeroFill)
{
    const LinearGrowth& p = GetParam();
    Matrix m = p.start;
    m.set(p.index, 7.0);
    EXPECT_EQ(m.rows(), p.rows);
    EXPECT_EQ(m.cols(), p.cols);
    EXPECT_EQ(m.at(p.index), 7.0);
    for (std::size_t k = p.start.numel() + 1; k < p.index; ++k)
        EXPECT_EQ(m.at(k), 0.0) << "element " << k;
    for (std::size_t k = 1; k <= p.start.numel(); ++k)
        EXPECT_EQ(m.at(k), k == p.index ? 7.0 : p.start.at(k)) << "element " << k;
}

INSTANTIATE_TEST_SUITE_P(Shapes, MatrixLinearGrowth,
                         testing::Values(LinearGrowth{Matrix(), 3, 1, 3}, LinearGrowth{Matrix::scalar(5), 2, 1, 2},
                                         LinearGrowth{Matrix::rowVector({1, 2}), 4, 1, 4},
                                         LinearGrowth{Matrix::fromRows({{1}, {2}, {3}}), 5, 5, 1},
                                         LinearGrowth{Matrix::fromRows({{1, 2}, {3, 4}}), 2, 2, 2}));

TEST(Matrix, RaggedRowsAreRejectedAndZeroSizeIsEmpty)
{
    EXPECT_THROW(Matrix::fromRows({{1, 2}, {3}}), Error);
    EXPECT_EQ(Matrix(0, 5), Matrix());
    Matrix m = twoByThree();
    m.resize(1, 2);
    EXPECT_EQ(m, Matrix::rowVector({1, 2}));
}

TEST(LandmarkSet, SlicesAreContiguousSpecimenBlocks)
{
    LandmarkSet set(2, 3);
    set(1, 2, 1) = 7.0; // landmark 2, z, specimen 2
    EXPECT_EQ(set.values()[1 + 2 * 2 + 6 * 1], 7.0);
    EXPECT_EQ(set.sliceMatrix(1).at(2, 3), 7.0);
    EXPECT_EQ(set.slice(1).size(), 6u);
    for (double v : set.slice(0))
        EXPECT_EQ(v, 0.0);
    for (double v : set.slice(2))
        EXPECT_EQ(v, 0.0);
}

TEST(LandmarkSet, BuiltFromShapeKeepsCoordinates)
{
    const LandmarkSet set(twoByThree());
    EXPECT_EQ(set.specimens(), 1u);
    EXPECT_EQ(set.sliceMatrix(0), twoByThree());
    EXPECT_THROW(LandmarkSet(Matrix::rowVector({1, 2})), Error);
}

TEST(Record, FieldsKeepFirstSetOrder)
{
    Record r;
    r.set("zeta", 1);
    r.set("alpha", 2);
    r.set("zeta", 3); // overwrites in place
    EXPECT_EQ(r.names(), (std::vector<std::string>{"zeta", "alpha"}));
    EXPECT_EQ(r.get("zeta"), Value(3));
    EXPECT_EQ(r.find("beta"), nullptr);
    EXPECT_NE(errorOf([&] { (void)r.get("beta"); }).find("'beta'"), std::string::npos);
}

struct ValueKind {
    Value value;
    std::string description;
    bool empty;
};

class ValueKinds : public testing::TestWithParam<ValueKind> {};

TEST_P(ValueKinds, DescribeAndEmptiness)
{
    const ValueKind& p = GetParam();
    EXPECT_EQ(p.value.describe(), p.description);
    EXPECT_EQ(p.value.isEmpty(), p.empty);
}

INSTANTIATE_TEST_SUITE_P(AllKinds, ValueKinds,
                         testing::Values(ValueKind{Value(), "the empty matrix", true},
                                         ValueKind{Value(twoByThree()), "a 2 x 3 matrix", false},
                                         ValueKind{Value("ab"), "the text \"ab\"", false},
                                         ValueKind{Value(""), "the text \"\"", true},
                                         ValueKind{Value(CellList{1, "x"}), "a cell list of 2 elements", false},
                                         ValueKind{Value(Record()), "a record of 0 fields", true},
                                         ValueKind{Value(LandmarkSet(4, 2)), "a 4 x 3 x 2 landmark data set", false}));

TEST(Value, AccessorsCheckTheKind)
{
    const Value text("x");
    EXPECT_TRUE(text.isString());
    EXPECT_FALSE(text.isEmptyMatrix());
    EXPECT_NE(errorOf([&] { (void)text.matrix(); }).find("the text \"x\""), std::string::npos);
    EXPECT_EQ(Value(2.5).scalar(), 2.5);
    const std::string message = errorOf([] { (void)Value(Matrix::rowVector({1, 2})).scalar("width"); });
    EXPECT_EQ(message, "Expected width to be one number, found a 1 x 2 matrix");
}
