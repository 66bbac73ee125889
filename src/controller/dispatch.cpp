// The action switch: names to actions, in the order the names are compared.
#include <algorithm>
#include <array>

#include "controller/actions.h"
#include "controller/controller.h"
#include "platform/error.h"

namespace vezedo::controller {

namespace {

constexpr std::string_view kFellThrough = "Lost, Lost, Lost am I! (Fell through case...)";

void protoAux(Context&) {}  // does nothing

void undo(Context& c)
{
    c.history->undo(c);
}

void redo(Context& c)
{
    c.history->redo(c);
}

// The actions that change the protocol or the blocks, and so leave an undo step.
bool changesEdits(std::string_view action)
{
    static constexpr std::array<std::string_view, 13> kEdits{
        "AddLine",   "DeleteLine",  "NewProto",     "LoadProto", "LoadWire",  "BlockEnter", "SetBlocks",
        "AddBlocks", "ClearTarget", "ShowAllBlock", "BlockUp",   "BlockDown", "LoadBlock"};
    return std::find(kEdits.begin(), kEdits.end(), action) != kEdits.end();
}

struct Row {
    std::string_view name;
    void (*action)(Context&);
};

constexpr std::array<Row, 36> kActions{{
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
    {"Undo", undo},
    {"Redo", redo},
    {"ShowSpecimen", showSpecimen},
    {"CheckSpecimens", checkSpecimens},
    {"SaveSpecimenCheck", saveSpecimenCheck},
    {"SaveLineSummary", saveLineSummary},
    {"LoadReplicate", loadReplicate},
    {"SaveMeasurementError", saveMeasurementError},
}};

}  // namespace

std::vector<std::string_view> actionNames()
{
    std::vector<std::string_view> names;
    for (const Row& row : kActions)
        names.push_back(row.name);
    return names;
}

void Controller::renameLine(std::size_t line, std::string name)
{
    Context c{m_rt, m_session};
    EditState before = captureEdits(c);
    m_session.protocol.rename(static_cast<double>(line), std::move(name));
    m_history.record(std::move(before), captureEdits(c));
}

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
            c.history = &m_history;
            if (!changesEdits(action)) {
                row.action(c);
                return;
            }
            EditState before = captureEdits(c);
            try {
                row.action(c);
            } catch (...) {
                m_history.record(std::move(before), captureEdits(c));
                throw;
            }
            m_history.record(std::move(before), captureEdits(c));
            return;
        }
    }
    m_rt.messages.showMessage(std::string(kFellThrough));
}

}  // namespace vezedo::controller
