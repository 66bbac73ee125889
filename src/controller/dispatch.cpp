// The action switch: names to actions, in the order the names are compared.
#include <array>

#include "controller/actions.h"
#include "controller/controller.h"
#include "platform/error.h"

namespace vezedo::controller {

namespace {

constexpr std::string_view kFellThrough = "Lost, Lost, Lost am I! (Fell through case...)";

void protoAux(Context&) {}  // does nothing

struct Row {
    std::string_view name;
    void (*action)(Context&);
};

constexpr std::array<Row, 28> kActions{{
    {"LoadFile1", loadFile1},
    {"LoadFileIMP", loadFileImp},
    {"LoadWire", loadWire},
    {"LoadProto", loadProto},
    {"SaveProtocol", saveProtocol},
    {"ShowProto", showProto},
    {"NewProto", newProto},
    {"ShowLine", showLine},
    {"ShowLine2", showLine2},
    {"DeleteLine", deleteLine},
    {"AddLine", addLine},
    {"SaveLengths", saveLengths},
    {"ProtoAux", protoAux},
    {"ShowMLine", showMLine},
    {"SetBlocks", setBlocks},
    {"AddBlocks", addBlocks},
    {"ReplotM", replotM},
    {"ShowAllBlock", showAllBlock},
    {"ShowBlockStructure", showBlockStructure},
    {"BlockUp", blockUp},
    {"BlockDown", blockDown},
    {"BlockEnter", blockEnter},
    {"AddLinetoBlock", addLinetoBlock},
    {"SaveMatrix", saveMatrix},
    {"LoadBlock", loadBlock},
    {"ClearTarget", clearTarget},
    {"SaveProtocolCSV", saveProtocolCsv},
    {"SaveLengthsCSV", saveLengthsCsv},
}};

}  // namespace

void Controller::vezedosw(std::span<const platform::Value> inputs)
{
    if (inputs.empty())
        throw Error("Input argument \"action\" is undefined.");
    if (!inputs.front().isString()) {
        m_rt.messages.showMessage(std::string(kFellThrough));
        return;
    }
    run(inputs.front().string());
}

void Controller::run(std::string_view action)
{
    for (const Row& row : kActions) {
        if (row.name == action) {
            Context c{m_rt, m_session};
            row.action(c);
            return;
        }
    }
    m_rt.messages.showMessage(std::string(kFellThrough));
}

}  // namespace vezedo::controller
