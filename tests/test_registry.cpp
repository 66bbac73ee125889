#include <gtest/gtest.h>

#include "harness.h"
#include "platform/error.h"
#include "shell/registry.h"

using namespace vezedo;
using shell::Registry;
using platform::Value;

namespace {

std::string errorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const Error& e) {
        return e.what();
    }
    return "";
}

}  // namespace

TEST(Registry, HoldsTheTwentyTwoRowsInTableOrderWithTheirCounts)
{
    const Registry reg;
    const auto& rows = reg.rows();
    ASSERT_EQ(rows.size(), 22u);
    const std::vector<std::tuple<std::string, int, int>> expected{
        {"Vezedo6", -1, -1},   {"vezedosw", 1, 0},      {"guidata", 2, 1},        {"guihandles", 1, 1},
        {"openfig", 2, 1},     {"centsize3D", 1, 2},    {"cla", -1, 1},           {"getpproc3", 1, 2},
        {"gettpsfile3D", 1, 3}, {"mfload", 1, 2},       {"mfloadtxt", 1, 2},      {"showshape3D", 2, 0},
        {"vertxy3D", 1, 1},    {"wire3d", 3, 0},        {"ylabel", -2, 1},        {"isvarname", 1, 1},
        {"movegui", -1, 0},    {"centsize3Da", 1, 1},   {"partialprocrustes3a", 2, 1}, {"dload", 1, 1},
        {"iskeyword", 1, 1},   {"svdrot2", 2, 1}};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].name, std::get<0>(expected[i]));
        EXPECT_EQ(rows[i].inputs, std::get<1>(expected[i])) << rows[i].name;
        EXPECT_EQ(rows[i].outputs, std::get<2>(expected[i])) << rows[i].name;
    }
}

TEST(Registry, ArgumentCountErrorsMatchTheirTextsExactly)
{
    test::Harness h;
    const Registry& reg = h.program.registry();
    EXPECT_EQ(errorOf([&] { reg.call("vezedosw", {Value("LoadFile1"), Value("extra")}); }),
              "Run-time Error: File: vezedosw Line: 1 Column: 1 The function \"vezedosw\" was called with more than "
              "the declared number of inputs (1).");
    EXPECT_EQ(errorOf([&] { reg.call("vezedosw", {Value("ProtoAux")}, 1); }),
              "Run-time Error: File: vezedosw Line: 1 Column: 1 The function \"vezedosw\" was called with more than "
              "the declared number of outputs (0).");
    EXPECT_EQ(errorOf([&] { reg.call("isvarname", {Value("a")}, 2); }),
              "Run-time Error: File: isvarname Line: 1 Column: 1 The function \"isvarname\" was called with more "
              "than the declared number of outputs (1).");
    EXPECT_EQ(errorOf([&] { reg.call("wire3d", {Value(), Value(), Value(), Value()}); }),
              "Run-time Error: File: wire3d Line: 1 Column: 1 The function \"wire3d\" was called with more than the "
              "declared number of inputs (3).");
}

TEST(Registry, LocalFunctionErrorsNameTheModuleAndTheLineWhereTheyBegin)
{
    test::Harness h;
    const Registry& reg = h.program.registry();
    const std::vector<Value> two{Value(1.0), Value(2.0)};
    const std::vector<std::tuple<std::string, std::string, int>> locals{{"guidata", "getParentFigure", 99},
                                                                        {"guihandles", "getParentFigure", 78},
                                                                        {"guihandles", "createHandles", 86},
                                                                        {"movegui", "get_parent_fig", 166}};
    for (const auto& [module, name, line] : locals) {
        const std::string full = module + "/" + name;
        EXPECT_EQ(errorOf([&] { reg.callLocal(module, name, two, 1); }),
                  "Run-time Error: File: " + full + " Line: " + std::to_string(line) + " Column: 1 The function \"" +
                      full + "\" was called with more than the declared number of inputs (1).");
        EXPECT_EQ(errorOf([&] { reg.callLocal(module, name, std::vector<Value>{Value(1.0)}, 2); }),
                  "Run-time Error: File: " + full + " Line: " + std::to_string(line) + " Column: 1 The function \"" +
                      full + "\" was called with more than the declared number of outputs (1).");
    }
}

TEST(Registry, VariableCountsAreNotChecked)
{
    test::Harness h;
    const Registry& reg = h.program.registry();
    // Vezedo6 takes any number of inputs and outputs; a non-text first input does nothing.
    EXPECT_TRUE(reg.call("Vezedo6", {Value(1.0), Value(2.0), Value(3.0), Value(4.0)}, 5).empty());
    // movegui declares any number of inputs and refuses more than three itself.
    EXPECT_EQ(errorOf([&] { reg.call("movegui", {Value("north"), Value("north"), Value("north"), Value("north")}); }),
              "Too many input arguments.");
}

TEST(Registry, RowsOfLaterFunctionsRaiseAClearErrorAndUnknownNamesAreUndefined)
{
    Registry reg;
    const std::string message = errorOf([&] { reg.call("centsize3D", {Value(1.0)}, 2); });
    EXPECT_NE(message.find("\"centsize3D\" is not available"), std::string::npos) << message;
    EXPECT_EQ(errorOf([&] { reg.call("nosuchfunction", {}); }),
              "Undefined function \"nosuchfunction\": no function of that name is registered.");
    reg.define("centsize3D", [](shell::Inputs in, int) { return shell::Outputs{in[0], Value(2.0)}; });
    EXPECT_EQ(reg.call("centsize3D", {Value(5.0)}, 2), (shell::Outputs{Value(5.0), Value(2.0)}));
    EXPECT_THROW(reg.define("notarow", [](shell::Inputs, int) { return shell::Outputs{}; }), Error);
}
