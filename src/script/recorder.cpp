#include "script/recorder.h"

#include <cstring>

#include "platform/error.h"
#include "platform/numtext.h"
#include "script/script.h"

namespace vezedo::script {

namespace fs = std::filesystem;

SessionRecorder::SessionRecorder(const fs::path& path)
    : m_path(fs::absolute(path)), m_folder(m_path.parent_path()), m_out(m_path, std::ios::binary | std::ios::trunc)
{
    if (!m_out)
        throw Error("Cannot write the session script " + m_path.string() + ": " + std::strerror(errno));
    line("# Vezedo6 session script: replay it with vezedo6-run " + m_path.filename().string());
}

void SessionRecorder::line(const std::string& text)
{
    m_out << text << '\n';
    m_out.flush();  // a session cut short keeps what was done so far
}

void SessionRecorder::set(const std::string& tag, const std::string& text)
{
    line("set " + tag + " " + (text.empty() ? std::string("\"\"") : quoteText(text)));
}

void SessionRecorder::value(const std::string& tag, double number)
{
    line("value " + tag + " " + platform::numberToText(number));
}

void SessionRecorder::view(double azimuth, double elevation)
{
    line("view " + platform::numberToText(azimuth) + " " + platform::numberToText(elevation));
}

void SessionRecorder::beginPress(const std::string& action)
{
    m_pendingPress = action;
}

void SessionRecorder::endPress()
{
    if (m_pendingPress)
        line("press " + quoteText(*m_pendingPress));
    for (const std::string& text : m_pressMessages)
        line("expect msgbox " + quoteText(text));
    m_pendingPress.reset();
    m_pressMessages.clear();
}

void SessionRecorder::message(std::string_view text)
{
    if (m_pendingPress) {
        m_pressMessages.emplace_back(text);
        return;
    }
    // Only a press shows boxes in a replay; one shown otherwise is noted for the reader.
    std::string note;
    for (char c : text)
        note += c == '\n' ? ' ' : c;
    line("# a message box outside any press: " + note);
}

void SessionRecorder::answer(platform::FileDialogKind kind, const std::optional<platform::FileChoice>& choice)
{
    if (!choice) {
        line("answer cancel");
        return;
    }
    const fs::path full = fs::absolute(fs::path(choice->folder) / choice->name);
    fs::path relative = full.lexically_relative(m_folder);
    const std::string written = relative.empty() ? full.string() : relative.string();
    line(std::string("answer ") + (kind == platform::FileDialogKind::Open ? "open " : "save ") + quoteText(written));
}

std::vector<platform::FileChoice> RecordingDialogs::ask(const platform::FileRequest& request, bool many)
{
    if (m_preset) {
        std::vector<platform::FileChoice> answer = std::move(*m_preset);
        m_preset.reset();
        return answer;
    }
    if (many)
        return m_inner.chooseMany(request);
    auto one = m_inner.choose(request);
    return one ? std::vector<platform::FileChoice>{std::move(*one)} : std::vector<platform::FileChoice>{};
}

std::optional<platform::FileChoice> RecordingDialogs::choose(const platform::FileRequest& request)
{
    std::vector<platform::FileChoice> answer = ask(request, false);
    std::optional<platform::FileChoice> choice;
    if (!answer.empty())
        choice = std::move(answer.front());
    if (m_recorder)
        m_recorder->answer(request.kind, choice);
    return choice;
}

std::vector<platform::FileChoice> RecordingDialogs::chooseMany(const platform::FileRequest& request)
{
    auto choices = ask(request, true);
    if (m_recorder && choices.empty())
        m_recorder->answer(request.kind, std::nullopt);
    if (m_recorder)
        for (const platform::FileChoice& choice : choices)
            m_recorder->answer(request.kind, choice);
    return choices;
}

void RecordingMessages::showMessage(std::string_view text, std::string_view title)
{
    m_inner.showMessage(text, title);
    if (m_recorder)
        m_recorder->message(text);
}

}  // namespace vezedo::script
