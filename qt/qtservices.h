#pragma once

#include <QObject>
#include <QPointer>

#include "platform/services.h"

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

// Console text to standard output and to a pane the user can read.
class QtConsole : public platform::ConsoleService {
public:
    QtConsole();
    void write(std::string_view text) override;
    QPlainTextEdit* pane() const { return m_pane; }

private:
    QPointer<QPlainTextEdit> m_pane;
};

// "*.txt" as the caller gives it, plus a way to see every file.
QString dialogFilter(std::string_view filter);

}  // namespace vezedo::qt
