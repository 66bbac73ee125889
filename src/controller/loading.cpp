// "LoadFile1" and "LoadFileIMP": read specimens, estimate missing landmarks, superimpose
// them, report what was found and show the numbered mean shape.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <exception>
#include <filesystem>
#include <functional>
#include <optional>

#include "controller/actions.h"
#include "controller/importreport.h"
#include "controller/loadsteps.h"
#include "display/display.h"
#include "io/files.h"
#include "io/numeric.h"
#include "io/sizetable.h"
#include "io/tps.h"
#include "platform/error.h"
#include "platform/parallel.h"
#include "platform/textformat.h"
#include "shape/missing.h"
#include "shape/shape.h"

namespace vezedo::controller {

using platform::Matrix;
using platform::Value;

std::string loadProblem(const std::string& file, const std::exception& e)
{
    const std::string what = e.what();
    // Readers' messages name the file already.
    if (dynamic_cast<const FileFormatError*>(&e))
        return "Could not load the specimens.\n" + what;
    return "Could not load the specimens from " + file + ".\n" + what;
}

// The reader's message names the path and the reason (a folder, a device, missing, ...).
std::string unreadable(const std::string& file, const io::UnreadableFile& e)
{
    return "Could not load the specimens: the file " + file + " could not be opened.\n" + e.what();
}

namespace {

// The data set replaces the old one wholly, the main window describes it and a new plot
// window shows the mean shape with its landmark numbers; that window is `mf` too, and its
// axes keep what is drawn next.
// The plot windows of the data set being replaced close: no window may go on showing, or
// answering clicks for, data that is no longer loaded. The main window is never one of them.
void closeOldPlots(Context& c)
{
    std::optional<platform::Handle> mainWindow;
    if (const auto boxes = c.controls.specimensText().handles(); !boxes.empty())
        mainWindow = c.rt.graphics.figureOf(boxes.front());
    for (const std::optional<platform::Handle>& plot : {c.s.fighand1, c.s.mf})
        if (plot && plot != mainWindow && c.rt.graphics.isValid(*plot))
            c.rt.graphics.deleteObject(*plot);
    c.s.lineh.reset();
}

}  // namespace

void commitSpecimens(Context& c, const std::string& description, session::Specimens specimens,
                     session::SourceFiles source)
{
    closeOldPlots(c);
    c.s.revisions.specimens = c.s.revisions.next();
    // The replicate and the groups belonged to the data set being replaced.
    c.s.sources = {std::move(source), std::nullopt, std::nullopt};
    c.controls.specimensText().setText(description);
    c.s.specimens = std::move(specimens);
    c.s.check = {};
    c.s.replicate.reset();
    // Corrections belong to the data set they were made on.
    if (!c.s.corrections.empty())
        c.status("The " + std::to_string(c.s.corrections.size()) +
                 " corrections of the specimens loaded before were dropped with them");
    c.s.corrections.clear();
    c.s.uncorrected.reset();
    c.s.revisions.savedCorrections = c.s.revisions.corrections;
    c.s.specimens.reference = c.s.specimens.mean;
    c.s.fighand1 = c.rt.graphics.createFigure();
    display::showshape3D(c.rt.graphics, platform::LandmarkSet(c.s.specimens.mean), "b*");
}

void labelNewPlot(Context& c)
{
    c.s.mf = c.rt.graphics.currentFigure();
    {
        PlotWindowScope plot(c);
        drawLandmarkLabels(c, c.s.specimens.mean, c.s.specimens.mean.rows());
    }
    c.rt.graphics.setHold(currentAxes(c), true);
}

void report(Context& c, const ImportFacts& facts)
{
    const std::vector<std::string> lines = importReport(facts);
    for (const std::string& line : lines)
        c.rt.console.write(line + "\n");
    c.controls.dataSet().setText(lines.front());
}

namespace {

std::vector<std::string> specimenNames(const std::vector<std::string>& ids, const std::vector<int>& lines)
{
    std::vector<std::string> names(ids.size());
    for (std::size_t j = 0; j < ids.size(); ++j)
        names[j] = "specimen " + std::to_string(j + 1) + " (" + ids[j] +
                   (j < lines.size() ? ", line " + std::to_string(lines[j]) : std::string()) + ")";
    return names;
}

std::vector<session::SpecimenFlags> flagsOf(const shape::Completed& completed)
{
    std::vector<session::SpecimenFlags> flags(completed.estimated.size());
    for (std::size_t j = 0; j < flags.size(); ++j)
        flags[j].estimated = completed.estimated[j];
    return flags;
}

constexpr double kSmallestScaledSize = 1e-150;
constexpr double kLargestScaledSize = 1e150;

// The centroid size of a row of x, y, z triples, over its landmarks that are not missing.
double centroidSizeOfRow(const Matrix& table, std::size_t row)
{
    double mean[3] = {0, 0, 0};
    std::size_t present = 0;
    for (std::size_t col = 0; col + 2 < table.cols(); col += 3) {
        if (std::isnan(table(row, col)))
            continue;
        for (std::size_t d = 0; d < 3; ++d)
            mean[d] += table(row, col + d);
        ++present;
    }
    if (present == 0)
        return 0;
    for (double& m : mean)
        m /= static_cast<double>(present);
    double sum = 0;
    for (std::size_t col = 0; col + 2 < table.cols(); col += 3)
        if (!std::isnan(table(row, col)))
            for (std::size_t d = 0; d < 3; ++d)
                sum += (table(row, col + d) - mean[d]) * (table(row, col + d) - mean[d]);
    return std::sqrt(sum);
}

// With "Apply SCALE" on, every specimen's coordinates are multiplied by its SCALE= before
// anything else; then every specimen needs one, a positive number. Notes the SCALE values
// for the report either way.
void applyScale(Matrix& table, const io::TpsData& read, const std::string& file, bool apply, ImportFacts& facts)
{
    const auto who = [&](std::size_t j) { return "specimen " + std::to_string(j + 1) + " (" + read.info[j].id + ")"; };
    const std::size_t k = read.info.size();
    std::vector<double> scales(k, 0.0);
    std::optional<std::size_t> without;
    for (std::size_t j = 0; j < k; ++j) {
        const io::TpsSpecimenInfo& info = read.info[j];
        if (!info.scale) {
            without = without.value_or(j);
            continue;
        }
        const std::string& text = *info.scale;
        double scale = 0;
        const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), scale);
        const bool valid = ec == std::errc() && ptr == text.data() + text.size() && std::isfinite(scale) && scale > 0;
        if (apply && !valid)
            throw FileFormatError(file, info.scaleLine,
                                  who(j) + ": SCALE=" + text + " is not a positive number, so it cannot be applied");
        if (!valid)
            facts.badScales.push_back(text);
        if (valid) {
            facts.scaleMin = facts.scaled == 0 ? scale : std::min(facts.scaleMin, scale);
            facts.scaleMax = facts.scaled == 0 ? scale : std::max(facts.scaleMax, scale);
        }
        ++facts.scaled;
        scales[j] = scale;
    }
    if (apply && facts.scaled > 0 && without)
        throw FileFormatError(file, read.info[*without].headerLine,
                              who(*without) + " has no SCALE=, but " + std::to_string(facts.scaled) +
                                  " others have; with Apply SCALE on, every specimen needs one");
    facts.scaleApplied = apply && facts.scaled > 0;
    if (!facts.scaleApplied)
        return;
    for (std::size_t j = 0; j < table.rows(); ++j) {
        const double before = centroidSizeOfRow(table, j);
        for (std::size_t col = 0; col < table.cols(); ++col)
            table(j, col) *= scales[j];
        // A SCALE that takes the specimen's size out of what doubles hold leaves nothing to
        // superimpose: its landmarks would coincide or be infinite.
        const double after = centroidSizeOfRow(table, j);
        if (before > 0 && !(after >= kSmallestScaledSize && after <= kLargestScaledSize))
            throw FileFormatError(file, read.info[j].scaleLine,
                                  who(j) + ": SCALE=" + *read.info[j].scale + " is too " +
                                      (after < kSmallestScaledSize ? "small" : "large") +
                                      ": the specimen's centroid size would be " +
                                      platform::formatText("%g", {Value(after)}) + ", outside 1e-150 to 1e150");
    }
}

}  // namespace

