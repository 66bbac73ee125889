#include "script/runner.h"

#include "platform/error.h"
#include "shell/program.h"

namespace vezedo::script {

namespace fs = std::filesystem;

ScriptRunner::ScriptRunner(std::ostream& out, SnapshotWriter snapshot) : m_out(out), m_snapshot(std::move(snapshot)) {}

bool ScriptRunner::runFile(const fs::path& path)
{
    try {
        return run(readScript(path));
    } catch (const Error& e) {
        m_out << e.what() << "\n";
        return false;
    }
}

bool ScriptRunner::runText(std::string_view text, const fs::path& folder, const std::string& name)
{
    try {
        return run(scriptFromText(text, folder, name));
    } catch (const Error& e) {
        m_out << e.what() << "\n";
        return false;
    }
}

bool ScriptRunner::run(Script script)
{
    ReplayDialogs dialogs(m_out);
    ReplayMessages messages(m_out);
    ReplayConsole console(m_out);
    platform::Runtime rt(dialogs, messages, console);
    shell::Program program(rt);
    // Actions move into the folders of the files they open; the next script starts where this one did.
    struct Restore {
        fs::path cwd = fs::current_path();
        ~Restore()
        {
            std::error_code ec;
            fs::current_path(cwd, ec);
        }
    } restore;

    try {
        program.start();
    } catch (const std::exception& e) {
        m_out << script.name << ":0: " << e.what() << "\n";
        return false;
    }
    ScriptPlayer player(program, dialogs, messages, std::move(script), m_snapshot);
    while (player.step()) {
    }
    if (player.failure())
        m_out << *player.failure() << "\n";
    return player.passed();
}

}  // namespace vezedo::script
