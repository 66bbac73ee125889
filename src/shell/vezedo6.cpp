#include <algorithm>

#include "gui/gui.h"
#include "platform/error.h"
#include "shell/program.h"

namespace vezedo::shell {

namespace {

constexpr const char* kModule = "Vezedo6";
// Each default callback's first line in the module, for the argument-count error texts:
// the callbacks follow the module's main function at regular intervals.
constexpr int kFirstCallbackLine = 77;
constexpr int kCallbackLineStep = 8;

Outputs openMainWindow(Registry& registry, platform::Runtime& rt, int nargout)
{
    const Value window = registry.call("openfig", {Value("vezedo6"), Value("reuse")}, 1).at(0);
    platform::GraphicsModel& g = rt.graphics;
    g.set(window.scalar(), "Color", g.get(platform::kRootHandle, "defaultUicontrolBackgroundColor"));
    const Value table = registry.call("guihandles", {window}, 1).at(0);
    registry.call("guidata", {window, table}, 0);
    if (nargout > 0)
        return {window};
    return {};
}

}  // namespace

const std::vector<std::string>& defaultCallbackControls()
{
    static const std::vector<std::string> names{
        "pushbutton1",   "FileBox",      "pushbutton2",  "pushbutton3",  "edit2",        "pushbutton4", "edit3",
        "edit4",         "edit5",        "pushbutton6",  "pushbutton7",  "pushbutton8",  "pushbutton9", "pushbutton10",
        "pushbutton11",  "pushbutton12", "pushbutton13", "radiobutton1", "pushbutton14", "edit6",       "listbox1",
        "ProtoPointBox", "edit8",        "edit9",        "edit10",       "radiobutton2", "edit12",      "edit13",
        "edit14",        "edit15",       "pushbutton40", "pushbutton41"};
    return names;
}

void defineVezedo6(Registry& registry, platform::Runtime& rt)
{
    const auto& controls = defaultCallbackControls();
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const std::string control = controls[i];
        const int line = kFirstCallbackLine + kCallbackLineStep * static_cast<int>(i);
        // (handle of the control, event data, handle table, further inputs...)
        registry.defineLocal(kModule, control + "_Callback", kAnyCount, 0, line, [&rt, control](Inputs, int) {
            rt.console.trace(control + " Callback not implemented yet.\n");
            return Outputs{};
        });
    }

    registry.define(kModule, [&registry, &rt](Inputs inputs, int nargout) -> Outputs {
        if (inputs.empty())
            return openMainWindow(registry, rt, nargout);
        if (!inputs.front().isString())
            return {};
        const std::string& name = inputs.front().string();
        try {
            const Inputs rest = inputs.subspan(1);
            if (registry.findLocal(kModule, name))
                return registry.callLocal(kModule, name, rest, nargout);
            return registry.call(name, rest, nargout);
        } catch (const std::exception& e) {
            rt.console.write(std::string(e.what()) + "\n");
            return {};
        }
    });
}

}  // namespace vezedo::shell
