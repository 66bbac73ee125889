#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

#include "platform/matrix.h"

namespace vezedo::io {

// Rows of numbers read in order, kept column after column as the table they become.
// Rows are gathered in a block small enough to stay in the cache and written to their
// columns a block at a time: a row written straight to its columns would touch a cache line
// and a page per column.
class ColumnRows {
public:
    explicit ColumnRows(std::size_t cols = 0) : m_cols(cols) {}

    std::size_t cols() const { return m_cols; }
    // Rows kept so far.
    std::size_t rows() const { return m_rows + m_blockRows; }

    // Makes room for `rows` rows in all, so that a table of that many needs no copy.
    void reserve(std::size_t rows)
    {
        if (rows <= m_stride)
            return;
        std::vector<double> bigger(rows * m_cols);
        for (std::size_t c = 0; c < m_cols; ++c)
            std::copy_n(m_values.begin() + static_cast<std::ptrdiff_t>(c * m_stride), m_rows,
                        bigger.begin() + static_cast<std::ptrdiff_t>(c * rows));
        m_values = std::move(bigger);
        m_stride = rows;
    }

    // Room for the next row's numbers, valid until the next call; commitRow() keeps them.
    double* nextRow()
    {
        if (m_block.empty()) {
            m_blockCapacity = std::clamp<std::size_t>(kBlockNumbers / std::max<std::size_t>(m_cols, 1), 1, 32);
            m_block.resize(m_blockCapacity * m_cols);
        }
        return m_block.data() + m_blockRows * m_cols;
    }

    void commitRow()
    {
        if (++m_blockRows == m_blockCapacity)
            flush();
    }

    // Writes the gathered rows to their columns; then column c of row r is at
    // columns()[c * stride() + r].
    void flush()
    {
        if (m_blockRows == 0)
            return;
        if (m_rows + m_blockRows > m_stride)
            reserve(std::max({2 * m_stride, m_rows + m_blockRows, std::size_t{16}}));
        double* out = m_values.data() + m_rows;
        for (std::size_t c = 0; c < m_cols; ++c)
            for (std::size_t r = 0; r < m_blockRows; ++r)
                out[c * m_stride + r] = m_block[r * m_cols + c];
        m_rows += m_blockRows;
        m_blockRows = 0;
    }

    const double* columns() const { return m_values.data(); }
    std::size_t stride() const { return m_stride; }

    // The rows as a table, without room left over.
    platform::Matrix table() &&
    {
        flush();
        if (m_stride != m_rows) {
            for (std::size_t c = 1; c < m_cols; ++c)
                std::memmove(m_values.data() + c * m_rows, m_values.data() + c * m_stride, m_rows * sizeof(double));
            m_values.resize(m_rows * m_cols);
            m_stride = m_rows;
        }
        return platform::Matrix::adopt(m_rows, m_cols, std::move(m_values));
    }

    // Frees the numbers.
    void clear() { *this = ColumnRows(m_cols); }

private:
    static constexpr std::size_t kBlockNumbers = 16384;  // 128 kB

    std::size_t m_cols = 0;
    std::vector<double> m_values;  // column c of row r at c * m_stride + r
    std::size_t m_stride = 0;
    std::size_t m_rows = 0;  // in m_values
    std::vector<double> m_block;
    std::size_t m_blockRows = 0;
    std::size_t m_blockCapacity = 0;
};

// The rows of all parts, in order, as one table. Its pages are touched only as they are
// written, and each column of a part is given back to the system once copied, so that the
// numbers are held about once while they move. Leaves the parts empty.
platform::Matrix gatherColumns(const std::vector<ColumnRows*>& parts);

}  // namespace vezedo::io
