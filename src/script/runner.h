#pragma once

#include <filesystem>
#include <functional>
#include <ostream>
#include <string>

#include "platform/graphics.h"

namespace vezedo::script {

// Draws an axes of the model into a PNG file; the front end supplies it.
using SnapshotWriter =
    std::function<void(const platform::GraphicsModel& model, platform::Handle axes, const std::string& path)>;

// Replays session scripts headless, each on a fresh program with its main window open.
// Console text, message boxes ("message: TEXT") and dialog requests go to `out` in order;
// a failing check or command is reported as "FILE:LINE: problem". A replay passes only when
// nothing went unnoticed: every `press` names an action, every answer is taken by the press
// (or dispatch) right after it, and every message box a press shows is expected by an
// `expect msgbox` line before the next press, dispatch or the end of the script.
class ScriptRunner {
public:
    ScriptRunner(std::ostream& out, SnapshotWriter snapshot = {});

    // True when the script ran to its end with every check holding.
    bool runFile(const std::filesystem::path& path);
    bool runText(std::string_view text, const std::filesystem::path& folder, const std::string& name);

private:
    std::ostream& m_out;
    SnapshotWriter m_snapshot;
};

}  // namespace vezedo::script
