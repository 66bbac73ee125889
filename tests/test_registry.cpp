#include <functional>
#include <gtest/gtest.h>

#include "harness.h"
#include "platform/error.h"
#include "shell/registry.h"

using namespace vezedo;
using platform::Value;
using shell::Registry;

using vezedo::test::errorOf;

namespace {

std::string tooMany(const std::string& function, int line, const std::string& what, int declared)
{
    return "Run-time Error: File: " + function + " Line: " + std::to_string(line) + " Column: 1 The function \"" +
           function + "\" was called with more than the declared number of " + what + " (" + std::to_string(declared) +
           ").";
}

}  // namespace

TEST(Registry, OnlyARowCanBeDefinedAndItsFunctionIsAvailableOnceItIs)
{
    Registry reg;
    EXPECT_NE(errorOf([&] { reg.call("centsize3D", {Value(1.0)}, 2); }).find("\"centsize3D\" is not available"),
              std::string::npos);
    EXPECT_NE(errorOf([&] { reg.call("nosuchfunction", {}); }).find("Undefined function"), std::string::npos);
    EXPECT_THROW(reg.define("notarow", [](shell::Inputs, int) { return shell::Outputs{}; }), Error);
    reg.define("centsize3D", [](shell::Inputs in, int) { return shell::Outputs{in[0], Value(2.0)}; });
    EXPECT_EQ(reg.call("centsize3D", {Value(5.0)}, 2), (shell::Outputs{Value(5.0), Value(2.0)}));
}

TEST(Registry, ArgumentCountErrorsNameTheFunctionOrLocalFunctionAndItsLine)
{
    test::Harness h;
    const Registry& reg = h.program.registry();
    const std::vector<Value> two{Value(1.0), Value(2.0)}, one{Value(1.0)};
    const Value north("north");
    const struct {
        const char* module;  // empty for a function of the table
        const char* function;
        std::vector<Value> inputs;
        int outputs;
        std::string message;
    } cases[] = {
        {"", "vezedosw", {Value("LoadFile1"), Value("extra")}, 0, tooMany("vezedosw", 1, "inputs", 1)},
        {"", "vezedosw", {Value("ProtoAux")}, 1, tooMany("vezedosw", 1, "outputs", 0)},
        {"", "isvarname", {Value("a")}, 2, tooMany("isvarname", 1, "outputs", 1)},
        {"", "wire3d", {Value(), Value(), Value(), Value()}, 0, tooMany("wire3d", 1, "inputs", 3)},
        {"guidata", "getParentFigure", two, 1, tooMany("guidata/getParentFigure", 99, "inputs", 1)},
        {"guidata", "getParentFigure", one, 2, tooMany("guidata/getParentFigure", 99, "outputs", 1)},
        {"guihandles", "getParentFigure", two, 1, tooMany("guihandles/getParentFigure", 78, "inputs", 1)},
        {"guihandles", "createHandles", two, 1, tooMany("guihandles/createHandles", 86, "inputs", 1)},
        {"guihandles", "createHandles", one, 2, tooMany("guihandles/createHandles", 86, "outputs", 1)},
        {"movegui", "get_parent_fig", two, 1, tooMany("movegui/get_parent_fig", 166, "inputs", 1)},
        {"", "movegui", {north, north, north, north}, 0, "Too many input arguments."},  // checked by movegui itself
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.module) + "/" + c.function + ", " + std::to_string(c.inputs.size()) + " inputs, " +
                     std::to_string(c.outputs) + " outputs");
        const auto call = [&] {
            return *c.module ? reg.callLocal(c.module, c.function, c.inputs, c.outputs)
                             : reg.call(c.function, c.inputs, c.outputs);
        };
        EXPECT_EQ(errorOf(call), c.message);
    }
}

TEST(Registry, VariableCountsAcceptAnyNumberOfInputsAndOutputs)
{
    test::Harness h;
    // A non-text first input makes Vezedo6 do nothing.
    EXPECT_TRUE(h.program.registry().call("Vezedo6", {Value(1.0), Value(2.0), Value(3.0), Value(4.0)}, 5).empty());
}
