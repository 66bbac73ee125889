// TPS, Morphologika and Slicer markups files written from the loaded specimens.
#include "io/landmarkwriters.h"

#include <cmath>

#include <nlohmann/json.hpp>

#include "io/csv.h"

namespace vezedo::io {

namespace {

bool missingAt(const platform::Matrix& table, std::size_t j, std::size_t i)
{
    return std::isnan(table(j, 3 * i)) || std::isnan(table(j, 3 * i + 1)) || std::isnan(table(j, 3 * i + 2));
}

// Landmark i of specimen j as "x y z", or `missing` three times.
std::string pointLine(const platform::Matrix& table, std::size_t j, std::size_t i, const std::string& missing)
{
    if (missingAt(table, j, i))
        return missing + " " + missing + " " + missing + "\n";
    return shortestNumber(table(j, 3 * i)) + " " + shortestNumber(table(j, 3 * i + 1)) + " " +
           shortestNumber(table(j, 3 * i + 2)) + "\n";
}

}  // namespace

std::string tpsText(const LandmarkTable& specimens)
{
    const platform::Matrix& table = specimens.table;
    const std::size_t p = table.cols() / 3;
    std::string out;
    for (std::size_t j = 0; j < table.rows(); ++j) {
        out += "LM3=" + std::to_string(p) + "\n";
        for (std::size_t i = 0; i < p; ++i)
            out += pointLine(table, j, i, "NA");
        if (j < specimens.ids.size())
            out += "ID=" + specimens.ids[j] + "\n";
        if (j < specimens.scales.size() && !specimens.scales[j].empty())
            out += "SCALE=" + specimens.scales[j] + "\n";
    }
    return out;
}

std::string morphologikaText(const LandmarkTable& specimens, const std::vector<std::array<std::size_t, 2>>& wireframe)
{
    const platform::Matrix& table = specimens.table;
    const std::size_t p = table.cols() / 3;
    std::string out = "[individuals]\n" + std::to_string(table.rows()) + "\n[landmarks]\n" + std::to_string(p) +
                      "\n[dimensions]\n3\n[names]\n";
    for (std::size_t j = 0; j < table.rows(); ++j)
        out += (j < specimens.ids.size() ? specimens.ids[j] : "specimen" + std::to_string(j + 1)) + "\n";
    out += "[rawpoints]\n";
    for (std::size_t j = 0; j < table.rows(); ++j)
        for (std::size_t i = 0; i < p; ++i)
            out += pointLine(table, j, i, "-999");
    if (!wireframe.empty()) {
        out += "[wireframe]\n";
        for (const auto& [a, b] : wireframe)
            out += std::to_string(a) + " " + std::to_string(b) + "\n";
    }
    return out;
}

std::string markupsJsonText(const std::string& listName, const platform::Matrix& shape,
                            const std::vector<std::string>& names, const std::vector<MarkupLine>& lines)
{
    const auto point = [&](std::size_t i, const std::string& id) {
        nlohmann::json out = {{"id", id}, {"label", i < names.size() ? names[i] : std::to_string(i + 1)}};
        if (std::isnan(shape(i, 0)) || std::isnan(shape(i, 1)) || std::isnan(shape(i, 2))) {
            out["positionStatus"] = "missing";
        } else {
            out["position"] = {shape(i, 0), shape(i, 1), shape(i, 2)};
            out["positionStatus"] = "defined";
        }
        return out;
    };
    nlohmann::json points = nlohmann::json::array();
    for (std::size_t i = 0; i < shape.rows(); ++i)
        points.push_back(point(i, std::to_string(i + 1)));
    nlohmann::json markups = nlohmann::json::array();
    markups.push_back({{"type", "Fiducial"},
                       {"coordinateSystem", "LPS"},
                       {"coordinateUnits", "mm"},
                       {"name", listName},
                       {"controlPoints", points}});
    for (const MarkupLine& line : lines) {
        nlohmann::json ends = nlohmann::json::array();
        ends.push_back(point(line.from - 1, "1"));
        ends.push_back(point(line.to - 1, "2"));
        markups.push_back({{"type", "Line"},
                           {"coordinateSystem", "LPS"},
                           {"coordinateUnits", "mm"},
                           {"name", line.name},
                           {"controlPoints", ends}});
    }
    return nlohmann::json{{"markups", markups}}.dump(2) + "\n";
}

}  // namespace vezedo::io
