// Format detection, the ID a file's name gives, and several files made one data set.
#include "io/landmarkfile.h"

#include <algorithm>
#include <filesystem>
#include <map>

#include "io/coordinates.h"
#include "io/lines.h"
#include "platform/error.h"

namespace vezedo::io {

namespace {

std::string lowerCase(std::string_view text)
{
    std::string out(text);
    for (char& ch : out)
        if (ch >= 'A' && ch <= 'Z')
            ch = static_cast<char>(ch - 'A' + 'a');
    return out;
}

std::string_view extensionOf(LandmarkFormat format)
{
    switch (format) {
    case LandmarkFormat::Tps:
        return ".tps";
    case LandmarkFormat::MarkupsJson:
        return ".mrk.json";
    case LandmarkFormat::MarkupsFcsv:
        return ".fcsv";
    case LandmarkFormat::Morphologika:
        return ".txt";
    case LandmarkFormat::Pts:
        return ".pts";
    case LandmarkFormat::PickedPoints:
        return ".pp";
    }
    return {};
}

std::string joined(const std::vector<std::string>& names)
{
    std::string out;
    for (std::size_t i = 0; i < names.size() && i < 10; ++i)
        out += (i ? ", " : "") + ("\"" + names[i] + "\"");
    if (names.size() > 10)
        out += " and " + std::to_string(names.size() - 10) + " more";
    return out;
}

// A file naming one landmark twice cannot be matched by name.
void refuseRepeatedNames(const NamedLandmarkFile& f)
{
    std::map<std::string, int> seen;
    std::vector<std::string> twice;
    for (const std::string& name : f.file.names)
        if (++seen[name] == 2)
            twice.push_back(name);
    if (!twice.empty())
        throw FileFormatError(f.name, 0,
                              "the landmark names " + joined(twice) +
                                  " stand more than once; landmarks are matched by name, so each name must be unique");
}

// The columns of `table` for the landmarks of `order` (0-based positions in the file).
platform::Matrix reorderedColumns(const platform::Matrix& table, const std::vector<std::size_t>& order)
{
    platform::Matrix out(table.rows(), order.size() * 3);
    for (std::size_t j = 0; j < table.rows(); ++j)
        for (std::size_t i = 0; i < order.size(); ++i)
            for (std::size_t d = 0; d < 3; ++d)
                out(j, i * 3 + d) = table(j, order[i] * 3 + d);
    return out;
}

}  // namespace

std::string_view formatName(LandmarkFormat format)
{
    switch (format) {
    case LandmarkFormat::Tps:
        return "TPS";
    case LandmarkFormat::MarkupsJson:
        return "Slicer markups JSON";
    case LandmarkFormat::MarkupsFcsv:
        return "Slicer markups FCSV";
    case LandmarkFormat::Morphologika:
        return "Morphologika";
    case LandmarkFormat::Pts:
        return "Landmark Editor PTS";
    case LandmarkFormat::PickedPoints:
        return "MeshLab picked points";
    }
    return {};
}

LandmarkFormat detectLandmarkFormat(std::string_view bytes, std::string_view fileName)
{
    const std::string_view text = trimmedText(withoutByteOrderMark(bytes.substr(0, 4096)));
    const std::string head = lowerCase(text);
    if (text.starts_with('{'))
        return LandmarkFormat::MarkupsJson;
    if (head.starts_with("<?xml") || head.starts_with("<!doctype pickedpoints") || head.starts_with("<pickedpoints"))
        return LandmarkFormat::PickedPoints;
    if (head.starts_with("# markups fiducial file") || head.starts_with("# coordinatesystem") ||
        head.starts_with("# columns"))
        return LandmarkFormat::MarkupsFcsv;
    if (head.starts_with("version"))
        return LandmarkFormat::Pts;
    if (head.find("[individuals]") != std::string::npos || head.starts_with("["))
        return LandmarkFormat::Morphologika;
    const std::string name = lowerCase(fileName);
    for (const LandmarkFormat format :
         {LandmarkFormat::MarkupsJson, LandmarkFormat::MarkupsFcsv, LandmarkFormat::Pts, LandmarkFormat::PickedPoints})
        if (name.ends_with(extensionOf(format)))
            return format;
    return LandmarkFormat::Tps;
}

LandmarkFile parseLandmarkFile(std::string_view bytes, std::string_view fileName)
{
    switch (detectLandmarkFormat(bytes, fileName)) {
    case LandmarkFormat::MarkupsJson:
        return parseMarkupsJson(bytes, fileName);
    case LandmarkFormat::MarkupsFcsv:
        return parseMarkupsFcsv(bytes, fileName);
    case LandmarkFormat::Morphologika:
        return parseMorphologika(bytes, fileName);
    case LandmarkFormat::Pts:
        return parsePts(bytes, fileName);
    case LandmarkFormat::PickedPoints:
        return parsePickedPoints(bytes, fileName);
    case LandmarkFormat::Tps:
        break;
    }
    LandmarkFile out;
    out.format = LandmarkFormat::Tps;
    out.data = parseTps(bytes, fileName);
    return out;
}

std::string specimenIdFromFileName(std::string_view fileName, LandmarkFormat format)
{
    std::string name = std::filesystem::path(std::string(fileName)).filename().string();
    const std::string_view ext = extensionOf(format);
    if (lowerCase(name).ends_with(ext) && name.size() > ext.size())
        name.resize(name.size() - ext.size());
    else if (const auto dot = name.rfind('.'); dot != std::string::npos && dot > 0)
        name.resize(dot);
    return name;
}

LandmarkFile singleSpecimenFile(LandmarkFormat format, std::string_view fileName, const std::vector<double>& xyz,
                                std::vector<std::string> names)
{
    LandmarkFile out;
    out.format = format;
    out.data.table = platform::Matrix(1, xyz.size());
    for (std::size_t col = 0; col < xyz.size(); ++col)
        out.data.table(0, col) = xyz[col];
    TpsSpecimenInfo info;
    info.id = specimenIdFromFileName(fileName, format);
    info.named = true;
    info.headerLine = 1;
    out.data.ids.push_back(info.id);
    out.data.info.push_back(std::move(info));
    if (std::any_of(names.begin(), names.end(), [](const std::string& n) { return !n.empty(); }))
        out.names = std::move(names);
    return out;
}

CombinedLandmarks combineLandmarkFiles(std::vector<NamedLandmarkFile> files)
{
    CombinedLandmarks out;
    if (files.empty())
        return out;
    const bool byName = std::all_of(files.begin(), files.end(), [](const auto& f) { return !f.file.names.empty(); });
    const NamedLandmarkFile& first = files.front();
    const std::size_t p = first.file.data.table.cols() / 3;
    if (byName) {
        for (const NamedLandmarkFile& f : files)
            refuseRepeatedNames(f);
        out.names = first.file.names;
    }
    std::size_t rows = 0;
    for (NamedLandmarkFile& f : files) {
        const std::string format(formatName(f.file.format));
        if (std::find(out.formats.begin(), out.formats.end(), format) == out.formats.end())
            out.formats.push_back(format);
        if (out.wireframe.empty())
            out.wireframe = f.file.wireframe;
        if (byName) {
            std::map<std::string, std::size_t> position;
            for (std::size_t i = 0; i < f.file.names.size(); ++i)
                position[f.file.names[i]] = i;
            std::vector<std::string> missing, extra;
            std::vector<std::size_t> order;
            for (const std::string& name : out.names) {
                const auto it = position.find(name);
                if (it == position.end())
                    missing.push_back(name);
                else
                    order.push_back(it->second);
            }
            for (const std::string& name : f.file.names)
                if (std::find(out.names.begin(), out.names.end(), name) == out.names.end())
                    extra.push_back(name);
            if (!missing.empty() || !extra.empty()) {
                std::string problem = "its landmark names do not match those of " + first.name + ":";
                if (!missing.empty())
                    problem += " it lacks " + joined(missing) + (extra.empty() ? "" : ";");
                if (!extra.empty())
                    problem += " it has " + joined(extra) + " besides";
                throw FileFormatError(f.name, 0, problem);
            }
            if (!std::is_sorted(order.begin(), order.end())) {
                f.file.data.table = reorderedColumns(f.file.data.table, order);
                out.reordered.push_back(f.name);
            }
        } else if (f.file.data.table.cols() / 3 != p) {
            throw FileFormatError(f.name, 0,
                                  "it has " + std::to_string(f.file.data.table.cols() / 3) + " landmarks, but " +
                                      first.name + " has " + std::to_string(p) +
                                      "; without landmark names in every file, files are matched by position and "
                                      "need the same count");
        }
        rows += f.file.data.table.rows();
    }
    platform::Matrix table(rows, p * 3);
    std::size_t row = 0;
    for (NamedLandmarkFile& f : files) {
        const platform::Matrix& t = f.file.data.table;
        for (std::size_t j = 0; j < t.rows(); ++j, ++row)
            for (std::size_t col = 0; col < p * 3; ++col)
                table(row, col) = t(j, col);
        for (std::string& id : f.file.data.ids)
            out.data.ids.push_back(std::move(id));
        for (TpsSpecimenInfo& info : f.file.data.info)
            out.data.info.push_back(std::move(info));
    }
    out.data.table = std::move(table);
    return out;
}

}  // namespace vezedo::io
