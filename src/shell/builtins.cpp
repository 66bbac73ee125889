// Registry rows of the GUI support functions: thin adapters from values to the typed
// functions of gui/.
#include "gui/gui.h"
#include "platform/error.h"
#include "shell/program.h"

namespace vezedo::shell {

namespace {

Value truth(bool b)
{
    return Value(b ? 1.0 : 0.0);
}

}  // namespace

void defineGuiFunctions(Registry& registry, platform::Runtime& rt)
{
    registry.define("openfig", [&rt](Inputs in, int) -> Outputs {
        if (in.empty())
            throw Error("Not enough input arguments.");
        const std::string file = platform::textArgument(in[0], "openfig", "file name");
        const std::string policy = in.size() > 1 ? platform::textArgument(in[1], "openfig", "policy") : "new";
        return {Value(gui::openfig(rt, file, policy))};
    });

    registry.define("guihandles", [&rt](Inputs in, int) -> Outputs {
        return {Value(gui::guihandles(rt, in.empty() ? nullptr : &in[0]))};
    });

    registry.define("guidata", [&rt](Inputs in, int nargout) -> Outputs {
        if (in.empty())
            throw Error("Not enough input arguments.");
        if (in.size() == 1)
            return {gui::guidata(rt, in[0])};
        if (nargout > 0)
            throw Error("Too many output arguments.");
        gui::guidata(rt, in[0], in[1]);
        return {};
    });

    registry.define("movegui", [&rt](Inputs in, int) -> Outputs {
        gui::movegui(rt, in, rt.callbackObject.has_value());
        return {};
    });

    registry.define("isvarname", [](Inputs in, int) -> Outputs {
        if (in.empty())
            throw Error("Not enough input arguments.");
        return {truth(gui::isvarname(in[0]))};
    });

    registry.define("iskeyword", [](Inputs in, int) -> Outputs {
        if (in.empty()) {
            platform::CellList list;
            for (const std::string& word : gui::keywords())
                list.emplace_back(word);
            return {Value(std::move(list))};
        }
        return {truth(in[0].isString() && gui::iskeyword(in[0].string()))};
    });

    // The local functions, reachable by name from within their modules.
    auto parentFigure = [&rt](Inputs in, int) -> Outputs {
        if (in.empty() || !in[0].isMatrix() || !in[0].matrix().isScalar() || !rt.graphics.isValid(in[0].scalar()))
            return {Value()};
        const auto fig = gui::getParentFigure(rt.graphics, in[0].scalar());
        return {fig ? Value(*fig) : Value()};
    };
    registry.defineLocal("guidata", "getParentFigure", 1, 1, 99, parentFigure);
    registry.defineLocal("guihandles", "getParentFigure", 1, 1, 78, parentFigure);
    registry.defineLocal("movegui", "get_parent_fig", 1, 1, 166, parentFigure);
    registry.defineLocal("guihandles", "createHandles", 1, 1, 86, [&rt](Inputs in, int) -> Outputs {
        if (in.empty())
            throw Error("Not enough input arguments.");
        return {Value(gui::createHandles(rt.graphics, in[0].scalar("the window handle")))};
    });
}

}  // namespace vezedo::shell
