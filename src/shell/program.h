#pragma once

#include <memory>
#include <string_view>

#include "controller/controller.h"
#include "platform/runtime.h"
#include "platform/subscription.h"
#include "shell/registry.h"

namespace vezedo::shell {

using platform::Handle;

// An action of the main window (LoadFile1, AddLine, ...) run through the registry, as a
// control's press or runAction does. Observers hear it start and finish; Finished comes also
// when the action failed.
enum class ActionPhase { Started, Finished };
struct ActionEvent {
    ActionPhase phase;
    std::string_view action;
};

// The headless program: the runtime it works on and the registry of its functions. The GUI,
// the tools and the tests all drive it through this class.
class Program {
public:
    explicit Program(platform::Runtime& rt);

    platform::Runtime& runtime() { return m_rt; }
    Registry& registry() { return m_registry; }
    controller::Controller& controller() { return *m_controller; }
    const Registry& registry() const { return m_registry; }

    // Start-up: calls Vezedo6 with no input, which opens (or reuses) the main window.
    // Returns the window; a layout that cannot be loaded throws.
    Handle start();

    // The callback boundary: runs the callback of a control as a press, edit or toggle of
    // it would. Any error goes to the console; nothing escapes.
    void runCallback(Handle control);
    // Runs an action exactly as its button does: `vezedosw` through the registry, any error
    // to the console.
    void runAction(const std::string& action);

    // Tells the observer of every action run from now on, until the subscription ends.
    platform::Subscription onAction(std::function<void(const ActionEvent&)> observer)
    {
        return m_actionObservers.subscribe(std::move(observer));
    }

private:
    void runNamedAction(Inputs inputs);

    platform::Runtime& m_rt;
    Registry m_registry;
    std::unique_ptr<controller::Controller> m_controller;
    platform::ObserverList<ActionEvent> m_actionObservers;
};

// The rows of the GUI support functions (openfig, guihandles, guidata, movegui,
// isvarname, iskeyword) and their local functions.
void defineGuiFunctions(Registry& registry, platform::Runtime& rt);
// The rows of the landmark readers: gettpsfile3D, mfload, mfloadtxt, dload.
void defineIoFunctions(Registry& registry, platform::Runtime& rt);
// The rows of the shape analysis and drawing functions: centsize3D, centsize3Da, getpproc3,
// partialprocrustes3a, svdrot2, showshape3D, wire3d, vertxy3D, cla, ylabel.
void defineShapeFunctions(Registry& registry, platform::Runtime& rt);
// Vezedo6 and its 32 default callbacks.
void defineVezedo6(Registry& registry, platform::Runtime& rt);
// The names of the 32 controls that have a default callback, in the order of the table.
const std::vector<std::string>& defaultCallbackControls();

}  // namespace vezedo::shell
