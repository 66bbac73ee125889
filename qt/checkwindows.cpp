#include "qt/checkwindows.h"

#include "controller/actions.h"
#include "controller/views.h"
#include "platform/error.h"

namespace vezedo::qt {

CheckWindows::CheckWindows(shell::Program& program, std::function<void(QWidget*)> place,
                           std::function<void(std::string_view, const std::string&)> type)
    : m_program(program), m_place(std::move(place)), m_type(std::move(type))
{
}

// The specimen check and the measurement error get windows of their own, opened by the
// actions that compute them. They show the loaded data or nothing: a new load closes them, and
// the error figures are computed again only when the protocol, the replicate or the corrections
// changed.
void CheckWindows::follow(const controller::ActionRow& row)
{
    const session::Session& s = m_program.controller().session();
    if (s.revisions.specimens != m_shownData) {
        m_shownData = s.revisions.specimens;
        if (m_specimensWindow)
            m_specimensWindow->close();
        if (m_errorWindow)
            m_errorWindow->close();
        m_errorShownFor.reset();
    }
    if (row.opens == controller::Opens::SpecimenCheck) {
        if (!m_specimensWindow) {
            m_specimensWindow = new SpecimensWindow(m_program);
            m_specimensWindow->setTyping(m_type);
        }
        m_specimensWindow->refresh();
        if (!s.check.empty()) {
            m_place(m_specimensWindow);
            m_specimensWindow->show();
            m_specimensWindow->raise();
        }
    } else if (m_specimensWindow) {
        m_specimensWindow->refresh();
    }
    const bool opens = row.opens == controller::Opens::MeasurementError;
    if (!opens && !m_errorWindow)
        return;
    if (!m_errorWindow)
        m_errorWindow = new ErrorSummaryWindow;
    const std::tuple<std::uint64_t, std::uint64_t, std::uint64_t> shownFor{s.revisions.protocol, s.revisions.replicate,
                                                                           s.revisions.corrections};
    if (m_errorShownFor != shownFor) {
        m_errorShownFor = shownFor;
        try {
            m_errorWindow->setRows(controller::measurementErrorRows(controller::measurementError(s), s.protocol),
                                   QString::fromStdString(s.specimens.file + " against " + s.replicate->file));
        } catch (const Error&) {
            m_errorWindow->setRows({});
        }
    }
    if (opens && s.replicate) {
        m_place(m_errorWindow);
        m_errorWindow->show();
        m_errorWindow->raise();
    }
}

}  // namespace vezedo::qt
