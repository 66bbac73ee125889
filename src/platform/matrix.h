#pragma once

#include <cstddef>
#include <initializer_list>
#include <span>
#include <vector>

namespace vezedo::platform {

// A 2-D array of doubles, column-major. The empty (0 x 0) matrix means "no value".
// operator() is 0-based and unchecked; at()/set() speak the 1-based indices of the
// algorithms, check their bounds and (for set) grow the matrix with zero fill.
class Matrix {
public:
    Matrix() = default;
    Matrix(std::size_t rows, std::size_t cols, double fill = 0.0);
    // Takes the rows x cols numbers of `columnMajor` over without copying them.
    static Matrix adopt(std::size_t rows, std::size_t cols, std::vector<double>&& columnMajor);

    static Matrix scalar(double value);
    static Matrix rowVector(std::span<const double> values);
    static Matrix rowVector(std::initializer_list<double> values);
    static Matrix columnVector(std::span<const double> values);
    // Rows given as nested lists; all rows must be equally long.
    static Matrix fromRows(std::initializer_list<std::initializer_list<double>> rows);

    std::size_t rows() const { return m_rows; }
    std::size_t cols() const { return m_cols; }
    std::size_t numel() const { return m_data.size(); }
    bool empty() const { return m_data.empty(); }
    bool isScalar() const { return m_data.size() == 1; }
    // One row or one column (a scalar is both).
    bool isVector() const { return m_rows == 1 || m_cols == 1; }

    double& operator()(std::size_t r, std::size_t c) { return m_data[c * m_rows + r]; }
    double operator()(std::size_t r, std::size_t c) const { return m_data[c * m_rows + r]; }
    double& operator[](std::size_t linear) { return m_data[linear]; }
    double operator[](std::size_t linear) const { return m_data[linear]; }

    // 1-based, checked: an index outside the matrix throws an Error naming it.
    double at(std::size_t r, std::size_t c) const;
    double at(std::size_t linear) const;
    // 1-based assignment that grows the matrix (new elements are 0) when past its end.
    void set(std::size_t r, std::size_t c, double value);
    // Linear 1-based assignment; an empty matrix or a row grows as a row, a column as a column.
    void set(std::size_t linear, double value);

    void resize(std::size_t rows, std::size_t cols);  // keeps elements in place, zero fill
    std::vector<double> row(std::size_t r) const;     // 0-based

    const double* data() const { return m_data.data(); }
    double* data() { return m_data.data(); }
    const std::vector<double>& values() const { return m_data; }

    bool operator==(const Matrix& other) const = default;

private:
    std::size_t m_rows = 0;
    std::size_t m_cols = 0;
    std::vector<double> m_data;
};

// p landmarks x 3 coordinates x k specimens in one contiguous buffer; slice j is specimen
// j. Element (i, c, j) (0-based) lives at i + p*c + 3*p*j, so each slice is a column-major
// p x 3 block that can be viewed without copying.
class LandmarkSet {
public:
    LandmarkSet() = default;
    LandmarkSet(std::size_t landmarks, std::size_t specimens);
    explicit LandmarkSet(const Matrix& shape);  // one specimen from a p x 3 matrix

    std::size_t landmarks() const { return m_landmarks; }
    std::size_t specimens() const { return m_specimens; }
    bool empty() const { return m_data.empty(); }

    double& operator()(std::size_t i, std::size_t c, std::size_t j) { return m_data[i + m_landmarks * (c + 3 * j)]; }
    double operator()(std::size_t i, std::size_t c, std::size_t j) const
    {
        return m_data[i + m_landmarks * (c + 3 * j)];
    }

    // The p x 3 column-major block of specimen j (0-based).
    std::span<double> slice(std::size_t j);
    std::span<const double> slice(std::size_t j) const;
    Matrix sliceMatrix(std::size_t j) const;

    const std::vector<double>& values() const { return m_data; }
    bool operator==(const LandmarkSet& other) const = default;

private:
    std::size_t m_landmarks = 0;
    std::size_t m_specimens = 0;
    std::vector<double> m_data;
};

}  // namespace vezedo::platform
