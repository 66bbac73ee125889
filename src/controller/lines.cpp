// Picking and editing single lines: "ShowLine", "ShowLine2", "DeleteLine", "AddLine".
#include "controller/controller.h"
#include "platform/error.h"
#include "platform/numtext.h"

namespace vezedo::controller {

using platform::Value;

void Controller::showLine()
{
    m_rt.console.display("stemp", Value("here"));
    hideHighlight();
    const double b1 = boxWholeNumber("EndBox1", "a landmark number");
    m_rt.console.display("stemp", Value(boxText("EndBox2")));
    const double b2 = boxWholeNumber("EndBox2", "a landmark number");
    makeCurrent(m_state.fighand1, "plot window");
    highlight(b1, b2);
    makeCurrent(m_state.mf, "plot window");
}

void Controller::showLine2()
{
    hideHighlight();
    const std::size_t i = protocolRow(boxWholeNumber("ActivePointBox", "a protocol line number"));
    makeCurrent(m_state.fighand1, "plot window");
    highlight(m_state.proto(i, 1), m_state.proto(i, 2));
    makeCurrent(m_state.mf, "plot window");
}

void Controller::deleteLine()
{
    const double i = boxWholeNumber("ActivePointBox", "a protocol line number");
    const std::size_t m = m_state.proto.rows();
    if (i < 1 || i > static_cast<double>(m)) {
        message("Deleted Value is outside of the number of points in the protocol");
        return;
    }
    const double ptnum = boxWholeNumber("ProtoPointBox", "the number of protocol lines");
    const std::size_t row = static_cast<std::size_t>(i) - 1;
    const Matrix& old = m_state.proto;
    Matrix kept(m - 1, old.cols());
    for (std::size_t r = 0, out = 0; r < m; ++r) {
        if (r == row)
            continue;
        for (std::size_t c = 0; c < old.cols(); ++c)
            kept(out, c) = old(r, c);
        ++out;
    }
    m_state.proto = std::move(kept);
    setString("ProtoPointBox", platform::numberToText(ptnum - 1));
    m_state.wirelist = m_state.proto;
    run("ShowProto");
}

void Controller::addLine()
{
    const double b1 = boxWholeNumber("EndBox1", "a landmark number");
    const double b2 = boxWholeNumber("EndBox2", "a landmark number");
    // Check the ends before the protocol changes, so a bad number leaves it as it was.
    landmarkIndex(b1);
    landmarkIndex(b2);
    Matrix& proto = m_state.proto;

    bool found = false;
    if (proto.rows() > 0 && proto.cols() >= 3 && proto(0, 0) != -1) {
        for (std::size_t i = 0; i < proto.rows(); ++i) {
            const Value match(Matrix::rowVector({b1, proto(i, 1), b2, proto(i, 2)}));
            if (b1 == proto(i, 1) && b2 == proto(i, 2)) {
                m_rt.console.display("ans", match);
                found = true;
            }
            if (b1 == proto(i, 2) && b2 == proto(i, 1)) {
                m_rt.console.display("ans", match);
                found = true;
            }
        }
    }
    if (found) {
        message("Line Not added, since it is already in protocol");
        return;
    }

    double ptnum = 0;
    if (proto.empty()) {
        // A protocol whose last line was deleted, or that was cleared: start a new one.
        proto = Matrix::rowVector({1, b1, b2});
        m_rt.console.display("proto", Value(proto));
        ptnum = 0;
    } else {
        ptnum = boxWholeNumber("ProtoPointBox", "the number of protocol lines");
        // The counter places the line; far beyond the protocol's end it is a typing slip.
        constexpr double kMaxGap = 100000;
        if (ptnum < 0 || ptnum > static_cast<double>(proto.rows()) + kMaxGap)
            throw Error("The box ProtoPointBox holds \"" + boxText("ProtoPointBox") +
                        "\": the number of protocol lines must lie between 0 and " +
                        platform::numberToText(static_cast<double>(proto.rows()) + kMaxGap));
        if (ptnum == 0) {
            proto.set(1, 1, 1);
            proto.set(1, 2, b1);
            proto.set(1, 3, b2);
            m_rt.console.display("proto", Value(proto));
        } else {
            const auto row = static_cast<std::size_t>(ptnum) + 1;
            proto.set(row, 1, ptnum + 1);
            proto.set(row, 2, b1);
            proto.set(row, 3, b2);
        }
    }
    setString("ProtoPointBox", platform::numberToText(ptnum + 1));
    makeCurrent(m_state.fighand1, "plot window");
    drawLineBetween(b1, b2, "k");
    makeCurrent(m_state.mf, "plot window");
    if (m_state.lineh && *m_state.lineh != kNoLine) {
        hideHighlight();
        m_state.lineh = kNoLine;
    }
}

}  // namespace vezedo::controller
