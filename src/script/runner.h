#pragma once

#include <filesystem>
#include <ostream>
#include <string>

#include "script/player.h"

namespace vezedo::script {

// Replays session scripts headless, each on a fresh program with its main window open.
// Console text, message boxes ("message: TEXT") and dialog requests go to `out` in order;
// a failing check or command is reported as "FILE:LINE: problem" (see ScriptPlayer for what
// fails a replay).
class ScriptRunner {
public:
    ScriptRunner(std::ostream& out, SnapshotWriter snapshot = {});

    // True when the script ran to its end with every check holding.
    bool runFile(const std::filesystem::path& path);
    bool runText(std::string_view text, const std::filesystem::path& folder, const std::string& name);

private:
    bool run(Script script);

    std::ostream& m_out;
    SnapshotWriter m_snapshot;
};

}  // namespace vezedo::script
