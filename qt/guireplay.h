#pragma once

#include <QObject>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include "script/player.h"
#include "script/replayservices.h"

namespace vezedo::qt {

class FrontEnd;

// Plays a session script on the desktop program with its real windows, one command per turn
// of the event loop so that the windows visibly follow. While it plays, file dialogs are
// answered from the script's `answer` lines and message boxes, still shown, are also checked
// by its `expect msgbox` lines; when it ends the desktop dialogs are back. Owns the replay's
// dialogs, message log and player.
class GuiReplay : public QObject {
    Q_OBJECT
public:
    // Dialog requests and message boxes are logged to `log`, a failure line to `errors`.
    GuiReplay(FrontEnd& frontEnd, script::RoutedDialogs& dialogs, script::RoutedMessages& messages, std::ostream& log,
              std::ostream& errors);
    ~GuiReplay() override;

    // The time between two commands, so that a person can follow; 0 still lets every window
    // update before the next command.
    void setPause(int milliseconds) { m_timer.setInterval(milliseconds); }
    // Told the exit status when the replay ends: 0 when every check held, 1 otherwise. Unset,
    // a failure is shown in a message box and the program stays open.
    void setQuit(std::function<void(int status)> quit) { m_quit = std::move(quit); }

    // Plays the script from the next turn of the event loop. A script that cannot be read or
    // does not parse fails at once.
    void start(const std::filesystem::path& path);

    bool finished() const { return m_finished; }
    bool passed() const { return m_finished && !m_failure; }
    const std::optional<std::string>& failure() const { return m_failure; }

private:
    void step();
    void end();

    FrontEnd& m_frontEnd;
    script::RoutedDialogs& m_dialogs;
    script::RoutedMessages& m_messages;
    std::ostream& m_errors;
    script::ReplayDialogs m_replayDialogs;
    script::ReplayMessages m_replayMessages;
    std::unique_ptr<script::ScriptPlayer> m_player;
    std::function<void(int)> m_quit;
    QTimer m_timer;
    bool m_finished = false;
    std::optional<std::string> m_failure;
};

}  // namespace vezedo::qt
