#pragma once

#include <QObject>
#include <QPointer>

#include "platform/services.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QStatusBar>
class QWidget;

namespace vezedo::qt {

// File dialogs of the desktop, opening in the process's current folder.
// The folder a dialog opens in is the last one chosen, remembered across runs.
class QtDialogs : public platform::DialogService {
public:
    std::optional<platform::FileChoice> choose(const platform::FileRequest& request) override;
    std::vector<platform::FileChoice> chooseMany(const platform::FileRequest& request) override;
};

// Non-modal message boxes: shown, and the program goes on at once.
class QtMessages : public platform::MessageService {
public:
    void showMessage(std::string_view text, std::string_view title = {}) override;
};

// Console text to standard output and to a pane the user can read. Messages and errors always
// show in the pane; traces (displays of named values, callbacks not implemented yet) only while
// "Show traces" is ticked. Standard output gets everything.
class QtConsole : public platform::ConsoleService {
public:
    QtConsole();
    void write(std::string_view text) override;
    void trace(std::string_view text) override;
    // Shown in the status bar under the console until the next note.
    void status(std::string_view text) override;
    QStatusBar* statusBar() const { return m_status; }
    // The pane with its "Show traces" box; the text itself is pane().
    QWidget* panel() const { return m_panel; }
    QPlainTextEdit* pane() const { return m_pane; }
    bool showsTraces() const;

private:
    void append(std::string_view text);

    QPointer<QWidget> m_panel;
    QPointer<QPlainTextEdit> m_pane;
    QPointer<QCheckBox> m_showTraces;
    QPointer<QStatusBar> m_status;
};

// Progress of a long action: a dialog with a bar and Cancel, shown only once the work has
// lasted kShowAfterMs, so short actions never flash one. It is application-modal: the windows
// repaint while the work goes on, but no other action can start until it ends.
class QtProgress : public platform::ProgressService {
public:
    static constexpr int kShowAfterMs = 100;
    ~QtProgress() override;
    void begin(std::string_view what) override;
    bool advance(double fraction) override;
    void end() override;
    // The dialog while it is shown, else nullptr.
    QProgressDialog* dialog() const { return m_dialog; }

private:
    int m_depth = 0;
    bool m_cancelled = false;
    QString m_what;
    QElapsedTimer m_clock;
    QPointer<QProgressDialog> m_dialog;
};

// The filters of a dialog: the request's own first ("*.txt" as the action gives it), then its
// further ones, then a way to see every file.
QString dialogFilter(const platform::FileRequest& request);
// A saved file's name as typed, with the chosen filter's extension added when none was typed.
QString withExtension(const QString& path, const QString& selectedFilter);

}  // namespace vezedo::qt
