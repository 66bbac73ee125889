#pragma once

#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/value.h"

namespace vezedo::platform {

// The file a user picked: its name without folder, and its folder.
struct FileChoice {
    std::string name;
    std::string folder;
};

enum class FileDialogKind { Open, Save };

// File-open and file-save dialogs. nullopt means the user cancelled.
class DialogService {
public:
    virtual ~DialogService() = default;
    virtual std::optional<FileChoice> openFile(std::string_view filter, std::string_view title) = 0;
    virtual std::optional<FileChoice> saveFile(std::string_view filter, std::string_view title) = 0;
};

// Non-modal message boxes: show and go on at once.
class MessageService {
public:
    virtual ~MessageService() = default;
    // An empty title means the default title of the platform.
    virtual void showMessage(std::string_view text, std::string_view title = {}) = 0;
};

// The console: plain text, and named values displayed readably.
class ConsoleService {
public:
    virtual ~ConsoleService() = default;
    virtual void write(std::string_view text) = 0;
    // A trace: what an action reports along the way (named values, callbacks that do
    // nothing yet) rather than a message for the user. Written like any text unless the
    // console keeps traces apart.
    virtual void trace(std::string_view text) { write(text); }
    void display(std::string_view name, const Value& value);
};

// --- scripted implementations for tests and headless runs ---

// Answers file dialogs from a queue, first in first out; a dialog with no answer queued is
// an Error, never a wait.
class ScriptedDialogs : public DialogService {
public:
    struct Request {
        FileDialogKind kind;
        std::string filter;
        std::string title;
    };

    void queue(std::optional<FileChoice> answer) { m_answers.push_back(std::move(answer)); }
    void queueCancel() { m_answers.push_back(std::nullopt); }
    // Splits a path into folder and name and queues it.
    void queuePath(const std::string& path);
    std::size_t pending() const { return m_answers.size(); }
    const std::vector<Request>& requests() const { return m_requests; }

    std::optional<FileChoice> openFile(std::string_view filter, std::string_view title) override;
    std::optional<FileChoice> saveFile(std::string_view filter, std::string_view title) override;

private:
    std::optional<FileChoice> answer(FileDialogKind kind, std::string_view filter, std::string_view title);

    std::deque<std::optional<FileChoice>> m_answers;
    std::vector<Request> m_requests;
};

// Keeps every message box shown, in order.
class RecordingMessages : public MessageService {
public:
    struct Shown {
        std::string text;
        std::string title;
    };
    void showMessage(std::string_view text, std::string_view title = {}) override;
    const std::vector<Shown>& shown() const { return m_shown; }
    std::vector<std::string> texts() const;
    void clear() { m_shown.clear(); }

private:
    std::vector<Shown> m_shown;
};

// Collects console text.
class CapturingConsole : public ConsoleService {
public:
    void write(std::string_view text) override;
    const std::string& text() const { return m_text; }
    std::string take();

private:
    std::string m_text;
};

}  // namespace vezedo::platform
