// Morphologika files: bracketed sections, one or many specimens, and a wireframe that the
// program offers as the protocol.
#include <algorithm>
#include <charconv>
#include <map>

#include "io/coordinates.h"
#include "io/landmarkfile.h"
#include "io/lines.h"
#include "platform/error.h"

namespace vezedo::io {

namespace {

struct Line {
    int number;
    std::string_view text;  // trimmed
};

std::optional<std::size_t> wholeNumber(std::string_view text)
{
    std::size_t n = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
    if (ec != std::errc() || ptr != text.data() + text.size())
        return std::nullopt;
    return n;
}

class MorphologikaParser {
public:
    MorphologikaParser(std::string_view bytes, std::string_view fileName) : m_file(fileName)
    {
        std::string current;
        int number = 0;
        for (std::string_view line : splitLines(withoutByteOrderMark(bytes))) {
            ++number;
            line = trimmedText(line);
            if (line.empty())
                continue;
            if (line.front() == '[' && line.back() == ']') {
                current.assign(line.substr(1, line.size() - 2));
                for (char& ch : current)
                    if (ch >= 'A' && ch <= 'Z')
                        ch = static_cast<char>(ch - 'A' + 'a');
                if (m_sections.contains(current))
                    fail(number, "the section [" + current + "] stands twice");
                m_sections[current];
                m_sectionLine[current] = number;
                continue;
            }
            if (current.empty())
                fail(number, "\"" + shownText(line.substr(0, 40)) + "\" stands before the first [section]");
            m_sections[current].push_back({number, line});
        }
    }

    LandmarkFile run()
    {
        const std::size_t n = count("individuals");
        const std::size_t p = count("landmarks");
        if (count("dimensions") != 3)
            fail(m_sectionLine["dimensions"],
                 "[dimensions] is " + std::to_string(count("dimensions")) + "; only 3D landmarks (3) can be read");
        LandmarkFile out;
        out.format = LandmarkFormat::Morphologika;
        std::vector<std::string> ids(n);
        std::vector<bool> named(n, false);
        std::vector<int> firstLine(n, 0);
        if (const auto names = m_sections.find("names"); names != m_sections.end()) {
            if (names->second.size() != n)
                fail(m_sectionLine["names"], "[names] lists " + std::to_string(names->second.size()) +
                                                 " names, but [individuals] says " + std::to_string(n));
            for (std::size_t j = 0; j < n; ++j) {
                ids[j] = std::string(names->second[j].text);
                named[j] = true;
            }
        }
        if (!m_sections.contains("rawpoints"))
            fail(0, "the file has no [rawpoints] section");
        std::vector<double> values;
        values.reserve(n * p * 3);
        for (const Line& line : m_sections["rawpoints"]) {
            const std::size_t done = values.size() / 3;
            if (line.text.front() == '\'') {
                if (done % p != 0)
                    fail(line.number, "the name line " + std::string(line.text) + " stands inside specimen " +
                                          std::to_string(done / p + 1) + "'s landmarks");
                if (done / p < n && !named[done / p]) {
                    ids[done / p] = std::string(trimmedText(line.text.substr(1)));
                    named[done / p] = !ids[done / p].empty();
                }
                continue;
            }
            const std::size_t specimen = done / p + 1, landmark = done % p + 1;
            if (specimen > n)
                fail(line.number, "more landmarks follow than the " + std::to_string(n) + " x " + std::to_string(p) +
                                      " that [individuals] and [landmarks] announce");
            if (landmark == 1)
                firstLine[specimen - 1] = line.number;
            const auto fields = splitBlanks(line.text);
            const std::string where = "specimen " + std::to_string(specimen) + ", landmark " + std::to_string(landmark);
            if (fields.size() != 3)
                fail(line.number, where + ": expected the 3 numbers x y z on the line, found " +
                                      std::to_string(fields.size()) + " fields");
            double xyz[3];
            for (std::size_t d = 0; d < 3; ++d) {
                const auto v = coordinateIn(fields[d]);
                if (!v)
                    fail(line.number, where + ": \"" + shownText(fields[d]) + "\" is no number");
                xyz[d] = *v;
            }
            if (markMissing(xyz) == Coded::Partly)
                fail(line.number, where + ": " + partlyMissingProblem(landmark));
            values.insert(values.end(), xyz, xyz + 3);
        }
        if (values.size() != n * p * 3)
            fail(m_sectionLine["rawpoints"], "[rawpoints] holds " + std::to_string(values.size() / 3) +
                                                 " landmarks, but " + std::to_string(n) + " specimens of " +
                                                 std::to_string(p) + " landmarks need " + std::to_string(n * p));
        out.data.table = platform::Matrix(n, p * 3);
        for (std::size_t j = 0; j < n; ++j)
            for (std::size_t col = 0; col < p * 3; ++col)
                out.data.table(j, col) = values[j * p * 3 + col];
        const std::string stem = specimenIdFromFileName(m_file, LandmarkFormat::Morphologika);
        for (std::size_t j = 0; j < n; ++j) {
            TpsSpecimenInfo info;
            info.named = true;
            info.id = named[j] ? ids[j] : (n == 1 ? stem : stem + "_" + std::to_string(j + 1));
            info.headerLine = firstLine[j];
            out.data.ids.push_back(info.id);
            out.data.info.push_back(std::move(info));
        }
        for (const Line& line : m_sections["wireframe"]) {
            const auto fields = splitBlanks(line.text);
            std::optional<std::size_t> a, b;
            if (fields.size() == 2)
                a = wholeNumber(fields[0]), b = wholeNumber(fields[1]);
            if (!a || !b || *a < 1 || *b < 1 || *a > p || *b > p)
                fail(line.number, "a [wireframe] line is two landmark numbers from 1 to " + std::to_string(p) +
                                      "; found \"" + shownText(line.text.substr(0, 40)) + "\"");
            out.wireframe.push_back({*a, *b});
        }
        return out;
    }

private:
    [[noreturn]] void fail(int line, const std::string& problem) const { throw FileFormatError(m_file, line, problem); }

    // The one whole number of a section such as [individuals].
    std::size_t count(const std::string& section)
    {
        const auto it = m_sections.find(section);
        if (it == m_sections.end())
            fail(0, "the file has no [" + section + "] section");
        const auto& lines = it->second;
        const auto n = lines.size() == 1 ? wholeNumber(lines[0].text) : std::nullopt;
        if (!n || *n == 0)
            fail(lines.empty() ? m_sectionLine[section] : lines[0].number,
                 "[" + section + "] must hold one whole number above 0");
        return *n;
    }

    std::string m_file;
    std::map<std::string, std::vector<Line>> m_sections;
    std::map<std::string, int> m_sectionLine;
};

}  // namespace

LandmarkFile parseMorphologika(std::string_view bytes, std::string_view fileName)
{
    return MorphologikaParser(bytes, fileName).run();
}

}  // namespace vezedo::io
