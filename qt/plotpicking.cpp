#include "qt/plotpicking.h"

#include <cmath>

#include "controller/actiontable.h"
#include "controller/controls.h"
#include "controller/views.h"
#include "qt/frontend.h"
#include "qt/plotcanvas.h"

namespace vezedo::qt {

PlotPicking::PlotPicking(FrontEnd& frontEnd, PlotCanvas& canvas) : m_frontEnd(frontEnd), m_canvas(canvas)
{
    canvas.onClick = [this](const platform::Pick& pick) { click(pick); };
    canvas.onDoubleClick = [this](const platform::Pick& pick) { return doubleClick(pick); };
    canvas.onEnter = [this] { enter(); };
}

void PlotPicking::click(const platform::Pick& pick)
{
    const std::string number = std::to_string(pick.number);
    if (pick.kind == platform::PickKind::Line) {
        m_frontEnd.typeInto(controller::tags::activeLine, number);
        m_frontEnd.runAction(std::string(controller::action::showProtocolLine));
        return;
    }
    if (m_picked.size() >= 2)
        m_picked.clear();
    m_picked.push_back(pick.number);
    m_canvas.setPicked(m_picked);
    if (m_picked.size() == 1) {
        m_frontEnd.typeInto(controller::tags::firstLandmark, number);
        m_frontEnd.typeInto(controller::tags::secondLandmark, "");
        return;
    }
    m_frontEnd.typeInto(controller::tags::secondLandmark, number);
    m_frontEnd.runAction(std::string(controller::action::showLine));
}

bool PlotPicking::doubleClick(const platform::Pick& pick)
{
    // The click before the double click picked this landmark already.
    if (m_picked.size() != 2 || m_picked.back() != pick.number)
        return m_picked.size() == 1 && m_picked.front() == pick.number;
    enter();
    return true;
}

void PlotPicking::enter()
{
    if (m_picked.size() != 2)
        return;
    m_picked.clear();
    m_canvas.setPicked({});
    m_frontEnd.runAction(std::string(controller::action::addLine));
}

QString describePick(const session::Session& session, const platform::Pick& pick)
{
    if (pick.kind == platform::PickKind::Landmark)
        return "Landmark " + QString::fromStdString(controller::landmarkLabel(session.specimens, pick.number));
    const session::Protocol& protocol = session.protocol;
    if (pick.number < 1 || pick.number > protocol.size())
        return QString("Line %1").arg(pick.number);
    const session::ProtocolLine& line = protocol.line(static_cast<double>(pick.number));
    QString text = QString("Line %1: %2-%3")
                       .arg(pick.number)
                       .arg(QString::fromStdString(controller::landmarkLabel(session.specimens, line.from)),
                            QString::fromStdString(controller::landmarkLabel(session.specimens, line.to)));
    if (!line.name.empty())
        text += " (" + QString::fromStdString(line.name) + ")";
    if (const auto mean = controller::meanLineLength(session.specimens, line))
        text += ", mean " + QString::number(*mean, 'g', 4);
    return text;
}

}  // namespace vezedo::qt
