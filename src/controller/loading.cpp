// "LoadFile1" and "LoadFileIMP": read specimens, superimpose them, show the numbered mean shape.
#include <cmath>

#include "controller/controller.h"
#include "display/display.h"
#include "io/numeric.h"
#include "io/tps.h"
#include "platform/error.h"
#include "platform/textformat.h"
#include "shape/shape.h"

namespace vezedo::controller {

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

}  // namespace

void Controller::loadFile1()
{
    // Read, centre and fit everything first: a file that cannot be used changes nothing.
    io::TpsLoad read;
    try {
        read = io::gettpsfile3D(m_rt);
    } catch (const std::exception& e) {
        message(loadProblem("the chosen file", e));
        return;
    }
    if (!read.fname.isString())
        return;  // cancelled
    const std::string& fname = read.fname.string();
    if (read.y.empty()) {
        message("Could not load the specimens: the file " + fname + " could not be opened.");
        return;
    }
    const std::size_t nd = read.y.rows();
    const std::size_t md = read.y.cols();
    platform::LandmarkSet centred = display::vertxy3D(read.y);
    std::vector<double> sizes(nd);
    shape::Superimposition fit;
    try {
        for (std::size_t i = 0; i < nd; ++i) {
            const shape::Centred c = shape::centsize3D(centred.sliceMatrix(i));
            std::copy(c.y.values().begin(), c.y.values().end(), centred.slice(i).begin());
            sizes[i] = c.cs;
        }
        fit = shape::getpproc3(centred, m_rt.console);
    } catch (const Error& e) {
        message(loadProblem(fname, e));
        return;
    }
    const std::string text =
        platform::formatText("%s \\nhas %i specimens \\nwith %i landmarks",
                             {Value(fname), Value(static_cast<double>(nd)), Value(static_cast<double>(md / 3))});
    commitSpecimens(text, std::move(fit.fitted), std::move(fit.mean), std::move(sizes));
    m_rt.console.display("lm", Value(static_cast<double>(md / 3)));
    labelNewPlot(md / 3);
}

void Controller::loadFileImp()
{
    io::MatrixLoad read;
    try {
        read = io::mfload(m_rt);
    } catch (const std::exception& e) {
        message(loadProblem("the chosen file", e));
        return;
    }
    if (!read.fn.isString())
        return;  // cancelled
    const std::string& fname = read.fn.string();
    const Matrix& data = read.y.matrix();
    if (data.isScalar() && data[0] == -1) {
        message("Could not load the specimens: the file " + fname + " could not be opened.");
        return;
    }
    const std::size_t m = data.rows();
    const std::size_t n = data.cols();
    if (m == 0 || n < 4 || (n - 1) % 3 != 0) {
        message("Could not load the specimens from " + fname +
                ".\nA specimen table holds x, y and z of every "
                "landmark and then the centroid size: 3p + 1 numbers per line. This file has " +
                std::to_string(n) + " numbers per line.");
        return;
    }
    shape::Superimposition fit;
    try {
        fit = shape::getpproc3(display::vertxy3D(data), m_rt.console);
    } catch (const Error& e) {
        message(loadProblem(fname, e));
        return;
    }
    std::vector<double> sizes(m);
    for (std::size_t j = 0; j < m; ++j)
        sizes[j] = data(j, n - 1);
    const std::string text =
        platform::formatText("File: %s \\n %3.0f Specimens \\n %3.0f Landmarks",
                             {Value(fname), Value(static_cast<double>(m)), Value(static_cast<double>((n - 1) / 3))});
    commitSpecimens(text, std::move(fit.fitted), std::move(fit.mean), std::move(sizes));
    labelNewPlot((n - 1) / 3);
}

// The shared middle of both loads: the data set replaces the old one wholly, the main
// window describes it and a new plot window shows the mean shape.
void Controller::commitSpecimens(const std::string& fileBoxText, platform::LandmarkSet fitted, Matrix mean,
                                 std::vector<double> sizes)
{
    setString("FileBox1", fileBoxText);
    m_state.data1 = std::move(fitted);
    m_state.data1cs = std::move(sizes);
    m_state.mean1 = std::move(mean);
    m_state.reference = m_state.mean1;
    m_state.fighand1 = m_rt.graphics.createFigure();
    display::showshape3D(m_rt.graphics, platform::LandmarkSet(m_state.mean1), "b*");
}

// The end of both loads: the new plot window is `mf`, its landmarks get their numbers and
// its axes keep what is drawn next.
void Controller::labelNewPlot(std::size_t landmarks)
{
    m_state.mf = m_rt.graphics.currentFigure();
    makeCurrent(m_state.fighand1, "plot window");
    drawLandmarkLabels(m_state.mean1, landmarks);
    makeCurrent(m_state.mf, "plot window");
    m_rt.graphics.setHold(currentAxes(), true);
}

}  // namespace vezedo::controller
