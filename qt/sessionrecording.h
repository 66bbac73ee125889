#pragma once

#include <QAction>
#include <QPointer>
#include <memory>
#include <string>
#include <vector>

#include "platform/graphics.h"
#include "script/recorder.h"
#include "shell/program.h"

namespace vezedo::qt {

// Writes what the user does in the windows to a session script: typed and committed text,
// toggles, presses, chosen views and dialog answers. Owns the recorder while a recording runs
// and keeps the File menu's Record and Stop entries enabled to match.
class SessionRecording {
public:
    explicit SessionRecording(shell::Program& program);
    ~SessionRecording();

    void setDialogs(script::RecordingDialogs* dialogs) { m_dialogs = dialogs; }
    void setMessages(script::RecordingMessages* messages) { m_messages = messages; }
    void setActions(QAction* record, QAction* stop);

    void start(const std::string& path);  // throws an Error when the file cannot be written
    void stop();
    bool active() const { return m_recorder != nullptr; }

    // What the user does to the controls.
    void edited(platform::Handle control);
    void committed(platform::Handle control);
    void toggled(platform::Handle control);
    // The control's text was set as a whole: what was typed into it before is no longer pending.
    void forgetEdit(platform::Handle control);
    // Text typed into boxes and not yet committed is what a button pressed now will read: it
    // goes into the script first.
    void flushEdits();

    void action(const shell::ActionEvent& event);
    void view(double azimuth, double elevation);

private:
    void updateActions();

    shell::Program& m_program;
    std::unique_ptr<script::SessionRecorder> m_recorder;
    script::RecordingDialogs* m_dialogs = nullptr;
    script::RecordingMessages* m_messages = nullptr;
    std::vector<platform::Handle> m_dirtyEdits;  // typed into, not yet recorded
    QPointer<QAction> m_recordAction;
    QPointer<QAction> m_stopAction;
};

}  // namespace vezedo::qt
