// The action table: every action of the main window with what it edits and opens.
#include "controller/actiontable.h"

#include <array>

#include "controller/actions.h"
#include "controller/undo.h"

namespace vezedo::controller {

namespace {

void protoAux(Context&) {}  // does nothing

void undo(Context& c)
{
    c.history->undo(c);
}

void redo(Context& c)
{
    c.history->redo(c);
}

constexpr Edits kLines = Edits::Protocol | Edits::Names;
constexpr Edits kAll = Edits::Protocol | Edits::Names | Edits::Blocks | Edits::Corrections;

using enum Step;
using enum Opens;

constexpr std::array<ActionRow, 48> kActions{{
    {"LoadFile1", loadFile1, Edits::Specimens, None, Plot},
    {"LoadFileIMP", loadFileImp, Edits::Specimens, None, Plot},
    {"LoadWire", loadWire, kLines, Recorded, Nothing, Edits::Protocol},
    {"LoadProto", loadProto, kLines, Recorded, Nothing, Edits::Protocol},
    {"SaveProtocol", saveProtocol, Edits::None, None, Nothing},
    {"ShowProto", showProto, Edits::None, None, Nothing},
    {"NewProto", newProto, kLines, Recorded, Nothing},
    {"ShowLine", showLine, Edits::None, None, Nothing},
    {"ShowLine2", showLine2, Edits::None, None, Nothing},
    {"DeleteLine", deleteLine, kLines, Recorded, Nothing},
    {"AddLine", addLine, Edits::Protocol, Recorded, Nothing},
    {"SaveLengths", saveLengths, Edits::None, None, Nothing},
    {"ProtoAux", protoAux, Edits::None, None, Nothing},
    {"ShowMLine", showMLine, Edits::None, None, Nothing},
    {"SetBlocks", setBlocks, Edits::Blocks, Recorded, Nothing},
    {"AddBlocks", addBlocks, Edits::Blocks, Recorded, Nothing},
    {"ReplotM", replotM, Edits::None, None, Nothing},
    {"ShowAllBlock", showAllBlock, Edits::Blocks, Recorded, Nothing},
    {"ShowBlockStructure", showBlockStructure, Edits::None, None, Nothing},
    {"BlockUp", blockUp, Edits::Blocks, Recorded, Nothing},
    {"BlockDown", blockDown, Edits::Blocks, Recorded, Nothing},
    {"BlockEnter", blockEnter, Edits::Blocks, Recorded, Nothing},
    {"AddLinetoBlock", addLinetoBlock, Edits::None, None, Nothing},
    {"SaveMatrix", saveMatrix, Edits::None, None, Nothing},
    {"LoadBlock", loadBlock, Edits::Blocks, Recorded, Nothing, Edits::Blocks},
    {"ClearTarget", clearTarget, kAll, Recorded, Nothing},
    {"SaveProtocolCSV", saveProtocolCsv, Edits::None, None, Nothing},
    {"SaveLengthsCSV", saveLengthsCsv, Edits::None, None, Nothing},
    {"Undo", undo, kAll, History, Nothing},
    {"Redo", redo, kAll, History, Nothing},
    {"ShowSpecimen", showSpecimen, Edits::None, None, Nothing},
    {"CheckSpecimens", checkSpecimens, Edits::None, None, SpecimenCheck},
    {"SaveSpecimenCheck", saveSpecimenCheck, Edits::None, None, SpecimenCheck},
    {"SaveLineSummary", saveLineSummary, Edits::None, None, Nothing},
    {"LoadReplicate", loadReplicate, Edits::None, None, MeasurementError},
    {"SaveMeasurementError", saveMeasurementError, Edits::None, None, MeasurementError},
    {"RenameLine", renameLine, Edits::Names, Recorded, Nothing},
    {"LoadLandmarks", loadLandmarks, Edits::Specimens | kLines, Recorded, Plot, Edits::Protocol},
    {"LoadGroups", loadGroups, Edits::None, None, Nothing},
    {"SaveLandmarks", saveLandmarks, Edits::None, None, Nothing},
    {"SaveProtocolMarkups", saveProtocolMarkups, Edits::None, None, Nothing},
    {"ExchangeLandmarks", exchangeLandmarks, Edits::Corrections, Recorded, Nothing},
    {"MirrorSpecimen", mirrorSpecimen, Edits::Corrections, Recorded, Nothing},
    {"ExcludeSpecimen", excludeSpecimen, Edits::Corrections, Recorded, Nothing},
    {"IncludeSpecimen", includeSpecimen, Edits::Corrections, Recorded, Nothing},
    {"SaveCorrections", saveCorrections, Edits::None, None, Nothing},
    {"SaveProject", saveProject, Edits::None, None, Nothing},
    {"OpenProject", openProject, Edits::Specimens | kAll, None, Plot, kAll},
}};

}  // namespace

std::span<const ActionRow> actionTable()
{
    return kActions;
}

const ActionRow* findAction(std::string_view name)
{
    for (const ActionRow& row : kActions)
        if (row.name == name)
            return &row;
    return nullptr;
}

}  // namespace vezedo::controller
