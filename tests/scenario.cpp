#include "scenario.h"

#include <cmath>
#include <cstdio>

namespace vezedo::test {

std::string makeTps(std::size_t k, std::size_t p)
{
    std::string out;
    char buf[128];
    for (std::size_t j = 0; j < k; ++j) {
        const double s = 1.0 + static_cast<double>(j) / 10, a = static_cast<double>(j) * 0.3;
        out += "LM=" + std::to_string(p) + "\n";
        for (std::size_t i = 0; i < p; ++i) {
            const double x = std::cos(static_cast<double>(i)) * (3 + static_cast<double>(i % 3));
            const double y = std::sin(static_cast<double>(i) * 1.7) * 2;
            const double z = static_cast<double>(i % 4) - 1.5;
            std::snprintf(buf, sizeof buf, "%.6f %.6f %.6f\n", s * (std::cos(a) * x - std::sin(a) * y) + static_cast<double>(j),
                          s * (std::sin(a) * x + std::cos(a) * y) + 2.0 * static_cast<double>(j),
                          s * z - static_cast<double>(j));
            out += buf;
        }
        out += "ID=specimen" + std::to_string(j + 1) + "\n";
    }
    return out;
}

}  // namespace vezedo::test