std::vector<std::string> specimenNames(const std::vector<std::string>& ids)
{
    return specimenNames(ids, {});
}

namespace {

// The specimens as the fit takes them: missing landmarks estimated and, for a TPS data set,
// every specimen centred and scaled to unit size (its centroid size goes to `sizes` when given).
shape::Completed prepared(const session::Specimens& specimens, const std::vector<std::string>& names,
                          std::vector<double>* sizes, const std::function<void(double)>& step)
{
    std::function<void(double)> estimating;
    if (step)
        estimating = [&step](double share) { step(kRead + (kEstimated - kRead) * share); };
    shape::Completed completed = shape::estimateMissingLandmarks(display::vertxy3D(specimens.read), names, estimating);
    if (step)
        step(kEstimated);
    // A TPS file's specimens are centred and scaled to unit size first; their centroid sizes
    // are what the lengths are scaled back by. A table brings its own sizes.
    if (specimens.source == session::Specimens::Source::Tps) {
        platform::LandmarkSet& data = completed.data;
        const std::size_t k = data.specimens();
        if (sizes)
            sizes->resize(k);
        // Each specimen on its own, so the parts give the same numbers on any number of threads.
        const std::size_t threads = std::min(platform::threadsFor(0), std::max<std::size_t>(k / 1024, 1));
        const auto centre = [&](std::size_t part) {
            for (std::size_t i = k * part / threads; i < k * (part + 1) / threads; ++i) {
                const shape::Centred one = shape::centsize3D(data.sliceMatrix(i));
                std::copy(one.y.values().begin(), one.y.values().end(), data.slice(i).begin());
                if (sizes)
                    (*sizes)[i] = one.cs;
            }
        };
        if (threads == 1)
            centre(0);
        else
            for (const std::exception_ptr& failure : platform::runParts(threads, centre))
                if (failure)
                    std::rethrow_exception(failure);
    }
    return completed;
}

}  // namespace

