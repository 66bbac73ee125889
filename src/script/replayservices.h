#pragma once

#include <deque>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/services.h"

namespace vezedo::script {

// The text on one line, its line breaks written as \n.
std::string oneLine(std::string_view text);

// File dialogs answered from a script's queue, each request written to the output.
class ReplayDialogs : public platform::DialogService {
public:
    explicit ReplayDialogs(std::ostream& out) : m_out(out) {}

    struct Answer {
        platform::FileDialogKind kind;
        std::optional<std::filesystem::path> path;  // nullopt: cancel
        int line;
        std::string written;  // the command as the script has it
    };
    void queue(Answer answer) { m_answers.push_back(std::move(answer)); }
    // The oldest answer no dialog has taken yet.
    const Answer* unused() const { return m_answers.empty() ? nullptr : &m_answers.front(); }
    // Set when a dialog found no fitting answer; the player fails the script with it.
    std::optional<std::string> problem;

    // Scripts see the dialog as it has always been: its title and its first filter.
    std::optional<platform::FileChoice> choose(const platform::FileRequest& request) override;
    // One `answer open` line per file, all queued before the press.
    std::vector<platform::FileChoice> chooseMany(const platform::FileRequest& request) override;

private:
    std::ostream& m_out;
    std::deque<Answer> m_answers;
};

// Message boxes, each written to the output and kept until an `expect msgbox` takes it.
class ReplayMessages : public platform::MessageService {
public:
    explicit ReplayMessages(std::ostream& out) : m_out(out) {}
    void showMessage(std::string_view text, std::string_view title = {}) override;
    // Takes the earliest box with exactly this text that no check has taken yet.
    bool take(const std::string& text);
    const std::vector<std::string>& unmatched() const { return m_unmatched; }

private:
    std::ostream& m_out;
    std::vector<std::string> m_unmatched;
};

class ReplayConsole : public platform::ConsoleService {
public:
    explicit ReplayConsole(std::ostream& out) : m_out(out) {}
    void write(std::string_view text) override { m_out << text; }

private:
    std::ostream& m_out;
};

// The dialogs of a program that can replay a script: the replay's answers while one plays,
// the usual dialogs otherwise.
class RoutedDialogs : public platform::DialogService {
public:
    explicit RoutedDialogs(platform::DialogService& usual) : m_usual(usual) {}
    // nullptr gives the usual dialogs back.
    void replayFrom(platform::DialogService* replay) { m_replay = replay; }
    bool replaying() const { return m_replay != nullptr; }

    std::optional<platform::FileChoice> choose(const platform::FileRequest& request) override
    {
        return (m_replay ? *m_replay : m_usual).choose(request);
    }
    std::vector<platform::FileChoice> chooseMany(const platform::FileRequest& request) override
    {
        return (m_replay ? *m_replay : m_usual).chooseMany(request);
    }

private:
    platform::DialogService& m_usual;
    platform::DialogService* m_replay = nullptr;
};

// Message boxes always shown as usual and, while a script plays, also handed to the replay
// so that its `expect msgbox` lines can check them.
class RoutedMessages : public platform::MessageService {
public:
    explicit RoutedMessages(platform::MessageService& usual) : m_usual(usual) {}
    void alsoTo(platform::MessageService* replay) { m_replay = replay; }

    void showMessage(std::string_view text, std::string_view title = {}) override
    {
        m_usual.showMessage(text, title);
        if (m_replay)
            m_replay->showMessage(text, title);
    }

private:
    platform::MessageService& m_usual;
    platform::MessageService* m_replay = nullptr;
};

}  // namespace vezedo::script
