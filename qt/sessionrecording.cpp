#include "qt/sessionrecording.h"

#include <algorithm>
#include <utility>

namespace vezedo::qt {

using platform::Handle;

SessionRecording::SessionRecording(shell::Program& program) : m_program(program) {}

SessionRecording::~SessionRecording() = default;

void SessionRecording::setActions(QAction* record, QAction* stop)
{
    m_recordAction = record;
    m_stopAction = stop;
    updateActions();
}

void SessionRecording::edited(Handle control)
{
    if (m_recorder && std::find(m_dirtyEdits.begin(), m_dirtyEdits.end(), control) == m_dirtyEdits.end())
        m_dirtyEdits.push_back(control);
}

void SessionRecording::committed(Handle control)
{
    if (!m_recorder)
        return;
    forgetEdit(control);
    const auto* obj = m_program.runtime().graphics.find(control);
    if (obj && !obj->tag.empty())
        m_recorder->set(obj->tag, obj->as<platform::UiControlData>().string);
}

void SessionRecording::toggled(Handle control)
{
    if (!m_recorder)
        return;
    const auto* obj = m_program.runtime().graphics.find(control);
    if (obj && !obj->tag.empty())
        m_recorder->value(obj->tag, obj->as<platform::UiControlData>().value);
}

void SessionRecording::forgetEdit(Handle control)
{
    m_dirtyEdits.erase(std::remove(m_dirtyEdits.begin(), m_dirtyEdits.end(), control), m_dirtyEdits.end());
}

void SessionRecording::flushEdits()
{
    const std::vector<Handle> dirty = std::exchange(m_dirtyEdits, {});
    for (Handle h : dirty)
        committed(h);
}

// A press line follows the dialogs its action asked, as a replay needs their answers queued first.
void SessionRecording::action(const shell::ActionEvent& event)
{
    if (!m_recorder)
        return;
    if (event.phase == shell::ActionPhase::Started)
        m_recorder->beginPress(std::string(event.action));
    else
        m_recorder->endPress();
}

void SessionRecording::view(double azimuth, double elevation)
{
    if (m_recorder)
        m_recorder->view(azimuth, elevation);
}

void SessionRecording::start(const std::string& path)
{
    auto recorder = std::make_unique<script::SessionRecorder>(path);
    m_dirtyEdits.clear();
    m_recorder = std::move(recorder);
    if (m_dialogs)
        m_dialogs->setRecorder(m_recorder.get());
    if (m_messages)
        m_messages->setRecorder(m_recorder.get());
    m_program.runtime().console.write("Recording the session to " + m_recorder->path().string() + "\n");
    updateActions();
}

void SessionRecording::stop()
{
    if (!m_recorder)
        return;
    flushEdits();
    if (m_dialogs)
        m_dialogs->setRecorder(nullptr);
    if (m_messages)
        m_messages->setRecorder(nullptr);
    m_program.runtime().console.write("Session recorded in " + m_recorder->path().string() + "\n");
    m_recorder.reset();
    updateActions();
}

void SessionRecording::updateActions()
{
    if (m_recordAction)
        m_recordAction->setEnabled(!m_recorder);
    if (m_stopAction)
        m_stopAction->setEnabled(m_recorder != nullptr);
}

}  // namespace vezedo::qt
