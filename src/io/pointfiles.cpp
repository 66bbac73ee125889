// Single-specimen point files of surface digitisers: Landmark Editor's .pts (a version line,
// the count, then one named row per landmark) and MeshLab's picked points .pp (XML).
#include <algorithm>
#include <charconv>
#include <limits>

#include "io/coordinates.h"
#include "io/landmarkfile.h"
#include "io/lines.h"
#include "platform/error.h"

namespace vezedo::io {

namespace {

// The value of attribute `name` in a tag's text, entities decoded; nullopt when absent.
std::optional<std::string> attribute(std::string_view tag, std::string_view name)
{
    std::size_t at = 0;
    while ((at = tag.find(name, at)) != std::string_view::npos) {
        const bool startsWord =
            at > 0 && (tag[at - 1] == ' ' || tag[at - 1] == '\t' || tag[at - 1] == '\n' || tag[at - 1] == '\r');
        std::size_t i = at + name.size();
        at = i;
        if (!startsWord)
            continue;
        while (i < tag.size() && (tag[i] == ' ' || tag[i] == '\t'))
            ++i;
        if (i >= tag.size() || tag[i] != '=')
            continue;
        ++i;
        while (i < tag.size() && (tag[i] == ' ' || tag[i] == '\t'))
            ++i;
        if (i >= tag.size() || (tag[i] != '"' && tag[i] != '\''))
            return std::nullopt;
        const char quote = tag[i++];
        const std::size_t close = tag.find(quote, i);
        if (close == std::string_view::npos)
            return std::nullopt;
        std::string raw(tag.substr(i, close - i)), out;
        for (std::size_t k = 0; k < raw.size(); ++k) {
            static constexpr std::pair<std::string_view, char> kEntities[] = {
                {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
            bool done = false;
            for (const auto& [entity, ch] : kEntities)
                if (std::string_view(raw).substr(k).starts_with(entity)) {
                    out += ch;
                    k += entity.size() - 1;
                    done = true;
                    break;
                }
            if (!done)
                out += raw[k];
        }
        return out;
    }
    return std::nullopt;
}

}  // namespace

LandmarkFile parsePts(std::string_view bytes, std::string_view fileName)
{
    const std::string file(fileName);
    std::vector<std::pair<int, std::string_view>> lines;
    int number = 0;
    for (std::string_view line : splitLines(withoutByteOrderMark(bytes))) {
        ++number;
        if (!trimmedText(line).empty())
            lines.emplace_back(number, trimmedText(line));
    }
    if (lines.empty() || !lines[0].second.starts_with("Version"))
        throw FileFormatError(file, lines.empty() ? 0 : lines[0].first,
                              "a landmark point file starts with a Version line");
    std::size_t p = 0;
    if (lines.size() < 2 ||
        std::from_chars(lines[1].second.data(), lines[1].second.data() + lines[1].second.size(), p).ptr !=
            lines[1].second.data() + lines[1].second.size())
        throw FileFormatError(file, lines.size() < 2 ? lines[0].first : lines[1].first,
                              "the line after the Version line is the number of landmarks");
    if (p == 0 || lines.size() - 2 != p)
        throw FileFormatError(file, lines[1].first,
                              "the file announces " + std::to_string(p) + " landmarks, but " +
                                  std::to_string(lines.size() - 2) + " landmark rows follow");
    std::vector<double> xyz;
    std::vector<std::string> names;
    for (std::size_t k = 1; k <= p; ++k) {
        const auto& [line, text] = lines[k + 1];
        const auto fields = splitBlanks(text);
        if (fields.size() != 4)
            throw FileFormatError(file, line,
                                  "landmark " + std::to_string(k) + ": a row is a name and x y z, 4 fields; found " +
                                      std::to_string(fields.size()));
        double at[3];
        for (std::size_t d = 0; d < 3; ++d) {
            const auto v = coordinateIn(fields[d + 1]);
            if (!v)
                throw FileFormatError(file, line,
                                      "landmark " + std::to_string(k) + ": \"" + shownText(fields[d + 1]) +
                                          "\" is no number");
            at[d] = *v;
        }
        if (markMissing(at) == Coded::Partly)
            throw FileFormatError(file, line, partlyMissingProblem(k));
        xyz.insert(xyz.end(), at, at + 3);
        names.emplace_back(fields[0]);
    }
    return singleSpecimenFile(LandmarkFormat::Pts, fileName, xyz, std::move(names));
}

LandmarkFile parsePickedPoints(std::string_view bytes, std::string_view fileName)
{
    const std::string file(fileName);
    const auto lineAtByte = [&](std::size_t at) {
        const std::string_view before = bytes.substr(0, at);
        return static_cast<int>(std::max(std::count(before.begin(), before.end(), '\n'),
                                         std::count(before.begin(), before.end(), '\r'))) +
               1;
    };
    if (bytes.find("<PickedPoints") == std::string_view::npos)
        throw FileFormatError(file, 0, "a picked points file has a <PickedPoints> element; this one has none");
    std::vector<double> xyz;
    std::vector<std::string> names;
    for (std::size_t at = bytes.find("<point"); at != std::string_view::npos; at = bytes.find("<point", at + 1)) {
        const std::size_t after = at + 6;
        if (after < bytes.size() && bytes[after] != ' ' && bytes[after] != '\t' && bytes[after] != '\n' &&
            bytes[after] != '\r' && bytes[after] != '/' && bytes[after] != '>')
            continue;  // another element, such as <pointSet
        const int line = lineAtByte(at);
        const std::size_t k = names.size() + 1;
        const std::size_t close = bytes.find('>', at);
        if (close == std::string_view::npos)
            throw FileFormatError(file, line, "point " + std::to_string(k) + ": its <point element is never closed");
        const std::string_view tag = bytes.substr(at, close - at);
        std::string name = attribute(tag, "name").value_or("");
        const std::string who = "point " + std::to_string(k) + (name.empty() ? "" : " (\"" + name + "\")");
        const std::string active = attribute(tag, "active").value_or("1");
        double p3[3];
        const char* axes[3] = {"x", "y", "z"};
        for (std::size_t d = 0; d < 3; ++d) {
            const auto text = attribute(tag, axes[d]);
            if (!text)
                throw FileFormatError(file, line, who + " has no " + axes[d] + "=\"...\"");
            const auto v = coordinateIn(*text);
            if (!v)
                throw FileFormatError(file, line, who + ": " + axes[d] + "=\"" + shownText(*text) + "\" is no number");
            p3[d] = *v;
        }
        if (active == "0")
            std::fill(p3, p3 + 3, std::numeric_limits<double>::quiet_NaN());
        else if (markMissing(p3) == Coded::Partly)
            throw FileFormatError(file, line, who + ": " + partlyMissingProblem(k));
        xyz.insert(xyz.end(), p3, p3 + 3);
        names.push_back(std::move(name));
    }
    if (names.empty())
        throw FileFormatError(file, 0, "the file has no <point> elements");
    return singleSpecimenFile(LandmarkFormat::PickedPoints, fileName, xyz, std::move(names));
}

}  // namespace vezedo::io
