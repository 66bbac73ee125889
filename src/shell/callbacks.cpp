#include <new>

#include "gui/gui.h"
#include "platform/error.h"
#include "shell/program.h"

namespace vezedo::shell {

Program::Program(platform::Runtime& rt) : m_rt(rt), m_controller(std::make_unique<controller::Controller>(rt))
{
    if (m_rt.layoutFolders.empty())
        m_rt.layoutFolders = gui::defaultLayoutFolders();
    defineVezedo6(m_registry, m_rt);
    defineGuiFunctions(m_registry, m_rt);
    defineIoFunctions(m_registry, m_rt);
    defineShapeFunctions(m_registry, m_rt);
    m_registry.define("vezedosw", [this](Inputs inputs, int) -> Outputs {
        runNamedAction(inputs);
        return {};
    });
}

void Program::runNamedAction(Inputs inputs)
{
    if (inputs.empty() || !inputs[0].isString()) {
        m_controller->vezedosw(inputs);  // no action named: the controller answers that itself
        return;
    }
    const std::string action = inputs[0].string();
    m_actionObservers.notify({ActionPhase::Started, action});
    try {
        m_controller->vezedosw(inputs);
    } catch (...) {
        m_actionObservers.notify({ActionPhase::Finished, action});
        throw;
    }
    m_actionObservers.notify({ActionPhase::Finished, action});
}

Handle Program::start()
{
    return m_registry.call("Vezedo6", Inputs{}, 1).at(0).scalar();
}

namespace {

// Restores the running-callback object even when the callback throws.
class CallbackScope {
public:
    CallbackScope(platform::Runtime& rt, Handle control) : m_rt(rt), m_saved(rt.callbackObject)
    {
        rt.callbackObject = control;
    }
    ~CallbackScope() { m_rt.callbackObject = m_saved; }
    CallbackScope(const CallbackScope&) = delete;
    CallbackScope& operator=(const CallbackScope&) = delete;

private:
    platform::Runtime& m_rt;
    std::optional<Handle> m_saved;
};

// One readable box for memory that ran out, whatever step it ran out in.
std::string outOfMemory(const std::string& what)
{
    return "Out of memory" + (what.empty() ? std::string() : " in " + what) +
           ": the data is too large for this machine's memory. What was done before stays as it was.";
}

}  // namespace

void Program::runAction(const std::string& action)
{
    try {
        m_registry.call("vezedosw", {Value(action)}, 0);
    } catch (const std::bad_alloc&) {
        m_rt.messages.showMessage(outOfMemory(action));
    } catch (const std::exception& e) {
        m_rt.console.write(std::string(e.what()) + "\n");
    }
}

void Program::runCallback(Handle control)
{
    try {
        const auto& data = m_rt.graphics.object(control).as<platform::UiControlData>();
        if (data.callback.empty())
            return;
        const platform::Callback callback = data.callback;  // the callback may change the control
        std::vector<Value> inputs;
        for (const platform::CallbackArg& arg : callback.args) {
            if (const Value* v = std::get_if<Value>(&arg)) {
                inputs.push_back(*v);
                continue;
            }
            switch (std::get<platform::CallbackRef>(arg)) {
            case platform::CallbackRef::Self:
                inputs.emplace_back(control);
                break;
            case platform::CallbackRef::EventData:
                inputs.emplace_back();
                break;
            case platform::CallbackRef::Handles:
                inputs.push_back(gui::guidata(m_rt, Value(control)));
                break;
            }
        }
        CallbackScope scope(m_rt, control);
        m_registry.call(callback.function, inputs, 0);
    } catch (const std::bad_alloc&) {
        m_rt.messages.showMessage(outOfMemory(m_rt.graphics.isValid(control) ? m_rt.graphics.object(control).tag : ""));
    } catch (const std::exception& e) {
        m_rt.console.write(std::string(e.what()) + "\n");
    }
}

}  // namespace vezedo::shell
