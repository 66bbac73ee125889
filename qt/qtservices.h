#pragma once

#include <QObject>
#include <QPointer>

#include "platform/services.h"

#include <QCheckBox>
#include <QPlainTextEdit>
class QWidget;

namespace vezedo::qt {

// File dialogs of the desktop, opening in the process's current folder.
class QtDialogs : public platform::DialogService {
public:
    std::optional<platform::FileChoice> openFile(std::string_view filter, std::string_view title) override;
    std::optional<platform::FileChoice> saveFile(std::string_view filter, std::string_view title) override;
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
    // The pane with its "Show traces" box; the text itself is pane().
    QWidget* panel() const { return m_panel; }
    QPlainTextEdit* pane() const { return m_pane; }
    bool showsTraces() const;

private:
    void append(std::string_view text);

    QPointer<QWidget> m_panel;
    QPointer<QPlainTextEdit> m_pane;
    QPointer<QCheckBox> m_showTraces;
};

// File dialogs and message boxes passed through while counting the setbacks among them (boxes
// shown, dialogs cancelled), so the front end can tell whether an action got where it went.
class WatchedServices : public platform::DialogService, public platform::MessageService {
public:
    WatchedServices(platform::DialogService& dialogs, platform::MessageService& messages)
        : m_dialogs(dialogs), m_messages(messages)
    {
    }
    std::optional<platform::FileChoice> openFile(std::string_view filter, std::string_view title) override;
    std::optional<platform::FileChoice> saveFile(std::string_view filter, std::string_view title) override;
    void showMessage(std::string_view text, std::string_view title = {}) override;
    std::size_t setbacks() const { return m_setbacks; }

private:
    platform::DialogService& m_dialogs;
    platform::MessageService& m_messages;
    std::size_t m_setbacks = 0;
};

// "*.txt" as the caller gives it, plus a way to see every file.
QString dialogFilter(std::string_view filter);

}  // namespace vezedo::qt
