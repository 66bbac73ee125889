// "ExchangeLandmarks", "MirrorSpecimen", "ExcludeSpecimen", "IncludeSpecimen" and
// "SaveCorrections": corrections of the loaded specimens made in place. The specimens as loaded
// stay as they were read; the list of corrections is the state, and the specimens in use are
// the loaded ones with the corrections applied in order, completed and fitted as a load does.
#include <algorithm>
#include <cmath>
#include <functional>

#include "controller/actions.h"
#include "controller/loadsteps.h"
#include "controller/views.h"
#include "io/csv.h"
#include "platform/error.h"
#include "platform/numtext.h"

namespace vezedo::controller {

using session::Correction;

namespace {

// The fit compares specimens with each other: it needs two at least.
constexpr std::size_t kFewestKept = 2;

// The loaded specimens with `corrections` applied, completed and fitted again. Throws an Error
// when the result cannot be completed or fitted.
session::Specimens corrected(const session::Specimens& loaded, const std::vector<Correction>& corrections,
                             platform::ConsoleService& console, const std::function<void(double)>& step = {})
{
    session::Specimens out = loaded;
    const std::size_t k = loaded.count();
    std::vector<bool> excluded(k, false);
    for (const Correction& c : corrections) {
        const std::size_t row = c.specimen - 1;
        switch (c.kind) {
        case Correction::Kind::Exchange:
            for (std::size_t d = 0; d < 3; ++d)
                std::swap(out.read(row, 3 * (c.i - 1) + d), out.read(row, 3 * (c.j - 1) + d));
            break;
        case Correction::Kind::Mirror:
            for (std::size_t col = 0; col < out.read.cols(); col += 3)
                out.read(row, col) = -out.read(row, col);
            break;
        case Correction::Kind::Exclude:
            excluded[row] = true;
            break;
        }
    }
    std::vector<std::string> ids;
    for (std::size_t j = 0; j < k; ++j)
        ids.push_back(loaded.id(j));
    const std::vector<std::string> allNames = specimenNames(ids);
    if (std::find(excluded.begin(), excluded.end(), true) != excluded.end()) {
        const std::size_t kept = static_cast<std::size_t>(std::count(excluded.begin(), excluded.end(), false));
        platform::Matrix read(kept, out.read.cols());
        session::Specimens& s = out;
        std::vector<std::string> keptIds, groups, scales;
        std::vector<double> sizes;
        for (std::size_t j = 0, r = 0; j < k; ++j) {
            if (excluded[j])
                continue;
            for (std::size_t col = 0; col < read.cols(); ++col)
                read(r, col) = s.read(j, col);
            ++r;
            keptIds.push_back(ids[j]);
            if (j < s.groups.size())
                groups.push_back(s.groups[j]);
            if (j < s.unappliedScales.size())
                scales.push_back(s.unappliedScales[j]);
            if (j < s.sizes.size())
                sizes.push_back(s.sizes[j]);
        }
        s.read = std::move(read);
        s.ids = std::move(keptIds);
        s.groups = std::move(groups);
        s.unappliedScales = std::move(scales);
        s.sizes = std::move(sizes);
    }
    std::vector<std::string> names;
    for (std::size_t j = 0; j < k; ++j)
        if (!excluded[j])
            names.push_back(allNames[j]);
    completeAndFit(out, std::move(names), console, step);
    out.reference = out.mean;
    return out;
}

std::string plural(std::size_t n, const std::string& one, const std::string& many)
{
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

// The report's lines on the corrections: what was changed, and what is left out.
std::vector<std::string> correctionReport(const session::Session& s)
{
    if (s.corrections.empty())
        return {"Corrections: none; the specimens are used as loaded"};
    std::vector<std::string> lines;
    std::string changed, excluded;
    std::size_t changes = 0, exclusions = 0;
    for (const Correction& c : s.corrections) {
        std::string& list = c.kind == Correction::Kind::Exclude ? excluded : changed;
        (c.kind == Correction::Kind::Exclude ? exclusions : changes) += 1;
        if (!list.empty())
            list += "; ";
        list += correctionText(c);
    }
    if (changes > 0)
        lines.push_back("Corrections: " + plural(changes, "change", "changes") +
                        " in place (the file is unchanged): " + changed);
    if (exclusions > 0)
        lines.push_back("Excluded: " + plural(exclusions, "specimen", "specimens") +
                        " left out of the fit, the checks and the measures: " + excluded);
    return lines;
}

// False, after a message box, when there are no specimens to correct.
bool canCorrect(Context& c)
{
    if (c.s.specimens.empty()) {
        c.message("No specimens are loaded: load a TPS file or a specimen table before correcting them.");
        return false;
    }
    if (loadedSpecimens(c.s).read.rows() != loadedSpecimens(c.s).count()) {
        c.message("The loaded specimens keep no coordinates as read, so they cannot be corrected.");
        return false;
    }
    return true;
}

// The specimen the box names, for a correction: in the loaded order (from 0).
std::optional<std::size_t> boxSpecimen(Context& c)
{
    return canCorrect(c) ? loadedSpecimen(c) : std::nullopt;
}

bool isExcluded(const Context& c, std::size_t j)
{
    return excludedSpecimens(c.s)[j];
}

// A correction of the coordinates of a specimen that takes part: an excluded one is refused.
std::optional<Correction> coordinateCorrection(Context& c, Correction::Kind kind, std::string_view what)
{
    const auto j = boxSpecimen(c);
    if (!j)
        return std::nullopt;
    const std::string id = loadedSpecimens(c.s).id(*j);
    if (isExcluded(c, *j)) {
        c.message("Cannot " + std::string(what) + " specimen " + std::to_string(*j + 1) + " (" + id +
                  "): it is excluded. Include it again first.");
        return std::nullopt;
    }
    return Correction{*j + 1, id, kind, 0, 0};
}

// A landmark number typed into `box`: a whole number from 1 to p; nullopt after a message box.
std::optional<std::size_t> landmarkIn(Context& c, const Control& box, std::string_view which)
{
    const std::size_t p = loadedSpecimens(c.s).read.cols() / 3;
    const std::string typed = box.text();
    const platform::Matrix number = platform::parseNumericText(typed);
    if (number.numel() == 1 && number[0] >= 1 && number[0] <= static_cast<double>(p) &&
        number[0] == std::floor(number[0]))
        return static_cast<std::size_t>(number[0]);
    c.message("Cannot exchange the landmarks: the " + std::string(which) + " box holds \"" + typed +
              "\"; type a landmark number from 1 to " + std::to_string(p) + ".");
    return std::nullopt;
}

void adopt(Context& c, Correction correction, const std::string& done)
{
    std::vector<Correction> list = c.s.corrections;
    list.push_back(std::move(correction));
    if (adoptCorrections(c, std::move(list)))
        c.status(done + "; the specimens were fitted again");
}

}  // namespace

std::optional<CorrectedState> prepareCorrections(Context& c, std::vector<Correction> corrections)
{
    CorrectedState out{std::move(corrections), std::nullopt, std::nullopt};
    const bool checked = !c.s.check.empty();
    ProgressScope progress(c, "Fitting the specimens again");
    // The fit takes the first share of the bar, the check on view (when there is one) the rest.
    const double fitted = checked ? 0.5 : 1.0;
    if (!out.corrections.empty()) {
        try {
            ProgressPart part(c, 0, fitted);
            out.specimens = corrected(loadedSpecimens(c.s), out.corrections, c.rt.console,
                                      [&c](double fraction) { c.step(fraction); });
        } catch (const Error& e) {
            c.message("Cannot correct the specimens: " + std::string(e.what()));
            return std::nullopt;
        }
    }
    c.step(fitted);
    // A check on view follows the corrected specimens.
    if (checked) {
        ProgressPart part(c, fitted, 1);
        try {
            out.check = runCheck(c, out.specimens ? *out.specimens : loadedSpecimens(c.s));
        } catch (const Error&) {
            out.check = session::SpecimenCheck{};
        }
    }
    c.step(1);
    return out;
}

bool adoptCorrections(Context& c, std::vector<Correction> corrections)
{
    if (corrections == c.s.corrections)
        return true;
    auto next = prepareCorrections(c, std::move(corrections));
    if (!next)
        return false;
    putCorrections(c, std::move(*next));
    return true;
}

void commitCorrections(Context& c, std::vector<Correction> corrections, session::Specimens corrected)
{
    if (corrections.empty())
        return;
    CorrectedState next{std::move(corrections), std::move(corrected), std::nullopt};
    if (!c.s.check.empty()) {
        try {
            next.check = runCheck(c, *next.specimens);
        } catch (const Error&) {
            next.check = session::SpecimenCheck{};
        }
    }
    putCorrections(c, std::move(next));
}

session::Specimens correctedSpecimens(const session::Specimens& loaded, const std::vector<Correction>& corrections,
                                      platform::ConsoleService& console)
{
    const std::size_t k = loaded.count(), p = loaded.read.cols() / 3;
    if (!corrections.empty() && loaded.read.rows() != k)
        throw Error("field \"corrections\": the specimens keep no coordinates as read, so they cannot be corrected");
    std::vector<bool> excluded(k, false);
    std::size_t kept = k;
    for (std::size_t n = 0; n < corrections.size(); ++n) {
        const Correction& x = corrections[n];
        const std::string where = "field \"corrections[" + std::to_string(n) + "]\" (" + correctionText(x) + "): ";
        if (x.specimen < 1 || x.specimen > k)
            throw Error(where + "specimen " + std::to_string(x.specimen) + " does not exist: the data set has " +
                        std::to_string(k) + " specimens");
        if (loaded.id(x.specimen - 1) != x.id)
            throw Error(where + "specimen " + std::to_string(x.specimen) + " of the data set is " +
                        loaded.id(x.specimen - 1) + ", not " + x.id);
        if (excluded[x.specimen - 1])
            throw Error(where + (x.kind == Correction::Kind::Exclude ? "it is excluded already"
                                                                     : "it is excluded, so it cannot be changed"));
        switch (x.kind) {
        case Correction::Kind::Exchange:
            if (x.i == x.j || x.i < 1 || x.j < 1 || std::max(x.i, x.j) > p)
                throw Error(where + "expected two different landmarks from 1 to " + std::to_string(p));
            break;
        case Correction::Kind::Mirror:
            break;
        case Correction::Kind::Exclude:
            excluded[x.specimen - 1] = true;
            if (--kept < kFewestKept)
                throw Error(where + "the fit needs at least " + std::to_string(kFewestKept) + " specimens");
            break;
        }
    }
    try {
        return corrected(loaded, corrections, console);
    } catch (const Error& e) {
        throw Error("field \"corrections\": the corrected specimens cannot be fitted: " + std::string(e.what()));
    }
}

void putCorrections(Context& c, CorrectedState next)
{
    if (!c.s.uncorrected)
        c.s.uncorrected = std::move(c.s.specimens);
    if (next.specimens) {
        c.s.specimens = std::move(*next.specimens);
    } else {  // back to the specimens exactly as loaded
        c.s.specimens = std::move(*c.s.uncorrected);
        c.s.uncorrected.reset();
    }
    c.s.corrections = std::move(next.corrections);
    if (next.check)
        c.s.check = std::move(*next.check);
    std::string report;
    for (const std::string& line : correctionReport(c.s))
        report += line + "\n";
    c.rt.console.write(report);
    showProto(c);
}

void exchangeLandmarks(Context& c)
{
    auto correction = coordinateCorrection(c, Correction::Kind::Exchange, "exchange landmarks of");
    if (!correction)
        return;
    const auto i = landmarkIn(c, c.controls.firstLandmark(), "first landmark");
    if (!i)
        return;
    const auto j = landmarkIn(c, c.controls.secondLandmark(), "second landmark");
    if (!j)
        return;
    if (*i == *j) {
        c.message("Cannot exchange landmark " + std::to_string(*i) +
                  " with itself: type two different landmark numbers.");
        return;
    }
    correction->i = std::min(*i, *j);
    correction->j = std::max(*i, *j);
    const std::string done = "Exchanged landmarks " + std::to_string(correction->i) + " and " +
                             std::to_string(correction->j) + " of " + correction->id;
    adopt(c, std::move(*correction), done);
}

void mirrorSpecimen(Context& c)
{
    auto correction = coordinateCorrection(c, Correction::Kind::Mirror, "mirror");
    if (!correction)
        return;
    const std::string done = "Mirrored " + correction->id + " (x -> -x)";
    adopt(c, std::move(*correction), done);
}

void excludeSpecimen(Context& c)
{
    const auto j = boxSpecimen(c);
    if (!j)
        return;
    const std::string id = loadedSpecimens(c.s).id(*j);
    const std::string who = "specimen " + std::to_string(*j + 1) + " (" + id + ")";
    if (isExcluded(c, *j)) {
        c.message("Cannot exclude " + who + ": it is excluded already.");
        return;
    }
    if (c.s.specimens.count() <= kFewestKept) {
        c.message("Cannot exclude " + who + ": the fit needs at least " + std::to_string(kFewestKept) +
                  " specimens, and " + std::to_string(c.s.specimens.count()) + " are in use.");
        return;
    }
    adopt(c, Correction{*j + 1, id, Correction::Kind::Exclude, 0, 0}, "Excluded " + id);
}

void includeSpecimen(Context& c)
{
    const auto j = boxSpecimen(c);
    if (!j)
        return;
    const std::string id = loadedSpecimens(c.s).id(*j);
    if (!isExcluded(c, *j)) {
        c.message("Cannot include specimen " + std::to_string(*j + 1) + " (" + id + "): it is not excluded.");
        return;
    }
    // Including takes the exclusion back: the list keeps only what is in force.
    std::vector<Correction> list = c.s.corrections;
    std::erase_if(list,
                  [&](const Correction& x) { return x.kind == Correction::Kind::Exclude && x.specimen == *j + 1; });
    if (adoptCorrections(c, std::move(list)))
        c.status("Included " + id + " again; the specimens were fitted again");
}

std::string correctionsCsv(const std::vector<Correction>& corrections)
{
    std::string text = "id,correction,i,j\n";
    for (const Correction& c : corrections) {
        const bool exchange = c.kind == Correction::Kind::Exchange;
        const char* kind = exchange ? "exchange" : c.kind == Correction::Kind::Mirror ? "mirror" : "exclude";
        text += io::csvField(c.id);
        text += ',';
        text += kind;
        text += ',';
        text += exchange ? std::to_string(c.i) : std::string();
        text += ',';
        text += exchange ? std::to_string(c.j) : std::string();
        text += '\n';
    }
    return text;
}

void saveCorrections(Context& c)
{
    if (c.s.corrections.empty()) {
        c.message("There are no corrections to save: exchange landmarks, mirror or exclude a specimen first.");
        return;
    }
    const auto chosen = c.chooseFile(c.saveRequest("Save corrections", "*.csv", "_corrections.csv"));
    if (!chosen)
        return;
    if (c.writeOrReport(*chosen, correctionsCsv(c.s.corrections),
                        plural(c.s.corrections.size(), "correction", "corrections")))
        c.s.revisions.savedCorrections = c.s.revisions.corrections;
}

}  // namespace vezedo::controller
