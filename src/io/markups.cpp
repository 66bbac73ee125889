// Slicer point lists: the markups JSON file and the older FCSV table. Slicer keeps points in
// LPS or RAS; RAS points are made LPS (x and y negated), so files of both kinds mix.
#include <algorithm>
#include <cmath>
#include <limits>

#include <nlohmann/json.hpp>

#include "io/coordinates.h"
#include "io/csv.h"
#include "io/landmarkfile.h"
#include "platform/error.h"

namespace vezedo::io {

namespace {

using nlohmann::json;

enum class Frame { Lps, Ras };

// The one specimen of a point list file, ID from the file's name.

void toLps(Frame frame, double* xyz)
{
    if (frame == Frame::Ras) {
        xyz[0] = -xyz[0];
        xyz[1] = -xyz[1];
    }
}

int lineOfByte(std::string_view bytes, std::size_t byte)
{
    byte = std::min(byte, bytes.size());
    const std::string_view before = bytes.substr(0, byte);
    const auto lf = std::count(before.begin(), before.end(), '\n');
    const auto cr = std::count(before.begin(), before.end(), '\r');
    return static_cast<int>(std::max(lf, cr)) + 1;
}

std::string pointName(std::size_t k, const std::string& label)
{
    return "control point " + std::to_string(k) + (label.empty() ? "" : " (\"" + label + "\")");
}

}  // namespace

LandmarkFile parseMarkupsJson(std::string_view bytes, std::string_view fileName)
{
    const std::string file(fileName);
    json root;
    try {
        root = json::parse(bytes.begin(), bytes.end());
    } catch (const json::parse_error& e) {
        throw FileFormatError(file, lineOfByte(bytes, e.byte > 0 ? e.byte - 1 : 0),
                              "this is no valid JSON, so no markups file (" + std::string(e.what()) + ")");
    }
    if (!root.is_object() || !root.contains("markups") || !root["markups"].is_array())
        throw FileFormatError(file, 0, "a markups file is a JSON object with a \"markups\" list; this one has none");
    const json* list = nullptr;
    std::size_t lists = 0;
    for (const json& markup : root["markups"])
        if (markup.is_object() && markup.value("type", std::string()) == "Fiducial") {
            list = &markup;
            ++lists;
        }
    if (lists != 1)
        throw FileFormatError(file, 0,
                              "a landmark file holds exactly one point list (a markup of type \"Fiducial\"); this one "
                              "has " +
                                  std::to_string(lists));
    Frame frame = Frame::Lps;
    if (list->contains("coordinateSystem")) {
        const json& system = (*list)["coordinateSystem"];
        const std::string name = system.is_string() ? system.get<std::string>() : system.dump();
        if (name == "RAS")
            frame = Frame::Ras;
        else if (name != "LPS")
            throw FileFormatError(file, 0,
                                  "the coordinate system \"" + name +
                                      "\" is neither LPS nor RAS, so the points "
                                      "cannot be placed");
    }
    std::vector<double> xyz;
    std::vector<std::string> names;
    if (list->contains("controlPoints") && !(*list)["controlPoints"].is_array())
        throw FileFormatError(file, 0, "\"controlPoints\" of the point list is no list");
    const json empty = json::array();
    const json& points = list->contains("controlPoints") ? (*list)["controlPoints"] : empty;
    if (points.empty())
        throw FileFormatError(file, 0, "the point list has no control points");
    std::size_t k = 0;
    for (const json& point : points) {
        ++k;
        if (!point.is_object())
            throw FileFormatError(file, 0, pointName(k, "") + " is no JSON object");
        std::string label;
        if (point.contains("label")) {
            if (!point["label"].is_string())
                throw FileFormatError(file, 0, pointName(k, "") + ": its label is no text");
            label = point["label"].get<std::string>();
        }
        const std::string status = point.contains("positionStatus") && point["positionStatus"].is_string()
                                       ? point["positionStatus"].get<std::string>()
                                       : std::string("defined");
        double at[3];
        if (status == "missing" || !point.contains("position")) {
            std::fill(at, at + 3, std::numeric_limits<double>::quiet_NaN());
        } else {
            const json& position = point["position"];
            if (!position.is_array() || position.size() != 3 ||
                !std::all_of(position.begin(), position.end(), [](const json& v) { return v.is_number(); }))
                throw FileFormatError(file, 0,
                                      pointName(k, label) + ": its position is " + position.dump() +
                                          ", not a list of three numbers x, y, z");
            for (std::size_t d = 0; d < 3; ++d)
                at[d] = position[d].get<double>();
            if (markMissing(at) == Coded::Partly)
                throw FileFormatError(file, 0, pointName(k, label) + ": " + partlyMissingProblem(k));
            toLps(frame, at);
        }
        xyz.insert(xyz.end(), at, at + 3);
        names.push_back(std::move(label));
    }
    return singleSpecimenFile(LandmarkFormat::MarkupsJson, fileName, xyz, std::move(names));
}

LandmarkFile parseMarkupsFcsv(std::string_view bytes, std::string_view fileName)
{
    const std::string file(fileName);
    // Files without a coordinate system line come from before there was one, when points
    // were RAS.
    Frame frame = Frame::Ras;
    std::vector<std::string> columns = {"id", "x",   "y",   "z",    "ow",    "ox",   "oy",
                                        "oz", "vis", "sel", "lock", "label", "desc", "associatedNodeID"};
    std::vector<double> xyz;
    std::vector<std::string> names;
    std::size_t cx = 1, cy = 2, cz = 3, cl = 11;
    bool haveLabel = true;
    const auto locate = [&](int line) {
        const auto at = [&](const char* name) {
            const auto it = std::find(columns.begin(), columns.end(), name);
            return static_cast<std::size_t>(it - columns.begin());
        };
        cx = at("x"), cy = at("y"), cz = at("z"), cl = at("label");
        haveLabel = cl < columns.size();
        if (cx == columns.size() || cy == columns.size() || cz == columns.size())
            throw FileFormatError(file, line, "the columns line names no x, y and z columns");
    };
    for (const CsvRow& row : parseCsvRows(bytes, fileName)) {
        const std::string_view first = trimmedText(withoutByteOrderMark(row.fields.front()));
        if (row.fields.size() == 1 && first.empty())
            continue;
        if (first.starts_with('#')) {
            // "# key = value" lines; the columns line's commas split it into fields.
            std::string text(first.substr(1));
            for (std::size_t i = 1; i < row.fields.size(); ++i)
                text += "," + row.fields[i];
            const auto eq = text.find('=');
            if (eq == std::string::npos)
                continue;
            const std::string key(trimmedText(std::string_view(text).substr(0, eq)));
            const std::string value(trimmedText(std::string_view(text).substr(eq + 1)));
            if (key == "CoordinateSystem") {
                if (value == "RAS" || value == "0")
                    frame = Frame::Ras;
                else if (value == "LPS" || value == "1")
                    frame = Frame::Lps;
                else
                    throw FileFormatError(file, row.line,
                                          "the coordinate system \"" + value + "\" is none of RAS, LPS, 0 or 1");
            } else if (key == "columns") {
                columns.clear();
                for (std::size_t start = 0; start <= value.size();) {
                    const auto comma = std::min(value.find(',', start), value.size());
                    columns.emplace_back(trimmedText(std::string_view(value).substr(start, comma - start)));
                    start = comma + 1;
                }
                locate(row.line);
            }
            continue;
        }
        const std::size_t k = names.size() + 1;
        const std::size_t need = std::max({cx, cy, cz}) + 1;
        if (row.fields.size() < need)
            throw FileFormatError(file, row.line,
                                  "point " + std::to_string(k) + " has " + std::to_string(row.fields.size()) +
                                      " fields; the columns line asks for at least " + std::to_string(need));
        double at[3];
        const std::size_t cols[3] = {cx, cy, cz};
        const bool blank =
            std::all_of(cols, cols + 3, [&](std::size_t c) { return trimmedText(row.fields[c]).empty(); });
        std::string label = haveLabel && cl < row.fields.size() ? row.fields[cl] : std::string();
        for (std::size_t d = 0; d < 3; ++d) {
            const std::string& text = row.fields[cols[d]];
            const auto value =
                blank ? std::optional<double>(std::numeric_limits<double>::quiet_NaN()) : coordinateIn(text);
            if (!value)
                throw FileFormatError(file, row.line,
                                      "point " + std::to_string(k) + ": \"" + text + "\" is no number (column " +
                                          columns[cols[d]] + ")");
            at[d] = *value;
        }
        if (markMissing(at) == Coded::Partly)
            throw FileFormatError(file, row.line, partlyMissingProblem(k));
        if (!std::isnan(at[0]))
            toLps(frame, at);
        xyz.insert(xyz.end(), at, at + 3);
        names.push_back(std::move(label));
    }
    if (names.empty())
        throw FileFormatError(file, 0, "the file has no points");
    return singleSpecimenFile(LandmarkFormat::MarkupsFcsv, fileName, xyz, std::move(names));
}

}  // namespace vezedo::io
