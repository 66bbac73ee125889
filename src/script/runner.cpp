#include "script/runner.h"

#include <algorithm>
#include <deque>
#include <fstream>
#include <optional>
#include <set>
#include <variant>

#include "controller/controller.h"
#include "io/files.h"
#include "platform/error.h"
#include "script/script.h"
#include "shell/program.h"

namespace vezedo::script {

namespace fs = std::filesystem;

namespace {

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

// A check or command that failed; the runner adds the file and the line (the current
// command's unless another one is named).
struct ScriptFailure {
    std::string problem;
    int line = 0;
};

// File dialogs answered from the script's queue, each request written to the output.
class ReplayDialogs : public platform::DialogService {
public:
    explicit ReplayDialogs(std::ostream& out) : m_out(out) {}

    struct Answer {
        platform::FileDialogKind kind;
        std::optional<fs::path> path;  // nullopt: cancel
        int line;
        std::string written;  // the command as the script has it
    };
    void queue(Answer answer) { m_answers.push_back(std::move(answer)); }
    // The oldest answer no dialog has taken yet.
    const Answer* unused() const { return m_answers.empty() ? nullptr : &m_answers.front(); }
    // Set when a dialog found no fitting answer; the runner fails the script with it.
    std::optional<std::string> problem;

    // Scripts see the dialog as it has always been: its title and its first filter.
    std::optional<platform::FileChoice> choose(const platform::FileRequest& request) override
    {
        const platform::FileDialogKind kind = request.kind;
        const std::string_view filter = request.filter, title = request.title;
        const char* what = kind == platform::FileDialogKind::Open ? "open" : "save";
        m_out << "dialog: " << what << " \"" << title << "\" (" << filter << ")";
        if (m_answers.empty()) {
            m_out << " -> no answer\n";
            problem = std::string("the program asked for a file to ") + what + " (\"" + std::string(title) +
                      "\") but no answer was queued";
            throw Error("No answer was given for the file " + std::string(what) + " dialog \"" + std::string(title) +
                        "\"");
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

private:
    std::ostream& m_out;
    std::deque<Answer> m_answers;
};

// Message boxes, each written to the output and kept until an `expect msgbox` takes it.
class ReplayMessages : public platform::MessageService {
public:
    explicit ReplayMessages(std::ostream& out) : m_out(out) {}
    void showMessage(std::string_view text, std::string_view) override
    {
        m_out << "message: " << oneLine(text) << "\n";
        m_unmatched.emplace_back(text);
    }
    // Takes the earliest box with exactly this text that no check has taken yet.
    bool take(const std::string& text)
    {
        const auto it = std::find(m_unmatched.begin(), m_unmatched.end(), text);
        if (it == m_unmatched.end())
            return false;
        m_unmatched.erase(it);
        return true;
    }
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

ScriptRunner::ScriptRunner(std::ostream& out, SnapshotWriter snapshot) : m_out(out), m_snapshot(std::move(snapshot)) {}

bool ScriptRunner::runFile(const fs::path& path)
{
    std::string text;
    try {
        text = io::readFile(path.string());
    } catch (const Error& e) {
        m_out << path.string() << ": " << e.what() << "\n";
        return false;
    }
    const fs::path folder = fs::absolute(path).parent_path();
    return runText(text, folder, path.string());
}

bool ScriptRunner::runText(std::string_view text, const fs::path& folder, const std::string& name)
{
    std::vector<Command> commands;
    try {
        commands = parseScript(text);
    } catch (const Error& e) {
        m_out << name << ":" << e.what() << "\n";
        return false;
    }

    ReplayDialogs dialogs(m_out);
    ReplayMessages messages(m_out);
    ReplayConsole console(m_out);
    platform::Runtime rt(dialogs, messages, console);
    shell::Program program(rt);
    const fs::path savedCwd = fs::current_path();
    struct Restore {
        fs::path cwd;
        ~Restore()
        {
            std::error_code ec;
            fs::current_path(cwd, ec);
        }
    } restore{savedCwd};

    // The press (or dispatch) that ran last: its message boxes wait for `expect msgbox` lines
    // until the next one runs or the script ends.
    struct LastRun {
        int line = 0;
        std::string what = "the program's start-up";
    } last;
    const auto requireBoxesExpected = [&] {
        if (!messages.unmatched().empty())
            throw ScriptFailure{last.what + " showed a message box the script does not expect: " +
                                    quotedList(messages.unmatched()) + " (expect msgbox TEXT after it expects one)",
                                last.line};
    };

    int line = 0;
    try {
        program.start();
        const auto actions = actionNames();
        // A misspelt action fails the script before anything has run or been written.
        for (const Command& cmd : commands) {
            line = cmd.line;
            if (cmd.verb == Verb::Press && !actions.contains(cmd.first))
                throw ScriptFailure{notAnAction(cmd.first, actions)};
        }

        for (const Command& cmd : commands) {
            line = cmd.line;
            switch (cmd.verb) {
            case Verb::AnswerOpen:
            case Verb::AnswerSave:
                dialogs.queue(
                    {cmd.verb == Verb::AnswerOpen ? platform::FileDialogKind::Open : platform::FileDialogKind::Save,
                     resolve(folder, cmd.first), cmd.line,
                     std::string(cmd.verb == Verb::AnswerOpen ? "answer open " : "answer save ") +
                         quoteText(cmd.first)});
                break;
            case Verb::AnswerCancel:
                dialogs.queue({platform::FileDialogKind::Open, std::nullopt, cmd.line, "answer cancel"});
                break;
            case Verb::Set:
            case Verb::Value: {
                const auto found = rt.graphics.findByTag(cmd.first);
                if (found.empty())
                    throw ScriptFailure{"no control of the main window is tagged \"" + cmd.first + "\""};
                for (platform::Handle h : found) {
                    if (cmd.verb == Verb::Set)
                        rt.graphics.set(h, "String", platform::Value(cmd.second));
                    else
                        rt.graphics.set(h, "Value", platform::Value(cmd.number));
                }
                break;
            }
            case Verb::Press:
            case Verb::Dispatch: {
                requireBoxesExpected();
                last = {cmd.line, (cmd.verb == Verb::Press ? "press " : "dispatch ") + quoteText(cmd.first) +
                                      " on line " + std::to_string(cmd.line)};
                program.runAction(cmd.first);
                if (dialogs.problem)
                    throw ScriptFailure{*dialogs.problem};
                // An answer belongs to the press right after it: one left over would answer
                // some later dialog it was never meant for.
                if (const auto* unused = dialogs.unused())
                    throw ScriptFailure{last.what + " ended without using the answer on line " +
                                        std::to_string(unused->line) + " (" + unused->written + ")"};
                break;
            }
            case Verb::ExpectString: {
                const auto found = rt.graphics.findByTag(cmd.first);
                if (found.empty())
                    throw ScriptFailure{"no control of the main window is tagged \"" + cmd.first + "\""};
                const std::string actual = rt.graphics.get(found.front(), "String").string();
                if (actual != cmd.second)
                    throw ScriptFailure{"expected " + cmd.first + " to read \"" + oneLine(cmd.second) +
                                        "\", but it reads \"" + oneLine(actual) + "\""};
                break;
            }
            case Verb::ExpectMsgbox:
                if (!messages.take(cmd.first)) {
                    std::string problem =
                        "no message box reading \"" + oneLine(cmd.first) + "\" was shown by " + last.what;
                    if (!messages.unmatched().empty())
                        problem += " (boxes not yet expected: " + quotedList(messages.unmatched()) + ")";
                    throw ScriptFailure{problem};
                }
                break;
            case Verb::ExpectFile: {
                const fs::path a = resolve(folder, cmd.first), b = resolve(folder, cmd.second);
                std::string ta, tb;
                try {
                    ta = io::readFile(a.string());
                    tb = io::readFile(b.string());
                } catch (const Error& e) {
                    throw ScriptFailure{e.what()};
                }
                if (ta != tb)
                    throw ScriptFailure{a.string() + " is not the same as " + b.string() + ": " +
                                        firstDifference(ta, tb)};
                break;
            }
            case Verb::View: {
                const std::optional<platform::Handle> fig = program.controller().session().fighand1;
                if (!fig || !rt.graphics.isValid(*fig))
                    throw ScriptFailure{"there is no plot window to turn: load specimens first"};
                const platform::Handle axes = rt.graphics.currentAxes(*fig);
                platform::Camera camera = rt.graphics.object(axes).as<platform::AxesData>().camera;
                camera.azimuth = cmd.number;
                camera.elevation = cmd.number2;
                rt.graphics.setCamera(axes, camera);
                break;
            }
            case Verb::Snapshot: {
                const auto& state = program.controller().session();
                std::optional<platform::Handle> fig = state.fighand1;
                if (!fig || !rt.graphics.isValid(*fig))
                    fig = rt.graphics.currentFigure();
                if (!fig)
                    throw ScriptFailure{"there is no plot window to take a snapshot of"};
                if (!m_snapshot)
                    throw ScriptFailure{"snapshots cannot be taken in this program"};
                m_snapshot(rt.graphics, rt.graphics.currentAxes(*fig), resolve(folder, cmd.first).string());
                break;
            }
            }
        }
        requireBoxesExpected();
        if (const auto* unused = dialogs.unused())
            throw ScriptFailure{"no press follows the answer on this line (" + unused->written + ")", unused->line};
    } catch (const ScriptFailure& f) {
        m_out << name << ":" << (f.line > 0 ? f.line : line) << ": " << f.problem << "\n";
        return false;
    } catch (const std::exception& e) {
        m_out << name << ":" << line << ": " << e.what() << "\n";
        return false;
    }
    return true;
}

}  // namespace vezedo::script
