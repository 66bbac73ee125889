// "LoadFile1" and "LoadFileIMP": read specimens, superimpose them, show the numbered mean shape.
#include <algorithm>
#include <cmath>

#include "controller/actions.h"
#include "display/display.h"
#include "io/files.h"
#include "io/numeric.h"
#include "io/tps.h"
#include "platform/error.h"
#include "platform/textformat.h"
#include "shape/shape.h"

namespace vezedo::controller {

using platform::Matrix;
using platform::Value;

namespace {

std::string loadProblem(const std::string& file, const std::exception& e)
{
    const std::string what = e.what();
    // Readers' messages name the file already.
    if (dynamic_cast<const FileFormatError*>(&e))
        return "Could not load the specimens.\n" + what;
    return "Could not load the specimens from " + file + ".\n" + what;
}

std::string unreadable(const std::string& file)
{
    return "Could not load the specimens: the file " + file + " could not be opened.";
}

// The data set replaces the old one wholly, the main window describes it and a new plot
// window shows the mean shape with its landmark numbers; that window is `mf` too, and its
// axes keep what is drawn next.
void commitSpecimens(Context& c, const std::string& description, session::Specimens specimens)
{
    c.controls.specimensText().setText(description);
    c.s.specimens = std::move(specimens);
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

}  // namespace

void loadFile1(Context& c)
{
    // Read, centre and fit everything first: a file that cannot be used changes nothing.
    const auto choice = io::chooseTpsFile(c.rt);
    if (!choice)
        return;
    const std::string& fname = choice->name;
    io::TpsData read;
    try {
        read = io::readChosenTps(*choice);
    } catch (const io::UnreadableFile&) {
        c.rt.console.write("Error on file open");
        c.message(unreadable(fname));
        return;
    } catch (const std::exception& e) {
        c.message(loadProblem("the chosen file", e));
        return;
    }
    const std::size_t nd = read.table.rows();
    const std::size_t p = read.table.cols() / 3;
    platform::LandmarkSet centred = display::vertxy3D(read.table);
    session::Specimens specimens;
    specimens.sizes.resize(nd);
    try {
        for (std::size_t i = 0; i < nd; ++i) {
            const shape::Centred one = shape::centsize3D(centred.sliceMatrix(i));
            std::copy(one.y.values().begin(), one.y.values().end(), centred.slice(i).begin());
            specimens.sizes[i] = one.cs;
        }
        shape::Superimposition fit = shape::getpproc3(centred, c.rt.console);
        specimens.fitted = std::move(fit.fitted);
        specimens.mean = std::move(fit.mean);
    } catch (const Error& e) {
        c.message(loadProblem(fname, e));
        return;
    }
    specimens.ids = std::move(read.ids);
    const std::string text =
        platform::formatText("%s \\nhas %i specimens \\nwith %i landmarks",
                             {Value(fname), Value(static_cast<double>(nd)), Value(static_cast<double>(p))});
    commitSpecimens(c, text, std::move(specimens));
    c.rt.console.display("lm", Value(static_cast<double>(p)));
    labelNewPlot(c);
}

void loadFileImp(Context& c)
{
    const auto choice = io::chooseTableFile(c.rt, "*.*");
    if (!choice)
        return;
    const std::string& fname = choice->name;
    io::ChosenTable read;
    try {
        read = io::readChosenTable(*choice);
    } catch (const io::UnreadableFile&) {
        c.message(unreadable(fname));
        return;
    } catch (const std::exception& e) {
        c.message(loadProblem("the chosen file", e));
        return;
    }
    const Matrix& data = read.table;
    const std::size_t m = data.rows();
    const std::size_t n = data.cols();
    if (m == 0 || n < 4 || (n - 1) % 3 != 0) {
        c.message("Could not load the specimens from " + fname +
                  ".\nA specimen table holds x, y and z of every "
                  "landmark and then the centroid size: 3p + 1 numbers per line. This file has " +
                  std::to_string(n) + " numbers per line.");
        return;
    }
    for (std::size_t j = 0; j < m; ++j) {
        const double size = data(j, n - 1);
        if (!std::isfinite(size) || size <= 0) {
            c.message("Could not load the specimens from " + fname + ".\nRow " + std::to_string(j + 1) + " (specimen " +
                      std::to_string(j + 1) + ") gives the centroid size " + platform::formatText("%g", {Value(size)}) +
                      "; the last number of each row is a centroid size, a positive number.");
            return;
        }
    }
    session::Specimens specimens;
    try {
        shape::Superimposition fit = shape::getpproc3(display::vertxy3D(data), c.rt.console);
        specimens.fitted = std::move(fit.fitted);
        specimens.mean = std::move(fit.mean);
    } catch (const Error& e) {
        c.message(loadProblem(fname, e));
        return;
    }
    specimens.sizes.resize(m);
    for (std::size_t j = 0; j < m; ++j)
        specimens.sizes[j] = data(j, n - 1);
    const std::string text =
        platform::formatText("File: %s \\n %3.0f Specimens \\n %3.0f Landmarks",
                             {Value(fname), Value(static_cast<double>(m)), Value(static_cast<double>((n - 1) / 3))});
    commitSpecimens(c, text, std::move(specimens));
    labelNewPlot(c);
}

}  // namespace vezedo::controller
