#pragma once

#include "platform/runtime.h"
#include "shell/registry.h"

namespace vezedo::shell {

using platform::Handle;

// The headless program: the runtime it works on and the registry of its functions. The GUI,
// the tools and the tests all drive it through this class.
class Program {
public:
    explicit Program(platform::Runtime& rt);

    platform::Runtime& runtime() { return m_rt; }
    Registry& registry() { return m_registry; }
    const Registry& registry() const { return m_registry; }

    // Start-up: calls Vezedo6 with no input, which opens (or reuses) the main window.
    // Returns the window; a layout that cannot be loaded throws.
    Handle start();

    // The callback boundary: runs the callback of a control as a press, edit or toggle of
    // it would. Any error goes to the console; nothing escapes.
    void runCallback(Handle control);

private:
    platform::Runtime& m_rt;
    Registry m_registry;
};

// The rows of the GUI support functions (openfig, guihandles, guidata, movegui,
// isvarname, iskeyword) and their local functions.
void defineGuiFunctions(Registry& registry, platform::Runtime& rt);
// Vezedo6 and its 32 default callbacks.
void defineVezedo6(Registry& registry, platform::Runtime& rt);
// The names of the 32 controls that have a default callback, in the order of the table.
const std::vector<std::string>& defaultCallbackControls();

}  // namespace vezedo::shell
