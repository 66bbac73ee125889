#include "script/player.h"

#include <algorithm>
#include <set>

#include "controller/controller.h"
#include "io/files.h"
#include "platform/error.h"

namespace vezedo::script {

namespace fs = std::filesystem;

namespace {

// A check or command that failed; the player adds the file and the line (the current
// command's unless another one is named).
struct ScriptFailure {
    std::string problem;
    int line = 0;
};

fs::path resolve(const fs::path& folder, const std::string& path)
{
    const fs::path p(path);
    return p.is_absolute() ? p : (folder / p).lexically_normal();
}

// The first line where two texts differ, for a readable failure.
std::string firstDifference(const std::string& a, const std::string& b)
{
    std::size_t line = 1, i = 0;
    for (; i < a.size() && i < b.size() && a[i] == b[i]; ++i)
        if (a[i] == '\n')
            ++line;
    return "they differ from line " + std::to_string(line) + " on (" + std::to_string(a.size()) + " and " +
           std::to_string(b.size()) + " bytes)";
}

std::string quotedList(const std::vector<std::string>& texts)
{
    std::string out;
    for (const std::string& t : texts)
        out += (out.empty() ? "\"" : ", \"") + oneLine(t) + "\"";
    return out;
}

// Every name the action switch knows.
std::set<std::string, std::less<>> actionNames()
{
    std::set<std::string, std::less<>> names;
    for (std::string_view name : controller::actionNames())
        names.emplace(name);
    return names;
}

char lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Edits (insert, delete, replace) between two names, case aside.
std::size_t editDistance(std::string_view a, std::string_view b)
{
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (std::size_t i = 0; i < a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i + 1;
        for (std::size_t j = 0; j < b.size(); ++j) {
            const std::size_t above = row[j + 1];
            row[j + 1] = std::min({above + 1, row[j] + 1, diagonal + (lower(a[i]) == lower(b[j]) ? 0u : 1u)});
            diagonal = above;
        }
    }
    return row.back();
}

// Why `press NAME` cannot run, with the closest action name when there is a plausible one.
std::string notAnAction(const std::string& name, const std::set<std::string, std::less<>>& actions)
{
    std::string problem = "\"" + oneLine(name) + "\" is not the name of an action";
    const std::string* closest = nullptr;
    std::size_t best = std::max<std::size_t>(2, name.size() / 3) + 1;
    for (const std::string& action : actions) {
        const std::size_t d = editDistance(name, action);
        if (d < best) {
            best = d;
            closest = &action;
        }
    }
    if (closest)
        problem += " (did you mean " + *closest + "?)";
    return problem + "; dispatch TEXT sends any text to the action switch";
}

}  // namespace

Script readScript(const fs::path& path)
{
    std::string text;
    try {
        text = io::readFile(path.string());
    } catch (const Error& e) {
        throw Error(path.string() + ": " + e.what());
    }
    return scriptFromText(text, fs::absolute(path).parent_path(), path.string());
}

Script scriptFromText(std::string_view text, const fs::path& folder, const std::string& name)
{
    try {
        return {parseScript(text), folder, name};
    } catch (const Error& e) {
        throw Error(name + ":" + e.what());
    }
}

ScriptPlayer::ScriptPlayer(shell::Program& program, ReplayDialogs& dialogs, ReplayMessages& messages, Script script,
                           SnapshotWriter snapshot)
    : m_program(program), m_dialogs(dialogs), m_messages(messages), m_script(std::move(script)),
      m_snapshot(std::move(snapshot))
{
    // A misspelt action fails the script before anything has run or been written.
    const auto actions = actionNames();
    for (const Command& cmd : m_script.commands)
        if (cmd.verb == Verb::Press && !actions.contains(cmd.first)) {
            fail(cmd.line, notAnAction(cmd.first, actions));
            return;
        }
}

int ScriptPlayer::nextLine() const
{
    return m_next < m_script.commands.size() ? m_script.commands[m_next].line : 0;
}

void ScriptPlayer::fail(int line, const std::string& problem)
{
    m_failure = m_script.name + ":" + std::to_string(line) + ": " + problem;
    m_finished = true;
}

bool ScriptPlayer::step()
{
    if (m_finished)
        return false;
    if (m_next == m_script.commands.size()) {
        try {
            finish();
        } catch (const ScriptFailure& f) {
            fail(f.line, f.problem);
            return false;
        }
        m_finished = true;
        return false;
    }
    const Command& cmd = m_script.commands[m_next++];
    try {
        run(cmd);
    } catch (const ScriptFailure& f) {
        fail(f.line > 0 ? f.line : cmd.line, f.problem);
    } catch (const std::exception& e) {
        fail(cmd.line, e.what());
    }
    return !m_finished;
}

void ScriptPlayer::requireBoxesExpected() const
{
    if (!m_messages.unmatched().empty())
        throw ScriptFailure{m_lastWhat + " showed a message box the script does not expect: " +
                                quotedList(m_messages.unmatched()) + " (expect msgbox TEXT after it expects one)",
                            m_lastLine};
}

void ScriptPlayer::finish()
{
    requireBoxesExpected();
    if (const auto* unused = m_dialogs.unused())
        throw ScriptFailure{"no press follows the answer on this line (" + unused->written + ")", unused->line};
}

void ScriptPlayer::run(const Command& cmd)
{
    platform::GraphicsModel& graphics = m_program.runtime().graphics;
    switch (cmd.verb) {
    case Verb::AnswerOpen:
    case Verb::AnswerSave:
        m_dialogs.queue(
            {cmd.verb == Verb::AnswerOpen ? platform::FileDialogKind::Open : platform::FileDialogKind::Save,
             resolve(m_script.folder, cmd.first), cmd.line,
             std::string(cmd.verb == Verb::AnswerOpen ? "answer open " : "answer save ") + quoteText(cmd.first)});
        break;
    case Verb::AnswerCancel:
        m_dialogs.queue({platform::FileDialogKind::Open, std::nullopt, cmd.line, "answer cancel"});
        break;
    case Verb::Set:
    case Verb::Value: {
        const auto found = graphics.findByTag(cmd.first);
        if (found.empty())
            throw ScriptFailure{"no control of the main window is tagged \"" + cmd.first + "\""};
        for (platform::Handle h : found) {
            if (cmd.verb == Verb::Set)
                graphics.set(h, "String", platform::Value(cmd.second));
            else
                graphics.set(h, "Value", platform::Value(cmd.number));
        }
        break;
    }
    case Verb::Press:
    case Verb::Dispatch: {
        requireBoxesExpected();
        m_lastLine = cmd.line;
        m_lastWhat = (cmd.verb == Verb::Press ? "press " : "dispatch ") + quoteText(cmd.first) + " on line " +
                     std::to_string(cmd.line);
        m_program.runAction(cmd.first);
        if (m_dialogs.problem)
            throw ScriptFailure{*m_dialogs.problem};
        // An answer belongs to the press right after it: one left over would answer
        // some later dialog it was never meant for.
        if (const auto* unused = m_dialogs.unused())
            throw ScriptFailure{m_lastWhat + " ended without using the answer on line " + std::to_string(unused->line) +
                                " (" + unused->written + ")"};
        break;
    }
    case Verb::ExpectString: {
        const auto found = graphics.findByTag(cmd.first);
        if (found.empty())
            throw ScriptFailure{"no control of the main window is tagged \"" + cmd.first + "\""};
        const std::string actual = graphics.get(found.front(), "String").string();
        if (actual != cmd.second)
            throw ScriptFailure{"expected " + cmd.first + " to read \"" + oneLine(cmd.second) + "\", but it reads \"" +
                                oneLine(actual) + "\""};
        break;
    }
    case Verb::ExpectMsgbox:
        if (!m_messages.take(cmd.first)) {
            std::string problem = "no message box reading \"" + oneLine(cmd.first) + "\" was shown by " + m_lastWhat;
            if (!m_messages.unmatched().empty())
                problem += " (boxes not yet expected: " + quotedList(m_messages.unmatched()) + ")";
            throw ScriptFailure{problem};
        }
        break;
    case Verb::ExpectFile: {
        const fs::path a = resolve(m_script.folder, cmd.first), b = resolve(m_script.folder, cmd.second);
        std::string ta, tb;
        try {
            ta = io::readFile(a.string());
            tb = io::readFile(b.string());
        } catch (const Error& e) {
            throw ScriptFailure{e.what()};
        }
        if (ta != tb)
            throw ScriptFailure{a.string() + " is not the same as " + b.string() + ": " + firstDifference(ta, tb)};
        break;
    }
    case Verb::View: {
        const std::optional<platform::Handle> fig = m_program.controller().session().fighand1;
        if (!fig || !graphics.isValid(*fig))
            throw ScriptFailure{"there is no plot window to turn: load specimens first"};
        const platform::Handle axes = graphics.currentAxes(*fig);
        platform::Camera camera = graphics.object(axes).as<platform::AxesData>().camera;
        camera.azimuth = cmd.number;
        camera.elevation = cmd.number2;
        graphics.setCamera(axes, camera);
        break;
    }
    case Verb::Snapshot: {
        const auto& state = m_program.controller().session();
        std::optional<platform::Handle> fig = state.fighand1;
        if (!fig || !graphics.isValid(*fig))
            fig = graphics.currentFigure();
        if (!fig)
            throw ScriptFailure{"there is no plot window to take a snapshot of"};
        if (!m_snapshot)
            throw ScriptFailure{"snapshots cannot be taken in this program"};
        m_snapshot(graphics, graphics.currentAxes(*fig), resolve(m_script.folder, cmd.first).string());
        break;
    }
    }
}

}  // namespace vezedo::script