void completeAndFit(session::Specimens& specimens, std::vector<std::string> names, platform::ConsoleService& console,
                    const std::function<void(double)>& step)
{
    shape::Completed completed = prepared(specimens, names, &specimens.sizes, step);
    names = std::vector<std::string>();  // only the estimates name specimens
    // Fitted in place: the coordinates before the fit are made again from `read` when wanted.
    shape::Superimposition fit = shape::getpproc3(std::move(completed.data), console);
    if (step)
        step(kFitted);
    specimens.fitted = std::move(fit.fitted);
    specimens.mean = std::move(fit.mean);
    specimens.flags = flagsOf(completed);
}

platform::LandmarkSet unfittedSpecimens(const session::Specimens& specimens)
{
    if (specimens.read.empty())
        return specimens.fitted;
    return prepared(specimens, specimenNames(specimens.ids), nullptr, {}).data;
}

std::string absolutePath(const platform::FileChoice& choice)
{
    const std::string path = io::joinPath(choice.folder, choice.name);
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    return ec ? path : absolute.lexically_normal().string();
}

std::optional<Loaded> fitTpsData(Context& c, io::TpsData read, const std::string& fname, bool applyScaleOn)
{
    Loaded out{{}, ImportFacts{fname, 0, {}, 0, false, 0, 0, 0, false, 0, 0, 0, {}, {}}, {}};
    ImportFacts& facts = out.facts;
    try {
        applyScale(read.table, read, fname, applyScaleOn, facts);
    } catch (const std::exception& e) {
        c.message(loadProblem("the chosen file", e));
        return std::nullopt;
    }
    const std::size_t nd = read.table.rows();
    const std::size_t p = read.table.cols() / 3;
    // What is kept of the header lines and the per-specimen facts is taken out first, and the
    // rest freed: the fit, which holds the numbers twice, is when memory is fullest.
    read.namelist = platform::CellList();
    std::vector<int> headerLines;
    headerLines.reserve(nd);
    std::vector<std::string> unappliedScales;
    unappliedScales.reserve(nd);
    for (const io::TpsSpecimenInfo& info : read.info) {
        headerLines.push_back(info.headerLine);
        facts.namedInFile += info.named ? 1u : 0u;
        facts.comments += info.comments;
        facts.curves += info.curves;
        facts.curvePoints += info.curvePoints;
        unappliedScales.push_back(facts.scaleApplied ? std::string() : info.scale.value_or(""));
    }
    read.info = std::vector<io::TpsSpecimenInfo>();
    std::vector<std::string> names = specimenNames(read.ids, headerLines);
    headerLines = std::vector<int>();
    session::Specimens& specimens = out.specimens;
    specimens.source = session::Specimens::Source::Tps;
    specimens.read = std::move(read.table);
    try {
        completeAndFit(specimens, std::move(names), c.rt.console, [&](double fraction) { c.step(fraction); });
    } catch (const Error& e) {
        c.message(loadProblem(fname, e));
        return std::nullopt;
    }
    specimens.unappliedScales = std::move(unappliedScales);
    specimens.ids = std::move(read.ids);
    facts.landmarks = p;
    facts.ids = specimens.ids;
    for (const auto& flag : specimens.flags)
        facts.estimated.push_back(flag.estimated);
    out.description =
        platform::formatText("%s \\nhas %i specimens \\nwith %i landmarks",
                             {Value(fname), Value(static_cast<double>(nd)), Value(static_cast<double>(p))});
    return out;
}

