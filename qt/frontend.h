#pragma once

#include <QAction>
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <functional>
#include <unordered_map>

#include "platform/graphics.h"
#include <memory>
#include <optional>

#include "controller/actiontable.h"
#include "controller/recentfiles.h"
#include "qt/checkwindows.h"
#include "qt/controlbinding.h"
#include "qt/sessionrecording.h"
#include "qt/unsavedchanges.h"
#include "script/recorder.h"
#include "shell/program.h"

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
    void setConsolePane(QWidget* pane) { m_consolePane = pane; }
    bool isMainWindow(platform::Handle figure) const { return m_mainWindow == figure; }

    // As if the user typed `text` into every control with the tag and committed it; a recorded
    // session gets its `set` line.
    void typeInto(std::string_view tag, const std::string& text);
    // As if the user pressed the action's button; a recorded session gets its `press` line.
    void runAction(const std::string& action);

    // Unsaved work: the protocol and blocks changed since last saved or loaded.
    const UnsavedChanges& unsaved() const { return m_unsaved; }
    enum class UnsavedAnswer { Save, Discard, Cancel };
    // Asked when the main window closes with unsaved work; by default a question box on a
    // display, and Discard where no one can answer (offscreen and headless platforms).
    void setUnsavedQuestion(std::function<UnsavedAnswer()> ask) { m_askUnsaved = std::move(ask); }
    // Whether the program may end now: true when nothing is unsaved, or the user saved it (and
    // every save went through) or gave it up. Saving keeps the form the protocol was last
    // written in; a quit that does not happen says why in the status bar.
    bool confirmQuit();
    void quit();
    // The README in a window of its own, beside the others.
    void showHelp();
    QWidget* helpWindow() const { return m_helpWindow; }

    QRect toScreen(const platform::Rect& position) const;
    platform::Rect fromScreen(const QRect& rect) const;

    void runCallback(platform::Handle control);

    // ControlListener: what the user does to the controls.
    void pressed(platform::Handle control) override { runCallback(control); }
    void edited(platform::Handle control) override { m_recording.edited(control); }
    void committed(platform::Handle control) override { m_recording.committed(control); }
    void toggled(platform::Handle control) override { m_recording.toggled(control); }

    // The "Recent" list, newest first, as the settings keep it.
    std::vector<controller::RecentFile> recentFiles() const;
    // Runs the entry's action with its dialog answered by the entry's files (recorded as any
    // answer); without the dialogs to answer it, nothing happens.
    void openRecent(const controller::RecentFile& file);

    // Session recording: edits, toggles, presses and dialog answers go to a script.
    void setRecordingDialogs(script::RecordingDialogs* dialogs)
    {
        m_dialogs = dialogs;
        m_recording.setDialogs(dialogs);
    }
    void setRecordingMessages(script::RecordingMessages* messages) { m_recording.setMessages(messages); }
    // Throws an Error when the file cannot be written.
    void startRecording(const std::string& path) { m_recording.start(path); }
    void stopRecording() { m_recording.stop(); }
    bool isRecording() const { return m_recording.active(); }

private:
    void onEvent(const platform::ModelEvent& event);
    void onAction(const shell::ActionEvent& event);
    void onFigureEvent(const platform::ModelEvent& event);
    void onControlEvent(const platform::ModelEvent& event);
    void repaintAxes(platform::Handle axes);
    void showLater(platform::Handle figure);
    int screenHeight() const;
    // A further window goes where it covers no other window of the program if there is such
    // room on the screen, else over the plot window, never over the main window.
    void placeBesideOthers(QWidget* window);
    // File, Edit and Help menus of the main window (qt/mainmenus.cpp).
    void addMenus(FigureWindow* window);
    void saveProtocolAsLastWritten();
    // The File menu's "Recent" submenu, filled from the settings each time it opens (qt/recentmenu.cpp).
    void addRecentMenu(QMenu* file);
    // After an action: what it opened goes first in the recent list.
    void rememberOpened();

    shell::Program& m_program;
    platform::Subscription m_subscription;
    platform::Subscription m_actionSubscription;
    std::unordered_map<platform::Handle, FigureWindow*> m_windows;
    std::unordered_map<platform::Handle, platform::Handle> m_axesFigure;  // axes -> figure
    QPointer<QWidget> m_consolePane;
    std::optional<platform::Handle> m_mainWindow;
    SessionRecording m_recording;
    UnsavedChanges m_unsaved;
    std::function<UnsavedAnswer()> m_askUnsaved;
    std::vector<QPointer<FigureWindow>> m_placed;  // windows placed once already
    CheckWindows m_checkWindows;
    QPointer<QWidget> m_helpWindow;
    script::RecordingDialogs* m_dialogs = nullptr;
    controller::OpenedMark m_openedBefore;
};

}  // namespace vezedo::qt
