#include "controller/importreport.h"

#include <map>

#include "io/csv.h"
#include "platform/textformat.h"

namespace vezedo::controller {

namespace {

constexpr std::size_t kNamed = 5;  // how many duplicates or missing landmarks a line names

std::string plural(std::size_t n, const std::string& one, const std::string& many)
{
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string number(double v)
{
    return platform::formatText("%g", {platform::Value(v)});
}

}  // namespace

std::vector<std::string> importReport(const ImportFacts& f)
{
    std::vector<std::string> lines;
    std::map<std::string, std::size_t> seen;
    std::vector<std::string> duplicates;
    for (const std::string& id : f.ids)
        if (++seen[id] == 2)
            duplicates.push_back(id);
    std::size_t missing = 0, incomplete = 0;
    for (const auto& e : f.estimated) {
        missing += e.size();
        incomplete += e.empty() ? 0u : 1u;
    }

    std::string summary = f.file + ": " + plural(f.ids.size(), "specimen", "specimens") + ", " +
                          plural(f.landmarks, "landmark", "landmarks");
    if (f.namedInFile == 0)
        summary += ", no IDs in the file";
    else if (duplicates.empty())
        summary += ", IDs unique";
    else
        summary += ", " + plural(duplicates.size(), "ID", "IDs") + " repeated";
    if (missing > 0)
        summary += ", " + plural(missing, "missing landmark", "missing landmarks") + " estimated";
    lines.push_back(summary);

    if (!f.format.empty())
        lines.push_back("Format: " + f.format + (f.files > 1 ? ", " + plural(f.files, "file", "files") : ""));
    if (!f.landmarkNames.empty()) {
        std::string text = "Landmark names: ";
        for (std::size_t i = 0; i < f.landmarkNames.size(); ++i)
            text += (i ? ", " : "") + std::to_string(i + 1) + " " + f.landmarkNames[i];
        lines.push_back(text);
    }
    if (!f.reordered.empty()) {
        std::string text = "Matched by name: " + plural(f.reordered.size(), "file", "files") +
                           " reordered to the first file's landmark order:";
        for (std::size_t i = 0; i < f.reordered.size() && i < kNamed; ++i)
            text += " " + f.reordered[i];
        if (f.reordered.size() > kNamed)
            text += " ...";
        lines.push_back(text);
    }
    if (f.table && f.namedInFile > 0)
        lines.push_back("IDs: the first field of every line");
    if (f.namedInFile > 0 && f.namedInFile < f.ids.size())
        lines.push_back("IDs: " + plural(f.ids.size() - f.namedInFile, "specimen has", "specimens have") +
                        " no ID= or IMAGE= and is named specimen<k>");
    if (!duplicates.empty()) {
        std::string text = "IDs: " + std::to_string(seen.size()) + " unique; repeated:";
        for (std::size_t i = 0; i < duplicates.size() && i < kNamed; ++i)
            text += " " + duplicates[i] + " (" + std::to_string(seen[duplicates[i]]) + " times)";
        if (duplicates.size() > kNamed)
            text += " ...";
        lines.push_back(text);
    }
    if (f.scaled > 0) {
        // The range of the usable values; a value that is no number is quoted as written.
        std::string given;
        if (f.badScales.size() < f.scaled)
            given = number(f.scaleMin) + (f.scaleMax != f.scaleMin ? " to " + number(f.scaleMax) : "");
        for (std::size_t i = 0; i < f.badScales.size() && i < kNamed; ++i)
            given += (given.empty() ? "" : ", ") + ("\"" + f.badScales[i] + "\"");
        if (f.badScales.size() > kNamed)
            given += " ...";
        if (!f.badScales.empty())
            given += f.badScales.size() == 1 ? " is no positive number" : " are no positive numbers";
        lines.push_back("SCALE: given for " + plural(f.scaled, "specimen", "specimens") + " (" + given + "), " +
                        (f.scaleApplied ? "applied" : "not applied (Apply SCALE is off)"));
    }
    if (f.curves > 0 || f.curvePoints > 0)
        lines.push_back("Curves: " + plural(f.curves, "curve", "curves") + " of " +
                        plural(f.curvePoints, "point", "points") + " skipped");
    if (f.comments > 0)
        lines.push_back("Comments: " + plural(f.comments, "line", "lines"));
    if (missing > 0) {
        std::string text = "Missing landmarks: " + std::to_string(missing) + " in " +
                           plural(incomplete, "specimen", "specimens") + ", estimated:";
        std::size_t named = 0;
        for (std::size_t j = 0; j < f.estimated.size() && named < kNamed; ++j)
            for (std::size_t i = 0; i < f.estimated[j].size() && named < kNamed; ++i, ++named)
                text += " " + f.ids[j] + ":" + std::to_string(f.estimated[j][i]);
        if (missing > named)
            text += " ...";
        lines.push_back(text);
    }
    if (const std::string formulas = io::formulaLike(f.ids); !formulas.empty())
        lines.push_back("IDs a spreadsheet would take for formulas (kept as written in the CSV files): " + formulas);
    return lines;
}

}  // namespace vezedo::controller
