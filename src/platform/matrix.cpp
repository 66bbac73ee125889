#include "platform/matrix.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "platform/error.h"

namespace vezedo::platform {

namespace {
std::string sizeText(std::size_t rows, std::size_t cols)
{
    return std::to_string(rows) + " x " + std::to_string(cols);
}
}  // namespace

Matrix::Matrix(std::size_t rows, std::size_t cols, double fill) : m_rows(rows), m_cols(cols), m_data(rows * cols, fill)
{
    if (m_data.empty())
        m_rows = m_cols = 0;
}

Matrix Matrix::adopt(std::size_t rows, std::size_t cols, std::vector<double>&& columnMajor)
{
    if (columnMajor.size() != rows * cols)
        throw std::invalid_argument("Matrix::adopt: the numbers do not fill the matrix");
    Matrix m;
    if (columnMajor.empty())
        return m;
    m.m_rows = rows;
    m.m_cols = cols;
    m.m_data = std::move(columnMajor);
    return m;
}

Matrix Matrix::scalar(double value)
{
    return Matrix(1, 1, value);
}

Matrix Matrix::rowVector(std::span<const double> values)
{
    Matrix m(values.empty() ? 0 : 1, values.size());
    std::copy(values.begin(), values.end(), m.m_data.begin());
    return m;
}

Matrix Matrix::rowVector(std::initializer_list<double> values)
{
    return rowVector(std::span<const double>(values.begin(), values.size()));
}

Matrix Matrix::columnVector(std::span<const double> values)
{
    Matrix m(values.size(), values.empty() ? 0 : 1);
    std::copy(values.begin(), values.end(), m.m_data.begin());
    return m;
}

Matrix Matrix::fromRows(std::initializer_list<std::initializer_list<double>> rows)
{
    const std::size_t cols = rows.size() == 0 ? 0 : rows.begin()->size();
    Matrix m(rows.size(), cols);
    std::size_t r = 0;
    for (const auto& row : rows) {
        if (row.size() != cols)
            throw Error("Matrix rows must all have " + std::to_string(cols) + " elements");
        std::size_t c = 0;
        for (double v : row)
            m(r, c++) = v;
        ++r;
    }
    return m;
}

double Matrix::at(std::size_t r, std::size_t c) const
{
    if (r < 1 || c < 1 || r > m_rows || c > m_cols)
        throw Error("Index (" + std::to_string(r) + ", " + std::to_string(c) + ") is outside the " +
                    sizeText(m_rows, m_cols) + " matrix");
    return (*this)(r - 1, c - 1);
}

double Matrix::at(std::size_t linear) const
{
    if (linear < 1 || linear > m_data.size())
        throw Error("Index " + std::to_string(linear) + " is outside the " + sizeText(m_rows, m_cols) + " matrix");
    return m_data[linear - 1];
}

void Matrix::set(std::size_t r, std::size_t c, double value)
{
    if (r < 1 || c < 1)
        throw Error("Index (" + std::to_string(r) + ", " + std::to_string(c) + ") is not a positive whole number");
    if (r > m_rows || c > m_cols)
        resize(std::max(r, m_rows), std::max(c, m_cols));
    (*this)(r - 1, c - 1) = value;
}

void Matrix::set(std::size_t linear, double value)
{
    if (linear < 1)
        throw Error("Index 0 is not a positive whole number");
    if (linear > m_data.size()) {
        if (m_cols == 1 && m_rows > 1)
            resize(linear, 1);
        else if (m_rows <= 1)
            resize(1, linear);
        else
            throw Error("Cannot grow the " + sizeText(m_rows, m_cols) + " matrix to hold element " +
                        std::to_string(linear));
    }
    m_data[linear - 1] = value;
}

void Matrix::resize(std::size_t rows, std::size_t cols)
{
    if (rows == m_rows && cols == m_cols)
        return;
    std::vector<double> grown(rows * cols, 0.0);
    const std::size_t keepRows = std::min(rows, m_rows);
    const std::size_t keepCols = std::min(cols, m_cols);
    for (std::size_t c = 0; c < keepCols; ++c)
        std::copy_n(m_data.begin() + static_cast<std::ptrdiff_t>(c * m_rows), keepRows,
                    grown.begin() + static_cast<std::ptrdiff_t>(c * rows));
    m_data = std::move(grown);
    m_rows = m_data.empty() ? 0 : rows;
    m_cols = m_data.empty() ? 0 : cols;
}

std::vector<double> Matrix::row(std::size_t r) const
{
    std::vector<double> out(m_cols);
    for (std::size_t c = 0; c < m_cols; ++c)
        out[c] = (*this)(r, c);
    return out;
}

LandmarkSet::LandmarkSet(std::size_t landmarks, std::size_t specimens)
    : m_landmarks(landmarks), m_specimens(specimens), m_data(landmarks * 3 * specimens, 0.0)
{
}

LandmarkSet::LandmarkSet(const Matrix& shape) : LandmarkSet(shape.rows(), 1)
{
    if (shape.cols() != 3)
        throw Error("A shape must have 3 columns (x, y, z); this one has " + std::to_string(shape.cols()));
    std::copy(shape.values().begin(), shape.values().end(), m_data.begin());
}

std::span<double> LandmarkSet::slice(std::size_t j)
{
    return {m_data.data() + 3 * m_landmarks * j, 3 * m_landmarks};
}

std::span<const double> LandmarkSet::slice(std::size_t j) const
{
    return {m_data.data() + 3 * m_landmarks * j, 3 * m_landmarks};
}

Matrix LandmarkSet::sliceMatrix(std::size_t j) const
{
    Matrix m(m_landmarks, 3);
    auto s = slice(j);
    std::copy(s.begin(), s.end(), m.data());
    return m;
}

}  // namespace vezedo::platform
