#include "io/columns.h"

#include <cstdint>
#include <sys/mman.h>
#include <unistd.h>

namespace vezedo::io {

namespace {

// Gives the whole pages within [from, to) back to the system, whatever they held being no
// longer wanted, and returns where the next call for the same buffer starts: at the page that
// `to` falls in, which is given back with the next call.
const double* dropPages(const double* from, const double* to)
{
    static const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    const std::uintptr_t start = (reinterpret_cast<std::uintptr_t>(from) + page - 1) / page * page;
    const std::uintptr_t stop = reinterpret_cast<std::uintptr_t>(to) / page * page;
    if (stop <= start)
        return from;
    ::madvise(reinterpret_cast<void*>(start), stop - start, MADV_DONTNEED);
    return from + (stop - reinterpret_cast<std::uintptr_t>(from)) / sizeof(double);
}

}  // namespace

platform::Matrix gatherColumns(const std::vector<ColumnRows*>& parts)
{
    std::size_t rows = 0;
    for (ColumnRows* part : parts) {
        part->flush();
        rows += part->rows();
    }
    const std::size_t cols = parts.empty() ? 0 : parts.front()->cols();
    std::vector<double> values;
    values.reserve(rows * cols);
    std::vector<const double*> kept(parts.size());  // where each part's pages are still held
    for (std::size_t i = 0; i < parts.size(); ++i)
        kept[i] = parts[i]->columns();
    for (std::size_t c = 0; c < cols; ++c)
        for (std::size_t i = 0; i < parts.size(); ++i) {
            const ColumnRows& part = *parts[i];
            const double* column = part.columns() + c * part.stride();
            values.insert(values.end(), column, column + part.rows());
            kept[i] = dropPages(kept[i], column + part.stride());
        }
    for (ColumnRows* part : parts)
        part->clear();
    return platform::Matrix::adopt(rows, cols, std::move(values));
}

}  // namespace vezedo::io
