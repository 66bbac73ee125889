#pragma once

#include <cstddef>
#include <functional>
#include <string_view>

#include "platform/subscription.h"
#include "shell/program.h"

namespace vezedo::qt {

// Whether the protocol and the blocks changed since they were last saved, learnt from the
// actions the program runs: an action that edits them marks them changed, a save that met no
// setback (no message box, no cancelled dialog) marks them saved.
class UnsavedChanges {
public:
    // `setbacks` counts message boxes shown and dialogs cancelled so far.
    UnsavedChanges(shell::Program& program, std::function<std::size_t()> setbacks);

    void setSetbackCounter(std::function<std::size_t()> setbacks) { m_setbacks = std::move(setbacks); }
    bool protocol() const { return m_protocol; }
    bool blocks() const { return m_blocks; }
    bool any() const { return m_protocol || m_blocks; }

private:
    void onAction(const shell::ActionEvent& event);

    std::function<std::size_t()> m_setbacks;
    std::size_t m_setbacksAtStart = 0;
    bool m_protocol = false;
    bool m_blocks = false;
    platform::Subscription m_subscription;
};

}  // namespace vezedo::qt
