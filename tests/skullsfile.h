#pragma once

// The example skulls file, its lines and the coordinates on them, for tests that plant a
// fault in the file and work out what the program should find from the file's own numbers.
#include <array>
#include <cmath>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace vezedo::test {

using Point = std::array<double, 3>;

inline std::string example(const std::string& name)
{
    std::ifstream in(std::string(VEZEDO_SOURCE_DIR) + "/examples/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The example skulls: 25 specimens of 10 landmarks, a header and an ID line each.
inline const std::string kSkulls = example("skulls.tps");

inline std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

inline std::string joinLines(const std::vector<std::string>& all)
{
    std::string out;
    for (const std::string& line : all)
        out += line + "\n";
    return out;
}

// The line of landmark l (from 1) of specimen j (from 0) among the lines of the example skulls.
inline std::string& landmarkLine(std::vector<std::string>& all, std::size_t j, std::size_t l)
{
    return all[j * 12 + l];
}

inline Point point(const std::string& line)
{
    Point p;
    std::istringstream(line) >> p[0] >> p[1] >> p[2];
    return p;
}

inline double distance(const Point& a, const Point& b)
{
    return std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) + (a[2] - b[2]) * (a[2] - b[2]));
}

// The example skulls with landmarks a and b (from 1) of specimen j (from 0) exchanged.
inline std::string swapped(std::size_t j, std::size_t a, std::size_t b)
{
    std::vector<std::string> all = lines(kSkulls);
    std::swap(landmarkLine(all, j, a), landmarkLine(all, j, b));
    return joinLines(all);
}

}  // namespace vezedo::test
