#include "qt/guireplay.h"

#include "platform/error.h"
#include "qt/frontend.h"
#include "qt/snapshot.h"

namespace vezedo::qt {

GuiReplay::GuiReplay(FrontEnd& frontEnd, script::RoutedDialogs& dialogs, script::RoutedMessages& messages,
                     std::ostream& log, std::ostream& errors)
    : m_frontEnd(frontEnd), m_dialogs(dialogs), m_messages(messages), m_errors(errors), m_replayDialogs(log),
      m_replayMessages(log)
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, &GuiReplay::step);
}

GuiReplay::~GuiReplay()
{
    m_dialogs.replayFrom(nullptr);
    m_messages.alsoTo(nullptr);
}

void GuiReplay::start(const std::filesystem::path& path)
{
    try {
        script::Script script = script::readScript(path);
        m_player = std::make_unique<script::ScriptPlayer>(m_frontEnd.program(), m_replayDialogs, m_replayMessages,
                                                          std::move(script), writeSnapshot);
    } catch (const Error& e) {
        m_failure = e.what();
        // Ended from the event loop all the same, so a caller sees one way of ending.
        QTimer::singleShot(0, this, &GuiReplay::end);
        return;
    }
    m_dialogs.replayFrom(&m_replayDialogs);
    m_messages.alsoTo(&m_replayMessages);
    m_timer.start();
}

void GuiReplay::step()
{
    if (m_player->step())
        m_timer.start();
    else
        end();
}

void GuiReplay::end()
{
    m_dialogs.replayFrom(nullptr);
    m_messages.alsoTo(nullptr);
    if (m_player && m_player->failure())
        m_failure = m_player->failure();
    m_finished = true;
    if (m_failure)
        m_errors << *m_failure << '\n' << std::flush;
    if (m_quit) {
        m_quit(m_failure ? 1 : 0);
        return;
    }
    if (m_failure)
        m_messages.showMessage("The replay failed.\n" + *m_failure, "Vezedo6 replay");
}

}  // namespace vezedo::qt
