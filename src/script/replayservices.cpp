#include "script/replayservices.h"

#include <algorithm>

#include "platform/error.h"

namespace vezedo::script {

std::string oneLine(std::string_view text)
{
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

std::optional<platform::FileChoice> ReplayDialogs::choose(const platform::FileRequest& request)
{
    const platform::FileDialogKind kind = request.kind;
    const std::string_view filter = request.filter, title = request.title;
    const char* what = kind == platform::FileDialogKind::Open ? "open" : "save";
    m_out << "dialog: " << what << " \"" << title << "\" (" << filter << ")";
    if (m_answers.empty()) {
        m_out << " -> no answer\n";
        problem = std::string("the program asked for a file to ") + what + " (\"" + std::string(title) +
                  "\") but no answer was queued";
        throw Error("No answer was given for the file " + std::string(what) + " dialog \"" + std::string(title) + "\"");
    }
    Answer a = std::move(m_answers.front());
    m_answers.pop_front();
    if (a.path && a.kind != kind) {
        m_out << " -> wrong answer\n";
        problem = std::string("the program asked for a file to ") + what + " (\"" + std::string(title) +
                  "\") but the answer queued on line " + std::to_string(a.line) + " is for a file to " +
                  (a.kind == platform::FileDialogKind::Open ? "open" : "save");
        throw Error("The queued answer does not fit the file " + std::string(what) + " dialog");
    }
    if (!a.path) {
        m_out << " -> cancel\n";
        return std::nullopt;
    }
    m_out << " -> " << a.path->string() << "\n";
    return platform::FileChoice{a.path->filename().string(), a.path->parent_path().string()};
}

std::vector<platform::FileChoice> ReplayDialogs::chooseMany(const platform::FileRequest& request)
{
    std::vector<platform::FileChoice> out;
    auto first = choose(request);
    if (!first)
        return out;
    out.push_back(std::move(*first));
    while (!m_answers.empty() && m_answers.front().path && m_answers.front().kind == platform::FileDialogKind::Open) {
        const std::filesystem::path path = *m_answers.front().path;
        m_answers.pop_front();
        m_out << "  and " << path.string() << "\n";
        out.push_back(platform::FileChoice{path.filename().string(), path.parent_path().string()});
    }
    return out;
}

void ReplayMessages::showMessage(std::string_view text, std::string_view)
{
    m_out << "message: " << oneLine(text) << "\n";
    m_unmatched.emplace_back(text);
}

bool ReplayMessages::take(const std::string& text)
{
    const auto it = std::find(m_unmatched.begin(), m_unmatched.end(), text);
    if (it == m_unmatched.end())
        return false;
    m_unmatched.erase(it);
    return true;
}

}  // namespace vezedo::script
