#pragma once

#include <QAction>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <unordered_map>

#include "platform/graphics.h"
#include <memory>
#include <optional>

#include "qt/controlbinding.h"
#include "script/recorder.h"
#include "shell/program.h"

#include <QPlainTextEdit>

namespace vezedo::qt {

class FigureWindow;
class PlotCanvas;

// Follows the graphics model through its observers and shows it: a top-level window per
// figure, Qt widgets for the controls, a plot canvas per axes. It converts between model
// positions (pixels from the screen's lower-left corner) and Qt's (from the top-left).
class FrontEnd : public QObject, public ControlListener {
    Q_OBJECT
public:
    explicit FrontEnd(shell::Program& program);
    ~FrontEnd() override;

    platform::GraphicsModel& model() { return m_program.runtime().graphics; }
    shell::Program& program() { return m_program; }

    FigureWindow* window(platform::Handle figure) const;
    PlotCanvas* plotOf(platform::Handle axes) const;
    // The console pane shown in the main window (the first window with controls).
    void setConsolePane(QPlainTextEdit* pane) { m_consolePane = pane; }

    QRect toScreen(const platform::Rect& position) const;
    platform::Rect fromScreen(const QRect& rect) const;

    void runCallback(platform::Handle control);

    // ControlListener: what the user does to the controls.
    void pressed(platform::Handle control) override { runCallback(control); }
    void edited(platform::Handle control) override;
    void committed(platform::Handle control) override;
    void toggled(platform::Handle control) override;

    // Session recording: edits, toggles, presses and dialog answers go to a script.
    void setRecordingDialogs(script::RecordingDialogs* dialogs) { m_recordingDialogs = dialogs; }
    void startRecording(const std::string& path);  // throws an Error when the file cannot be written
    void stopRecording();
    bool isRecording() const { return m_recorder != nullptr; }

private:
    void onEvent(const platform::ModelEvent& event);
    void onAction(const shell::ActionEvent& event);
    void onFigureEvent(const platform::ModelEvent& event);
    void onControlEvent(const platform::ModelEvent& event);
    void repaintAxes(platform::Handle axes);
    void showLater(platform::Handle figure);
    void keepOnScreen(FigureWindow* window);
    int screenHeight() const;
    void flushEdits();
    void addSessionBar(FigureWindow* window);
    void updateSessionActions();

    shell::Program& m_program;
    platform::Subscription m_subscription;
    platform::Subscription m_actionSubscription;
    std::unordered_map<platform::Handle, FigureWindow*> m_windows;
    std::unordered_map<platform::Handle, platform::Handle> m_axesFigure;  // axes -> figure
    QPointer<QPlainTextEdit> m_consolePane;
    std::optional<platform::Handle> m_mainWindow;
    std::unique_ptr<script::SessionRecorder> m_recorder;
    script::RecordingDialogs* m_recordingDialogs = nullptr;
    std::vector<platform::Handle> m_dirtyEdits;  // typed into, not yet recorded
    QPointer<QAction> m_recordAction;
    QPointer<QAction> m_stopAction;
};

}  // namespace vezedo::qt
