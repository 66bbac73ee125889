#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/graphics.h"
#include "script/replayservices.h"
#include "script/script.h"
#include "shell/program.h"

namespace vezedo::script {

// Draws an axes of the model into a PNG file; the front end supplies it.
using SnapshotWriter =
    std::function<void(const platform::GraphicsModel& model, platform::Handle axes, const std::string& path)>;

// A script ready to play: its commands, the folder its paths are relative to, and the name its
// failure lines start with.
struct Script {
    std::vector<Command> commands;
    std::filesystem::path folder;
    std::string name;
};

// Both throw an Error whose text is the whole failure line: "FILE: problem" when the file
// cannot be read, "FILE:LINE: problem" when a line does not parse.
Script readScript(const std::filesystem::path& path);
Script scriptFromText(std::string_view text, const std::filesystem::path& folder, const std::string& name);

// Plays one script, a command at a time, on a started program whose dialogs and message boxes
// reach `dialogs` and `messages`. Nothing may go unnoticed: every `press` names an action,
// every answer is taken by the press (or dispatch) right after it, and every message box a
// press shows is expected by an `expect msgbox` line before the next press, dispatch or the end.
class ScriptPlayer {
public:
    // A press of no action fails the script here, before anything has run.
    ScriptPlayer(shell::Program& program, ReplayDialogs& dialogs, ReplayMessages& messages, Script script,
                 SnapshotWriter snapshot = {});

    // Runs the next command, or after the last one the closing checks; false once the replay
    // has ended, passed or failed.
    bool step();
    bool finished() const { return m_finished; }
    bool passed() const { return m_finished && !m_failure; }
    // "FILE:LINE: problem" of the first check or command that failed.
    const std::optional<std::string>& failure() const { return m_failure; }
    // The line of the command the next step runs (0 when the commands are all done).
    int nextLine() const;

private:
    void run(const Command& cmd);
    void finish();
    void requireBoxesExpected() const;
    void fail(int line, const std::string& problem);

    shell::Program& m_program;
    ReplayDialogs& m_dialogs;
    ReplayMessages& m_messages;
    Script m_script;
    SnapshotWriter m_snapshot;
    std::size_t m_next = 0;
    bool m_finished = false;
    std::optional<std::string> m_failure;
    // The press (or dispatch) that ran last: its message boxes wait for `expect msgbox` lines
    // until the next one runs or the script ends.
    int m_lastLine = 0;
    std::string m_lastWhat = "the program's start-up";
};

}  // namespace vezedo::script
