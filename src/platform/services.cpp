#include "platform/services.h"

#include <filesystem>
#include <utility>

#include "platform/error.h"
#include "platform/textformat.h"

namespace vezedo::platform {

void ConsoleService::display(std::string_view name, const Value& value)
{
    trace(displayValue(name, value));
}

ProgressService& silentProgress()
{
    static SilentProgress silent;
    return silent;
}

void ScriptedProgress::begin(std::string_view what)
{
    m_begun.emplace_back(what);
}

bool ScriptedProgress::advance(double fraction)
{
    m_fractions.push_back(fraction);
    return m_fractions.size() != m_cancelAt;
}

void ScriptedDialogs::queuePath(const std::string& path)
{
    const std::filesystem::path p(path);
    std::string folder = p.parent_path().string();
    if (folder.empty())
        folder.assign(1, '.');
    queue(FileChoice{p.filename().string(), folder});
}

std::optional<FileChoice> ScriptedDialogs::choose(const FileRequest& request)
{
    m_requests.push_back(request);
    if (m_answers.empty()) {
        std::string problem = "No answer was given for the file ";
        problem += request.kind == FileDialogKind::Open ? "open" : "save";
        problem += " dialog \"";
        problem += request.title;
        problem += '"';
        throw Error(problem);
    }
    auto next = std::move(m_answers.front());
    m_answers.pop_front();
    return next;
}

std::vector<FileChoice> ScriptedDialogs::chooseMany(const FileRequest& request)
{
    std::vector<FileChoice> out;
    auto first = choose(request);
    if (!first)
        return out;
    out.push_back(std::move(*first));
    while (!m_answers.empty() && m_answers.front()) {
        out.push_back(std::move(*m_answers.front()));
        m_answers.pop_front();
    }
    return out;
}

void RecordingMessages::showMessage(std::string_view text, std::string_view title)
{
    m_shown.push_back({std::string(text), std::string(title)});
}

std::vector<std::string> RecordingMessages::texts() const
{
    std::vector<std::string> out;
    for (const Shown& s : m_shown)
        out.push_back(s.text);
    return out;
}

void CapturingConsole::write(std::string_view text)
{
    m_text += text;
}

std::string CapturingConsole::take()
{
    return std::exchange(m_text, {});
}

}  // namespace vezedo::platform
