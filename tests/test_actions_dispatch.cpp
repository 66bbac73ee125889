#include "scenario_checks.h"

using namespace vezedo;
using namespace vezedo::test;
using platform::Value;

TEST(Dispatch, UnknownNamesFallThroughToTheLostBoxWhileProtoAuxAndBadCountsDoNothing)
{
    Scenario s;
    const auto& reg = s.h.program.registry();
    const std::size_t figures = s.g().figures().size();
    s.press("ProtoAux");
    EXPECT_THROW(reg.call("vezedosw", {Value("ProtoAux"), Value("x")}, 0), Error);
    EXPECT_THROW(reg.call("vezedosw", {Value("NewProto")}, 1), Error);
    EXPECT_EQ(s.g().figures().size(), figures);
    EXPECT_EQ(s.box("ProtoPointBox"), "0");
    EXPECT_TRUE(s.proto().empty());
    try {
        reg.call("vezedosw", {}, 0);
        FAIL() << "no error for a missing action";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), "Input argument \"action\" is undefined.");
    }

    for (const char* name : {"loadfile1", "LOADFILE1", "LoadFile1 ", "", "Nothing"})
        s.press(name);
    reg.call("vezedosw", {Value(3.0)}, 0);
    EXPECT_EQ(s.h.messages.texts(), std::vector<std::string>(6, "Lost, Lost, Lost am I! (Fell through case...)"));
    EXPECT_TRUE(s.h.messages.shown().front().title.empty());
    EXPECT_EQ(s.h.console.text(), "");
}

TEST(Dispatch, HugeNumbersTypedIntoBoxesAreRefusedInsteadOfAllocated)
{
    Scenario s;
    s.loadTps("mice.txt", makeTps(3, 4));
    s.type("MaxBlockBox", "1e12");
    s.press("SetBlocks");
    EXPECT_NE(s.h.console.text().find("MaxBlockBox holds \"1e12\""), std::string::npos) << s.h.console.text();
    EXPECT_EQ(s.state().blocks.count(), std::nullopt);
    s.type("CurrentBlockBox", "99999999999");
    s.press("BlockEnter");
    EXPECT_TRUE(s.state().blocks.blocks().empty());

    s.press("NewProto");
    typeEnds(s, "1", "2");
    s.press("AddLine");
    s.type("ProtoPointBox", "1e10");  // the counter only shows the count: it places nothing
    s.type("EndBox2", "3");
    s.press("AddLine");
    expectProtocol(s, platform::Matrix::fromRows({{1, 1, 2}, {2, 1, 3}}));
}
