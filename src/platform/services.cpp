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

void ScriptedDialogs::queuePath(const std::string& path)
{
    const std::filesystem::path p(path);
    std::string folder = p.parent_path().string();
    if (folder.empty())
        folder = ".";
    queue(FileChoice{p.filename().string(), folder});
}

std::optional<FileChoice> ScriptedDialogs::answer(FileDialogKind kind, std::string_view filter, std::string_view title)
{
    m_requests.push_back({kind, std::string(filter), std::string(title)});
    if (m_answers.empty())
        throw Error(std::string("No answer was given for the file ") +
                    (kind == FileDialogKind::Open ? "open" : "save") + " dialog \"" + std::string(title) + "\"");
    auto next = std::move(m_answers.front());
    m_answers.pop_front();
    return next;
}

std::optional<FileChoice> ScriptedDialogs::openFile(std::string_view filter, std::string_view title)
{
    return answer(FileDialogKind::Open, filter, title);
}

std::optional<FileChoice> ScriptedDialogs::saveFile(std::string_view filter, std::string_view title)
{
    return answer(FileDialogKind::Save, filter, title);
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