namespace {

// The one place where the readers report how far they are through a file: reading is the first
// share of a load. The TPS and table readers call this hook as they go (every few MB), so a long
// read shows progress and stops when the user cancels it.
std::function<bool(std::size_t, std::size_t)> readingProgress(Context& c)
{
    if (!c.progress)
        return [](std::size_t, std::size_t) { return true; };
    return c.progress->readerHook(0.0, kRead);
}

io::ReadOptions readOptions(Context& c)
{
    io::ReadOptions options;
    options.progress = readingProgress(c);
    return options;
}

void finishedReading(Context& c)
{
    readingProgress(c)(1, 1);
    c.step(kRead);
}

// A read its progress hook stopped: the user cancelled it, so the action stops with Cancelled
// (the next step throws it) and no message box says the file was bad.
[[noreturn]] void stopCancelledRead(Context& c)
{
    c.step(kRead);
    throw Error("a read stopped by its progress hook without a cancel");
}

}  // namespace

std::optional<Loaded> readTpsSpecimens(Context& c, const platform::FileChoice& choice, bool applyScale)
{
    io::TpsData read;
    try {
        read = io::readChosenTps(choice, readOptions(c));
    } catch (const io::Cancelled&) {
        stopCancelledRead(c);
    } catch (const io::UnreadableFile& e) {
        c.rt.console.write("Error on file open");
        c.message(unreadable(choice.name, e));
        return std::nullopt;
    } catch (const std::exception& e) {
        c.message(loadProblem("the chosen file", e));
        return std::nullopt;
    }
    finishedReading(c);
    return fitTpsData(c, std::move(read), choice.name, applyScale);
}

std::optional<Loaded> readTableSpecimens(Context& c, const platform::FileChoice& choice)
{
    const std::string& fname = choice.name;
    io::SpecimenTable read;
    try {
        const std::string path = io::joinPath(choice.folder, choice.name);
        std::string bytes;
        try {
            bytes = io::readFile(path);
        } catch (const io::UnreadableFile&) {
            io::changeDirectory(choice.folder);
            throw;
        }
        read = io::parseSpecimenTable(bytes, path, readOptions(c));
        finishedReading(c);
        io::changeDirectory(choice.folder);
    } catch (const io::Cancelled&) {
        stopCancelledRead(c);
    } catch (const io::UnreadableFile& e) {
        c.message(unreadable(fname, e));
        return std::nullopt;
    } catch (const std::exception& e) {
        c.message(loadProblem("the chosen file", e));
        return std::nullopt;
    }
    const Matrix& data = read.table;
    const std::size_t m = data.rows();
    const std::size_t n = data.cols();
    if (m == 0 || n < 4 || (n - 1) % 3 != 0) {
        c.message("Could not load the specimens from " + fname +
                  ".\nA specimen table holds x, y and z of every "
                  "landmark and then the centroid size: 3p + 1 numbers per line. This file has " +
                  std::to_string(n) + " numbers per line.");
        return std::nullopt;
    }
    for (std::size_t j = 0; j < m; ++j) {
        const double size = data(j, n - 1);
        if (!std::isfinite(size) || size <= 0) {
            c.message("Could not load the specimens from " + fname + ".\nRow " + std::to_string(j + 1) + " (specimen " +
                      std::to_string(j + 1) + ") gives the centroid size " + platform::formatText("%g", {Value(size)}) +
                      "; the last number of each row is a centroid size, a positive number.");
            return std::nullopt;
        }
    }
    Loaded out{{}, ImportFacts{fname, (n - 1) / 3, {}, read.ids.size(), true, 0, 0, 0, false, 0, 0, 0, {}, {}}, {}};
    session::Specimens& specimens = out.specimens;
    specimens.source = session::Specimens::Source::Table;
    specimens.ids = read.ids;
    for (std::size_t j = specimens.ids.size(); j < m; ++j)
        specimens.ids.push_back("specimen" + std::to_string(j + 1));
    // Column after column, the landmark columns come first: all but the sizes at the end.
    specimens.read = Matrix(m, n - 1);
    std::copy_n(data.data(), m * (n - 1), specimens.read.data());
    try {
        completeAndFit(specimens, specimenNames(specimens.ids, {}), c.rt.console,
                       [&](double fraction) { c.step(fraction); });
    } catch (const Error& e) {
        c.message(loadProblem(fname, e));
        return std::nullopt;
    }
    specimens.sizes.resize(m);
    for (std::size_t j = 0; j < m; ++j)
        specimens.sizes[j] = data(j, n - 1);
    out.facts.ids = specimens.ids;
    for (const auto& flag : specimens.flags)
        out.facts.estimated.push_back(flag.estimated);
    out.description =
        platform::formatText("File: %s \\n %3.0f Specimens \\n %3.0f Landmarks",
                             {Value(fname), Value(static_cast<double>(m)), Value(static_cast<double>((n - 1) / 3))});
    return out;
}

