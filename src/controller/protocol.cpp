// Protocols and wireframes as a whole: "LoadWire", "LoadProto", "SaveProtocol", "ShowProto",
// "NewProto".
#include <cmath>

#include "controller/controller.h"
#include "display/display.h"
#include "io/numeric.h"
#include "platform/error.h"
#include "platform/numtext.h"
#include "platform/textformat.h"

namespace vezedo::controller {

using platform::Value;

namespace {

bool isPlaceholder(const Matrix& proto)
{
    return proto.rows() == 1 && proto.cols() == 3 && proto(0, 0) == -1 && proto(0, 1) == -1 && proto(0, 2) == -1;
}

Matrix placeholderRow()
{
    return Matrix::rowVector({-1, -1, -1});
}

struct ProtocolFile {
    Matrix rows;
    std::string name;
};

// Reads a protocol or wireframe file with the given loader and checks every line against
// the loaded shape. nullopt when the user cancelled or the file was refused (the reason is
// then shown in a message box).
std::optional<ProtocolFile> readProtocolFile(io::MatrixLoad (*loader)(platform::Runtime&), platform::Runtime& rt,
                                             std::size_t landmarks)
{
    io::MatrixLoad read;
    auto refuse = [&](const std::string& file, const std::string& problem) -> std::optional<ProtocolFile> {
        rt.messages.showMessage("Could not load the protocol from " + file + ".\n" + problem);
        return std::nullopt;
    };
    try {
        read = loader(rt);
    } catch (const FileFormatError& e) {
        rt.messages.showMessage("Could not load the protocol.\n" + std::string(e.what()));
        return std::nullopt;
    } catch (const Error& e) {
        return refuse("the chosen file", e.what());
    }
    if (!read.fn.isString())
        return std::nullopt;  // cancelled
    ProtocolFile file{read.y.matrix(), read.fn.string()};
    const Matrix& m = file.rows;
    if (m.isScalar() && m[0] == -1)
        return refuse(file.name, "The file could not be opened.");
    if (m.empty() || isPlaceholder(m))
        return file;  // a protocol without lines
    if (m.cols() < 3)
        return refuse(file.name, "Each line needs a line number and two landmark numbers; line 1 holds " +
                                     std::to_string(m.cols()) + (m.cols() == 1 ? " number." : " numbers."));
    if (landmarks == 0)
        return refuse(file.name, "No specimens are loaded yet: load specimens before a protocol.");
    for (std::size_t i = 0; i < m.rows(); ++i) {
        for (std::size_t c = 1; c <= 2; ++c) {
            const double v = m(i, c);
            if (std::floor(v) != v || v < 1 || v > static_cast<double>(landmarks))
                return refuse(file.name, "Line " + std::to_string(i + 1) + " names landmark " +
                                             platform::numberToText(v) + ", but the shape has landmarks 1 to " +
                                             std::to_string(landmarks) + ".");
        }
    }
    return file;
}

}  // namespace

void Controller::loadWire()
{
    auto file = readProtocolFile(&io::mfloadtxt, m_rt, m_state.reference.rows());
    if (!file)
        return;
    const bool noLines = file->rows.empty() || isPlaceholder(file->rows);
    m_state.wirelist = noLines ? Matrix() : file->rows;
    m_state.proto = noLines ? placeholderRow() : file->rows;
    if (!noLines) {
        makeCurrent(m_state.fighand1, "plot window");
        display::wire3d(m_rt.graphics, m_state.reference, m_state.wirelist, "k-");
        makeCurrent(m_state.mf, "plot window");
    }
    setString("WireBox", platform::formatText("Loaded Protocol is : %s", {Value(file->name)}));
    m_state.lineh = kNoLine;
    setString("ProtoPointBox", platform::integerText(noLines ? 0.0 : static_cast<double>(m_state.proto.rows())));
    m_state.protoname = file->name;
    if (!noLines && boxValue("ShowLineButton") != 0)
        drawProtocolOverlay();
}

void Controller::loadProto()
{
    auto file = readProtocolFile(&io::mfload, m_rt, m_state.reference.rows());
    if (!file)
        return;
    const bool noLines = file->rows.empty() || isPlaceholder(file->rows);
    m_state.proto = noLines ? placeholderRow() : file->rows;
    m_state.protoname = file->name;
    setString("WireBox", platform::formatText("Loaded Protocol is : %s", {Value(m_state.protoname)}));
    m_state.wirelist = noLines ? Matrix() : m_state.proto;
    if (!noLines) {
        makeCurrent(m_state.fighand1, "plot window");
        display::wire3d(m_rt.graphics, m_state.reference, m_state.wirelist, "k-");
        makeCurrent(m_state.mf, "plot window");
    }
    m_state.lineh = kNoLine;
    setString("ProtoPointBox", platform::integerText(noLines ? 0.0 : static_cast<double>(m_state.proto.rows())));
    if (!noLines && boxValue("ShowLineButton") != 0)
        drawProtocolOverlay();
}

void Controller::saveProtocol()
{
    const auto chosen = chooseFile(platform::FileDialogKind::Save, "Please Enter Filename for protocol or Wireframe");
    if (!chosen)
        return;
    std::string text;
    for (std::size_t i = 0; i < m_state.proto.rows(); ++i) {
        const std::vector<double> row = m_state.proto.row(i);
        text += platform::formatText("%i %i %i \\n", {Value(Matrix::rowVector(row))});
    }
    if (!writeOrReport(*chosen, text))
        return;
    makeCurrent(m_state.fighand1, "plot window");
    display::ylabel(m_rt.graphics, Value(platform::formatText("Active Protocal Name: %s", {Value(chosen->name)})));
    makeCurrent(m_state.mf, "plot window");
}

void Controller::showProto()
{
    try {
        makeCurrent(m_state.fighand1, "plot window");
    } catch (const Error&) {
        // No window was ever made: open one.
        m_state.fighand1 = m_rt.graphics.createFigure();
    }
    display::cla(m_rt.graphics);
    display::showshape3D(m_rt.graphics, referenceSet(), "b*");
    m_state.mf = m_rt.graphics.currentFigure();
    drawLandmarkLabels(m_state.reference, m_state.reference.rows());
    display::wire3d(m_rt.graphics, m_state.reference, m_state.wirelist, "k-");
    if (boxValue("ShowLineButton") != 0)
        drawProtocolOverlay();
    m_state.lineh = kNoLine;
    makeCurrent(m_state.mf, "plot window");
}

void Controller::newProto()
{
    setString("ProtoPointBox", "0");
    m_state.proto = placeholderRow();
    m_state.lineh = kNoLine;
    makeCurrent(m_state.fighand1, "plot window");
    display::ylabel(m_rt.graphics, Value("New Protocol in Use"));
    makeCurrent(m_state.mf, "plot window");
}

}  // namespace vezedo::controller
