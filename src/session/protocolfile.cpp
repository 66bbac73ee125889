#include "session/protocolfile.h"

#include <cmath>

#include "platform/error.h"
#include "platform/numtext.h"
#include "platform/textformat.h"

namespace vezedo::session {

using platform::Matrix;
using platform::Value;

namespace {

constexpr double kPlaceholder = -1;

bool isPlaceholder(const Matrix& table)
{
    return table.rows() == 1 && table.cols() == 3 && table(0, 0) == kPlaceholder && table(0, 1) == kPlaceholder &&
           table(0, 2) == kPlaceholder;
}

}  // namespace

std::string protocolFileText(const Protocol& protocol)
{
    const Matrix rows =
        protocol.empty() ? Matrix::rowVector({kPlaceholder, kPlaceholder, kPlaceholder}) : protocol.rows();
    std::string text;
    for (std::size_t i = 0; i < rows.rows(); ++i)
        text += platform::formatText("%i %i %i \\n", {Value(Matrix::rowVector(rows.row(i)))});
    return text;
}

Protocol protocolFromTable(const Matrix& table, std::size_t landmarks)
{
    if (table.empty())
        throw Error("The file holds no protocol lines.");
    if (isPlaceholder(table))
        return Protocol();
    if (table.cols() < 3)
        throw Error("Each line needs a line number and two landmark numbers; line 1 holds " +
                    std::to_string(table.cols()) + (table.cols() == 1 ? " number." : " numbers."));
    if (landmarks == 0)
        throw Error("No specimens are loaded yet: load specimens before a protocol.");
    std::vector<ProtocolLine> lines(table.rows());
    for (std::size_t i = 0; i < table.rows(); ++i) {
        ProtocolLine& line = lines[i];
        line.stored = table(i, 0);
        for (std::size_t c = 1; c <= 2; ++c) {
            const double v = table(i, c);
            if (std::floor(v) != v || v < 1 || v > static_cast<double>(landmarks))
                throw Error("Line " + std::to_string(i + 1) + " names landmark " + platform::numberToText(v) +
                            ", but the shape has landmarks 1 to " + std::to_string(landmarks) + ".");
            (c == 1 ? line.from : line.to) = static_cast<std::size_t>(v);
        }
        for (std::size_t c = 3; c < table.cols(); ++c)
            line.extra.push_back(table(i, c));
    }
    return Protocol(std::move(lines));
}

}  // namespace vezedo::session