void loadFile1(Context& c)
{
    // Read, complete and fit everything first: a file that cannot be used changes nothing.
    const auto choice = io::chooseTpsFile(c.rt);
    if (!choice)
        return;
    const bool applyScale = c.controls.applyScale().value() != 0;
    session::SourceFiles source{session::SourceFiles::Reader::Tps, {absolutePath(*choice)}, applyScale};
    ProgressScope progress(c, "Loading " + choice->name);
    auto loaded = readTpsSpecimens(c, *choice, applyScale);
    if (!loaded)
        return;
    loaded->specimens.file = choice->name;
    const double p = static_cast<double>(loaded->facts.landmarks);
    commitSpecimens(c, loaded->description, std::move(loaded->specimens), std::move(source));
    c.rt.console.display("lm", Value(p));
    labelNewPlot(c);
    report(c, loaded->facts);
}

void loadFileImp(Context& c)
{
    const auto choice = io::chooseTableFile(c.rt, "*.*");
    if (!choice)
        return;
    session::SourceFiles source{session::SourceFiles::Reader::Table, {absolutePath(*choice)}, false};
    ProgressScope progress(c, "Loading " + choice->name);
    auto loaded = readTableSpecimens(c, *choice);
    if (!loaded)
        return;
    loaded->specimens.file = choice->name;
    commitSpecimens(c, loaded->description, std::move(loaded->specimens), std::move(source));
    labelNewPlot(c);
    report(c, loaded->facts);
}

std::optional<session::Specimens> readReplicateFrom(Context& c, const platform::FileChoice& choice,
                                                    const session::SourceFiles::Reader reader, bool applyScale)
{
    const bool tps = reader != session::SourceFiles::Reader::Table;
    auto loaded = tps ? readTpsSpecimens(c, choice, applyScale) : readTableSpecimens(c, choice);
    if (!loaded)
        return std::nullopt;
    loaded->specimens.reference = loaded->specimens.mean;
    loaded->specimens.file = choice.name;
    return std::move(loaded->specimens);
}

std::optional<std::pair<session::Specimens, session::SourceFiles>> readReplicate(Context& c)
{
    const bool tps = c.s.specimens.source == session::Specimens::Source::Tps;
    constexpr std::string_view title = "Load replicate: the same specimens digitised again";
    const auto choice = tps ? io::chooseTpsFile(c.rt, title)
                            : c.rt.dialogs.choose({platform::FileDialogKind::Open, "*.*", std::string(title), {}, {}});
    if (!choice)
        return std::nullopt;
    const bool applyScale = tps && c.controls.applyScale().value() != 0;
    session::SourceFiles source{tps ? session::SourceFiles::Reader::Tps : session::SourceFiles::Reader::Table,
                                {absolutePath(*choice)},
                                applyScale};
    ProgressScope progress(c, "Loading " + choice->name);
    auto replicate = readReplicateFrom(c, *choice, source.reader, applyScale);
    if (!replicate)
        return std::nullopt;
    return std::pair{std::move(*replicate), std::move(source)};
}

}  // namespace vezedo::controller
