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

TEST(Registry, HoldsTheTwentyTwoRowsInOrderWithTheirCountsAndLaterRowsWaitForTheirFunction)
{
    Registry reg;
    std::vector<std::tuple<std::string, int, int>> rows;
    for (const auto& row : reg.rows())
        rows.emplace_back(row.name, row.inputs, row.outputs);
    EXPECT_EQ(rows, (std::vector<std::tuple<std::string, int, int>>{{"Vezedo6", -1, -1},
                                                                    {"vezedosw", 1, 0},
                                                                    {"guidata", 2, 1},
                                                                    {"guihandles", 1, 1},
                                                                    {"openfig", 2, 1},
                                                                    {"centsize3D", 1, 2},
                                                                    {"cla", -1, 1},
                                                                    {"getpproc3", 1, 2},
                                                                    {"gettpsfile3D", 1, 3},
                                                                    {"mfload", 1, 2},
                                                                    {"mfloadtxt", 1, 2},
                                                                    {"showshape3D", 2, 0},
                                                                    {"vertxy3D", 1, 1},
                                                                    {"wire3d", 3, 0},
                                                                    {"ylabel", -2, 1},
                                                                    {"isvarname", 1, 1},
                                                                    {"movegui", -1, 0},
                                                                    {"centsize3Da", 1, 1},
                                                                    {"partialprocrustes3a", 2, 1},
                                                                    {"dload", 1, 1},
                                                                    {"iskeyword", 1, 1},
                                                                    {"svdrot2", 2, 1}}));

    EXPECT_NE(errorOf([&] { reg.call("centsize3D", {Value(1.0)}, 2); }).find("\"centsize3D\" is not available"),
              std::string::npos);
    EXPECT_NE(errorOf([&] { reg.call("nosuchfunction", {}); }).find("Undefined function"), std::string::npos);
    reg.define("centsize3D", [](shell::Inputs in, int) { return shell::Outputs{in[0], Value(2.0)}; });
    EXPECT_EQ(reg.call("centsize3D", {Value(5.0)}, 2), (shell::Outputs{Value(5.0), Value(2.0)}));
    EXPECT_THROW(reg.define("notarow", [](shell::Inputs, int) { return shell::Outputs{}; }), Error);
}

TEST(Registry, ArgumentCountErrorsNameTheFunctionOrLocalFunctionAndItsLineUnlessCountsAreVariable)
{
    test::Harness h;
    const Registry& reg = h.program.registry();
    EXPECT_EQ(errorOf([&] {
                  reg.call("vezedosw", {Value("LoadFile1"), Value("extra")});
              }),
              "Run-time Error: File: vezedosw Line: 1 Column: 1 The function \"vezedosw\" was called with more than "
              "the declared number of inputs (1).");
    EXPECT_EQ(errorOf([&] { reg.call("vezedosw", {Value("ProtoAux")}, 1); }),
              "Run-time Error: File: vezedosw Line: 1 Column: 1 The function \"vezedosw\" was called with more than "
              "the declared number of outputs (0).");
    EXPECT_EQ(errorOf([&] { reg.call("isvarname", {Value("a")}, 2); }), tooMany("isvarname", 1, "outputs", 1));
    EXPECT_EQ(errorOf([&] {
                  reg.call("wire3d", {Value(), Value(), Value(), Value()});
              }),
              tooMany("wire3d", 1, "inputs", 3));

    for (const auto& [module, name, line] :
         std::vector<std::tuple<std::string, std::string, int>>{{"guidata", "getParentFigure", 99},
                                                                {"guihandles", "getParentFigure", 78},
                                                                {"guihandles", "createHandles", 86},
                                                                {"movegui", "get_parent_fig", 166}}) {
        EXPECT_EQ(errorOf([&] {
                      reg.callLocal(module, name, std::vector<Value>{Value(1.0), Value(2.0)}, 1);
                  }),
                  tooMany(module + "/" + name, line, "inputs", 1));
        EXPECT_EQ(errorOf([&] { reg.callLocal(module, name, std::vector<Value>{Value(1.0)}, 2); }),
                  tooMany(module + "/" + name, line, "outputs", 1));
    }
    // Vezedo6 takes any number of inputs and outputs; a non-text first input does nothing.
    EXPECT_TRUE(reg.call("Vezedo6", {Value(1.0), Value(2.0), Value(3.0), Value(4.0)}, 5).empty());
    // movegui declares any number of inputs and refuses more than three itself.
    EXPECT_EQ(errorOf([&] {
                  reg.call("movegui", {Value("north"), Value("north"), Value("north"), Value("north")});
              }),
              "Too many input arguments.");
}
