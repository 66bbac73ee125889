#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "controller/undo.h"
#include "platform/runtime.h"
#include "platform/value.h"
#include "session/session.h"

namespace vezedo::controller {

struct ActionRow;

// The names of the actions `vezedosw` runs, in the order they are compared.
std::vector<std::string_view> actionNames();

// The action controller: `vezedosw` takes an action name and performs it on the session,
// the main window's controls and the plot window.
class Controller {
public:
    explicit Controller(platform::Runtime& rt) : m_rt(rt) {}

    // The registry entry: one input, the action name. A missing input is an error; a name
    // that is no action (or a value that is no text) shows the fall-through message box.
    void vezedosw(std::span<const platform::Value> inputs);
    void run(std::string_view action);

    const session::Session& session() const { return m_session; }
    session::Session& session() { return m_session; }

private:
    void runRow(Context& c, const ActionRow& row);
    void countEdit(Context& c, EditState before, const ActionRow& row);
    void showProjectInTitle(Context& c) noexcept;

    platform::Runtime& m_rt;
    session::Session m_session;
    UndoHistory m_history;
    std::optional<std::string> m_baseTitle;  // the main window's title from its layout
};

}  // namespace vezedo::controller
