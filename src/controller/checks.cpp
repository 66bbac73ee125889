// Checks before measuring: "CheckSpecimens" and its CSV, the per-line summary, and the
// measurement error between the loaded specimens and a replicate digitised again.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <optional>

#include "controller/actions.h"
#include "controller/loadsteps.h"
#include "controller/views.h"
#include "io/csv.h"
#include "io/files.h"
#include "platform/error.h"
#include "platform/textformat.h"
#include "shape/measurementerror.h"
#include "shape/quality.h"
#include "shape/shapecheck.h"

namespace vezedo::controller {

namespace {

constexpr std::size_t kFewestSpecimens = 4;

std::string number(double v)
{
    return std::isnan(v) ? "NA" : io::shortestNumber(v);
}

// False, after a message box saying what is needed, unless specimens (at least four) and,
// when asked, protocol lines are there.
bool ready(Context& c, bool needsProtocol)
{
    const std::size_t k = c.s.specimens.count();
    if (c.s.specimens.empty()) {
        c.message("No specimens are loaded: load a TPS file or a specimen table before checking them.");
        return false;
    }
    if (k < kFewestSpecimens) {
        c.message("The checks need at least " + std::to_string(kFewestSpecimens) + " specimens; " + std::to_string(k) +
                  (k == 1 ? " is" : " are") + " loaded.");
        return false;
    }
    if (needsProtocol && c.s.protocol.empty()) {
        c.message("The protocol has no lines: load a protocol or add lines before summing up its lines.");
        return false;
    }
    return true;
}

// The group number of every specimen, in order of first appearance; empty without groups.
std::vector<std::size_t> groupNumbers(const session::Specimens& sp, std::vector<std::string>& names)
{
    std::vector<std::size_t> out;
    if (sp.groups.size() != sp.count())
        return out;
    for (const std::string& g : sp.groups) {
        const auto at = std::find(names.begin(), names.end(), g);
        out.push_back(static_cast<std::size_t>(at - names.begin()));
        if (at == names.end())
            names.push_back(g);
    }
    return out;
}

}  // namespace

session::SpecimenCheck runCheck(const Context& c, const session::Specimens& sp)
{
    std::vector<std::string> names;
    const std::vector<std::size_t> groups = groupNumbers(sp, names);
    const shape::CheckResult result =
        shape::checkSpecimens(unfittedSpecimens(sp), groups, {}, [&c](double fraction) { c.step(fraction); });
    session::SpecimenCheck check;
    for (const shape::SpecimenFinding& f : result.specimens) {
        check.distance.push_back(f.distance);
        check.outlier.push_back(f.outlier);
        check.mirrored.push_back(f.mirrored);
        if (f.suggested) {
            check.swap.push_back(session::SpecimenCheck::Swap{f.pair.first, f.pair.second});
            check.gain.push_back(f.gain);
        } else {
            check.swap.emplace_back();
            check.gain.push_back(std::nan(""));
        }
    }
    const shape::Quartiles quartiles = shape::quartiles(check.distance);
    check.threshold = quartiles.q3 + shape::kOutlierFactor * quartiles.iqr();
    check.passes = result.fit.passes;
    check.converged = result.fit.converged;
    for (const std::size_t g : result.pooledGroups)
        check.pooledGroups.push_back(names[g]);
    return check;
}

namespace {

std::string csvRow(const std::vector<std::string>& fields)
{
    std::string row;
    for (std::size_t i = 0; i < fields.size(); ++i)
        row += (i ? "," : "") + io::csvField(fields[i]);
    return row + "\n";
}

std::string joined(const std::vector<std::string>& items)
{
    std::string out;
    for (std::size_t i = 0; i < items.size(); ++i)
        out += (i ? ";" : "") + items[i];
    return out;
}

// The group of every loaded specimen, read from the CSV text of a groups file: a header
// `id,group` (any letter case), then one row per specimen. Throws a FileFormatError naming the
// file, the line and the ID for a row that is not two fields, an ID the data do not have or
// have twice, an ID given twice or without a group; an Error naming the specimens left out.
std::vector<std::string> parseGroups(std::string_view text, const std::string& file, const session::Specimens& sp)
{
    std::map<std::string, std::size_t> index;  // ID -> specimen; count() when the data repeat it
    for (std::size_t j = 0; j < sp.count(); ++j) {
        const auto [at, fresh] = index.emplace(sp.id(j), j);
        if (!fresh)
            at->second = sp.count();
    }
    const std::vector<io::CsvRow> rows = io::parseCsvRows(text, file);
    const auto header = [](const std::vector<std::string>& fields) {
        return fields.size() == 2 && platform::toLower(fields[0]) == "id" && platform::toLower(fields[1]) == "group";
    };
    if (rows.empty() || !header(rows.front().fields))
        throw FileFormatError(file, rows.empty() ? 1 : rows.front().line, "the first row must be the header id,group");
    std::vector<std::string> groups(sp.count());
    std::vector<int> givenOn(sp.count(), 0);
    for (std::size_t r = 1; r < rows.size(); ++r) {
        const io::CsvRow& row = rows[r];
        if (row.fields.size() == 1 && row.fields[0].empty())
            continue;  // a blank line
        if (row.fields.size() != 2)
            throw FileFormatError(file, row.line,
                                  "a row must hold two fields, id and group; this one has " +
                                      std::to_string(row.fields.size()));
        const std::string& id = row.fields[0];
        const auto at = index.find(id);
        if (at == index.end())
            throw FileFormatError(file, row.line, "ID \"" + id + "\" is not among the loaded specimens");
        if (at->second == sp.count())
            throw FileFormatError(file, row.line, "ID \"" + id + "\" belongs to more than one loaded specimen");
        if (givenOn[at->second] != 0)
            throw FileFormatError(file, row.line,
                                  "ID \"" + id + "\" is given twice (first on line " +
                                      std::to_string(givenOn[at->second]) + ")");
        if (row.fields[1].empty())
            throw FileFormatError(file, row.line, "specimen \"" + id + "\" has no group");
        givenOn[at->second] = row.line;
        groups[at->second] = row.fields[1];
    }
    std::vector<std::string> missing;
    for (std::size_t j = 0; j < sp.count(); ++j)
        if (givenOn[j] == 0)
            missing.push_back("\"" + sp.id(j) + "\"");
    if (!missing.empty()) {
        const std::size_t shown = std::min<std::size_t>(missing.size(), 5);
        std::string names;
        for (std::size_t i = 0; i < shown; ++i)
            names += (i ? ", " : "") + missing[i];
        if (shown < missing.size())
            names += ", ... (" + std::to_string(missing.size()) + " in all)";
        throw Error(std::string(missing.size() == 1 ? "a specimen has" : "specimens have") + " no group in " + file +
                    ": " + names);
    }
    return groups;
}

void save(Context& c, const std::string& title, const std::string& text, std::string_view suffix,
          const std::string& what)
{
    if (const auto chosen = c.chooseFile(c.saveRequest(title, "*.csv", suffix)))
        c.writeOrReport(*chosen, text, what);
}

}  // namespace

namespace {

// Runs the check on the loaded specimens into the session; false, after a message box, when
// there is nothing to check or the check cannot be made.
bool checkAgain(Context& c)
{
    if (!ready(c, false))
        return false;
    ProgressScope progress(c, "Checking the specimens");
    try {
        c.s.check = runCheck(c, c.s.specimens);
    } catch (const Error& e) {
        c.message("Cannot check the specimens: " + std::string(e.what()));
        return false;
    }
    return true;
}

}  // namespace

void checkSpecimens(Context& c)
{
    if (!checkAgain(c))
        return;
    const session::SpecimenCheck& check = c.s.check;
    std::size_t outliers = 0, mirrored = 0, swaps = 0;
    for (std::size_t j = 0; j < check.distance.size(); ++j) {
        outliers += check.outlier[j] ? 1u : 0u;
        mirrored += check.mirrored[j] ? 1u : 0u;
        swaps += check.swap[j] ? 1u : 0u;
    }
    std::string text = "Fitted to convergence in " + std::to_string(check.passes) +
                       (check.passes == 1 ? " pass" : " passes") +
                       (check.converged ? ""
                                        : " (stopped at " + std::to_string(shape::kMostPasses) +
                                              " passes: the mean still moved by 1e-12 or more)") +
                       "\n";
    if (!check.pooledGroups.empty())
        text += "Groups of fewer than 4 specimens, judged with the whole sample: " + joined(check.pooledGroups) + "\n";
    text += "Checked " + std::to_string(check.distance.size()) + " specimens: " + std::to_string(outliers) +
            (outliers == 1 ? " outlier" : " outliers") + " (Procrustes distance to the mean above " +
            number(check.threshold) + "), " + std::to_string(mirrored) + " mirrored, " + std::to_string(swaps) +
            (swaps == 1 ? " suggested exchange" : " suggested exchanges") + "\n";
    for (std::size_t j = 0; j < check.distance.size(); ++j) {
        if (!check.outlier[j] && !check.mirrored[j] && !check.swap[j])
            continue;
        std::string line = "  " + c.s.specimens.id(j) + ": " + number(check.distance[j]);
        if (check.outlier[j])
            line += ", outlier";
        if (check.mirrored[j])
            line += ", mirrored (fits clearly better as a mirror image)";
        if (const auto& swap = check.swap[j])
            line +=
                ", landmarks " + std::to_string(swap->first) + " and " + std::to_string(swap->second) + " look swapped";
        text += line + "\n";
    }
    c.rt.console.write(text);
}

void saveSpecimenCheck(Context& c)
{
    if (!checkAgain(c))
        return;
    const session::SpecimenCheck& check = c.s.check;
    const bool grouped = c.s.specimens.groups.size() == c.s.specimens.count();
    std::string text = "id,group,procrustes_distance,outlier,mirrored,swap_i,swap_j,swap_gain\n";
    for (std::size_t j = 0; j < check.distance.size(); ++j) {
        const auto& swap = check.swap[j];
        text += csvRow({c.s.specimens.id(j), grouped ? c.s.specimens.groups[j] : "", number(check.distance[j]),
                        check.outlier[j] ? "1" : "0", check.mirrored[j] ? "1" : "0",
                        swap ? std::to_string(swap->first) : "", swap ? std::to_string(swap->second) : "",
                        swap ? number(check.gain[j]) : ""});
    }
    save(c, "Save specimen check as CSV", text, "_check.csv",
         "the check of " + std::to_string(c.s.specimens.count()) + " specimens");
}

void loadGroups(Context& c)
{
    if (c.s.specimens.empty()) {
        c.message("No specimens are loaded: load a TPS file or a specimen table before loading their groups.");
        return;
    }
    const auto chosen = c.chooseFile(platform::FileDialogKind::Open, "Load groups: a CSV of id,group", "*.csv");
    if (!chosen)
        return;
    const std::string path = io::joinPath(chosen->folder, chosen->name);
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    const auto groups = readGroups(c, loadedSpecimens(c.s), path, chosen->name);
    if (!groups)
        return;
    commitGroups(c, *groups, chosen->name, ec ? path : absolute.lexically_normal().string());
}

std::optional<std::vector<std::string>> readGroups(Context& c, const session::Specimens& specimens,
                                                   const std::string& path, const std::string& name)
{
    try {
        return parseGroups(io::readFile(path, io::kMaxSmallFileBytes), name, specimens);
    } catch (const io::UnreadableFile& e) {
        c.message("Could not load the groups.\n" + std::string(e.what()));
    } catch (const Error& e) {
        c.message("Could not load the groups from " + name + ".\n" + e.what());
    }
    return std::nullopt;
}

void commitGroups(Context& c, std::vector<std::string> groups, const std::string& name, const std::string& path)
{
    // The check on view follows the groups: it is run again with the new groups before they
    // replace the old ones, so that stopping it changes nothing.
    std::vector<std::string> kept;
    if (c.s.uncorrected) {
        const std::vector<bool> excluded = excludedSpecimens(c.s);
        for (std::size_t j = 0; j < groups.size(); ++j)
            if (!excluded[j])
                kept.push_back(groups[j]);
    } else {
        kept = groups;
    }
    std::optional<session::SpecimenCheck> recheck;
    if (!c.s.check.empty()) {
        ProgressScope progress(c, "Checking the specimens within their groups");
        std::swap(c.s.specimens.groups, kept);
        try {
            recheck = runCheck(c, c.s.specimens);
        } catch (const Error&) {
            recheck = session::SpecimenCheck{};
        } catch (...) {
            std::swap(c.s.specimens.groups, kept);
            throw;
        }
        std::swap(c.s.specimens.groups, kept);
    }
    // Every loaded specimen has its group, an excluded one too: it may be included again.
    if (c.s.uncorrected) {
        const std::vector<bool> excluded = excludedSpecimens(c.s);
        c.s.specimens.groups.clear();
        for (std::size_t j = 0; j < groups.size(); ++j)
            if (!excluded[j])
                c.s.specimens.groups.push_back(groups[j]);
        c.s.uncorrected->groups = std::move(groups);
    } else {
        c.s.specimens.groups = std::move(groups);
    }
    c.s.sources.groups = path;
    c.s.revisions.groups = c.s.revisions.next();
    std::vector<std::string> names;
    const std::vector<std::size_t> numbers = groupNumbers(c.s.specimens, names);
    std::vector<std::size_t> sizes(names.size(), 0);
    for (const std::size_t g : numbers)
        ++sizes[g];
    std::string list;
    for (std::size_t g = 0; g < names.size(); ++g)
        list += (g ? ", " : "") + names[g] + " " + std::to_string(sizes[g]);
    std::string text = "Groups: " + std::to_string(names.size()) + (names.size() == 1 ? " group (" : " groups (") +
                       list + ") from " + name + "\n";
    if (recheck) {
        if (!recheck->empty())
            text += "The specimens were checked again within their groups.\n";
        c.s.check = std::move(*recheck);
    }
    c.rt.console.write(text);
    c.status("Loaded " + std::to_string(names.size()) + (names.size() == 1 ? " group" : " groups") + " from " + name);
}

namespace {
// The share of a line summary's progress that the lengths take; the summaries of the lines the rest.
constexpr double kLengthsShare = 0.5;
}  // namespace

void saveLineSummary(Context& c)
{
    if (!ready(c, true))
        return;
    const std::string what = "the summary of " + std::to_string(c.s.protocol.size()) + " lines";
    // Worked out before the file dialog, under a progress of its own: a user who stops it is
    // asked nothing and nothing is written.
    std::optional<ProgressScope> progress(std::in_place, c, "Working out " + what);
    std::vector<std::vector<std::optional<double>>> lengths;
    {
        ProgressPart part(c, 0, kLengthsShare);
        lengths = lineLengths(c.s.specimens, c.s.protocol, [&c](double fraction) { c.step(fraction); });
    }
    c.step(kLengthsShare);
    std::vector<std::string> names;
    const std::vector<std::size_t> groups = groupNumbers(c.s.specimens, names);
    // Without groups, one row per line over every specimen.
    const std::size_t parts = groups.empty() ? 1 : names.size();
    std::string text = "line,name,from,to,n,mean,sd,cv,min,max,outliers,suspect,group\n";
    for (std::size_t i = 0; i < lengths.size(); ++i) {
        const session::ProtocolLine& line = c.s.protocol.lines()[i];
        for (std::size_t g = 0; g < parts; ++g) {
            std::vector<std::size_t> members;  // the specimens of this row
            for (std::size_t j = 0; j < lengths[i].size(); ++j)
                if (groups.empty() || groups[j] == g)
                    members.push_back(j);
            std::vector<std::optional<double>> values;
            for (const std::size_t j : members)
                values.push_back(lengths[i][j]);
            const shape::LineSummary s = shape::summariseLine(values);
            std::vector<std::string> outliers, suspects;
            for (std::size_t m : s.outliers)
                outliers.push_back(c.s.specimens.id(members[m]));
            for (const std::size_t j : members) {
                if (j >= c.s.check.swap.size())
                    continue;
                const auto& swap = c.s.check.swap[j];
                if (swap && (swap->first == line.from || swap->first == line.to || swap->second == line.from ||
                             swap->second == line.to))
                    suspects.push_back(c.s.specimens.id(j));
            }
            text += csvRow({std::to_string(i + 1), line.name, std::to_string(line.from), std::to_string(line.to),
                            std::to_string(s.n), number(s.mean), number(s.sd), number(s.cv), number(s.min),
                            number(s.max), joined(outliers), joined(suspects), groups.empty() ? "" : names[g]});
        }
        c.step(kLengthsShare + (1 - kLengthsShare) * static_cast<double>(i + 1) / static_cast<double>(lengths.size()));
    }
    progress.reset();
    save(c, "Save line summary", text, "_line_summary.csv", what);
}

std::string replicateReport(const session::Specimens& loaded, const session::Specimens& replicate)
{
    const std::size_t p = loaded.fitted.landmarks(), q = replicate.fitted.landmarks();
    if (p != q)
        throw Error("Could not use " + replicate.file + " as a replicate: its specimens have " + std::to_string(q) +
                    " landmarks, but the loaded ones have " + std::to_string(p) + ".");
    std::vector<std::string> first, second;
    for (std::size_t j = 0; j < loaded.count(); ++j)
        first.push_back(loaded.id(j));
    for (std::size_t j = 0; j < replicate.count(); ++j)
        second.push_back(replicate.id(j));
    shape::SpecimenMatch match;
    try {
        match = shape::matchSpecimens(first, second);
    } catch (const Error& e) {
        throw Error("Could not use " + replicate.file + " as a replicate: " + e.what() + ".");
    }
    std::string report = "Replicate " + replicate.file + ": " + std::to_string(match.pairs.size()) +
                         " specimens matched " +
                         (match.by == shape::Matching::ById ? "by ID" : "by order (some IDs repeat)") + "\n";
    if (!match.onlyInFirst.empty())
        report += "  left out, only in " + loaded.file + ": " + joined(match.onlyInFirst) + "\n";
    if (!match.onlyInSecond.empty())
        report += "  left out, only in " + replicate.file + ": " + joined(match.onlyInSecond) + "\n";
    return report;
}

void commitReplicate(Context& c, session::Specimens replicate, session::SourceFiles source, const std::string& report)
{
    c.rt.console.write(report);
    c.s.replicate = std::move(replicate);
    c.s.sources.replicate = std::move(source);
    c.s.revisions.replicate = c.s.revisions.next();
}

void loadReplicate(Context& c)
{
    if (!ready(c, false))
        return;
    auto replicate = readReplicate(c);
    if (!replicate)
        return;
    std::string report;
    try {
        report = replicateReport(loadedSpecimens(c.s), replicate->first);
    } catch (const Error& e) {
        c.message(e.what());
        return;
    }
    commitReplicate(c, std::move(replicate->first), std::move(replicate->second), report);
}

shape::ReplicateComparison measurementError(const session::Session& s, const std::function<void(double)>& step)
{
    if (!s.replicate)
        throw Error("no replicate is loaded");
    // The lengths in the replicate take the first half of the work, in the loaded specimens the
    // second; the comparison itself is quick.
    const auto table = [&](const session::Specimens& sp, double from) {
        shape::ReplicateTable t;
        for (std::size_t j = 0; j < sp.count(); ++j)
            t.ids.push_back(sp.id(j));
        std::function<void(double)> part;
        if (step)
            part = [&step, from](double fraction) { step(from + fraction / 2); };
        t.variables = lineLengths(sp, s.protocol, part);
        t.variables.emplace_back(sp.sizes.begin(), sp.sizes.end());
        return t;
    };
    shape::ReplicateTable again = table(*s.replicate, 0);
    // A replicate paired by order pairs with the specimens as loaded: the excluded ones' rows go.
    const session::Specimens& loaded = loadedSpecimens(s);
    if (s.uncorrected && again.ids.size() == loaded.count()) {
        std::vector<std::string> loadedIds;
        for (std::size_t j = 0; j < loaded.count(); ++j)
            loadedIds.push_back(loaded.id(j));
        if (shape::matchSpecimens(loadedIds, again.ids).by == shape::Matching::ByOrder) {
            const std::vector<bool> excluded = excludedSpecimens(s);
            shape::ReplicateTable kept;
            for (std::size_t j = 0; j < again.ids.size(); ++j)
                if (!excluded[j])
                    kept.ids.push_back(again.ids[j]);
            for (const auto& variable : again.variables) {
                kept.variables.emplace_back();
                for (std::size_t j = 0; j < variable.size(); ++j)
                    if (!excluded[j])
                        kept.variables.back().push_back(variable[j]);
            }
            again = std::move(kept);
        }
    }
    shape::ReplicateTable loadedTable = table(s.specimens, 0.5);
    if (step)
        step(1);
    return shape::compareReplicates(loadedTable, again);
}

void saveMeasurementError(Context& c)
{
    if (!ready(c, true))
        return;
    if (!c.s.replicate) {
        c.message("No replicate is loaded: load the same specimens digitised again (Load replicate...) first.");
        return;
    }
    const std::string what = "the measurement error of " + std::to_string(c.s.protocol.size()) + " lines";
    shape::ReplicateComparison comparison;
    try {
        // Worked out before the file dialog: a user who stops it is asked nothing.
        ProgressScope progress(c, "Working out " + what);
        comparison = measurementError(c.s, [&c](double fraction) { c.step(fraction); });
    } catch (const Error& e) {
        c.message("Cannot work out the measurement error: " + std::string(e.what()));
        return;
    }
    std::string text = "line,name,from,to,n,tem,rtem,pct_me,icc,note\n";
    for (std::size_t i = 0; i < comparison.variables.size(); ++i) {
        const shape::MeasurementError& me = comparison.variables[i];
        const bool size = i == c.s.protocol.size();
        const session::ProtocolLine* line = size ? nullptr : &c.s.protocol.lines()[i];
        text +=
            csvRow({size ? "cs" : std::to_string(i + 1), size ? "centroid_size" : line->name,
                    size ? "" : std::to_string(line->from), size ? "" : std::to_string(line->to), std::to_string(me.n),
                    number(me.tem), number(me.relativeTem), number(me.percentMe), number(me.icc), me.note});
    }
    save(c, "Save measurement error", text, "_measurement_error.csv", what);
}

}  // namespace vezedo::controller
