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

// A file dialog as an action asks for it: the title and the filter it has always had (scripts
// see these two), then what helps a person: further filters offered after the first, and for
// a save the name to suggest.
struct FileRequest {
    FileDialogKind kind = FileDialogKind::Open;
    std::string filter;
    std::string title;
    std::vector<std::string> moreFilters;  // "TPS files (*.tps *.TPS)"
    std::string suggestedName;             // "skulls_lengths.csv"
    bool multiple = false;                 // several files may be picked at once (chooseMany)
};

// File-open and file-save dialogs. nullopt means the user cancelled.
class DialogService {
public:
    virtual ~DialogService() = default;
    virtual std::optional<FileChoice> choose(const FileRequest& request) = 0;
    // An open dialog that takes one file or several: the files in the order the dialog gives
    // them, none when the user cancelled. A dialog that knows only one file at a time gives one.
    virtual std::vector<FileChoice> chooseMany(const FileRequest& request)
    {
        auto one = choose(request);
        return one ? std::vector<FileChoice>{std::move(*one)} : std::vector<FileChoice>{};
    }

    std::optional<FileChoice> openFile(std::string_view filter, std::string_view title)
    {
        return choose({FileDialogKind::Open, std::string(filter), std::string(title), {}, {}});
    }
    std::optional<FileChoice> saveFile(std::string_view filter, std::string_view title)
    {
        return choose({FileDialogKind::Save, std::string(filter), std::string(title), {}, {}});
    }
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
    // A short note for the status bar (a save that went through, history cleared by a load);
    // not console text. Dropped where there is no status bar.
    virtual void status(std::string_view) {}
    void display(std::string_view name, const Value& value);
};

// Progress of a long action, with a way for the user to stop it. An action begins, advances
// (a fraction of the whole, 0 to 1, never going back) and ends; `advance` returns false when the
// user asked to stop, and the action then stops without changing anything. Begins may nest: an
// inner one only renames the work until its end.
class ProgressService {
public:
    virtual ~ProgressService() = default;
    virtual void begin(std::string_view what) = 0;
    virtual bool advance(double fraction) = 0;
    virtual void end() = 0;
};

// --- scripted implementations for tests and headless runs ---

// Never shows anything and never stops: headless runs go to the end.
class SilentProgress : public ProgressService {
public:
    void begin(std::string_view) override {}
    bool advance(double) override { return true; }
    void end() override {}
};
// The one every runtime without a progress of its own shares.
ProgressService& silentProgress();

// Keeps every begin and advance and answers "stop" at the advance numbered `cancelAt` (from 1),
// as a user pressing Cancel at that point would; 0 never stops.
class ScriptedProgress : public ProgressService {
public:
    void cancelAt(std::size_t step) { m_cancelAt = step; }
    void begin(std::string_view what) override;
    bool advance(double fraction) override;
    void end() override { ++m_ends; }

    const std::vector<std::string>& begun() const { return m_begun; }
    const std::vector<double>& fractions() const { return m_fractions; }
    std::size_t ends() const { return m_ends; }

private:
    std::size_t m_cancelAt = 0;
    std::vector<std::string> m_begun;
    std::vector<double> m_fractions;
    std::size_t m_ends = 0;
};

// Answers file dialogs from a queue, first in first out; a dialog with no answer queued is
// an Error, never a wait.
class ScriptedDialogs : public DialogService {
public:
    using Request = FileRequest;

    void queue(std::optional<FileChoice> answer) { m_answers.push_back(std::move(answer)); }
    void queueCancel() { m_answers.push_back(std::nullopt); }
    // Splits a path into folder and name and queues it.
    void queuePath(const std::string& path);
    std::size_t pending() const { return m_answers.size(); }
    const std::vector<Request>& requests() const { return m_requests; }

    std::optional<FileChoice> choose(const FileRequest& request) override;
    // Takes every answer queued up to the first cancel (a cancel first means no file).
    std::vector<FileChoice> chooseMany(const FileRequest& request) override;

private:
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
    void status(std::string_view text) override { m_statuses.emplace_back(text); }
    const std::string& text() const { return m_text; }
    std::string take();
    // Every status note, oldest first.
    const std::vector<std::string>& statuses() const { return m_statuses; }

private:
    std::string m_text;
    std::vector<std::string> m_statuses;
};

}  // namespace vezedo::platform
