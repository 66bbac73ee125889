#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "controller/context.h"

// The one list of actions. Each row says what the action edits and which window it opens, so
// that the dispatcher, undo, the unsaved-work check, the recorder and the front end read the
// row instead of comparing names.
namespace vezedo::controller {

// What an action may change, as bits.
enum class Edits : std::uint8_t {
    None = 0,
    Protocol = 1,      // the lines (and the wireframe drawn with them)
    Names = 2,         // the lines' names
    Blocks = 4,        // the block structure
    Specimens = 8,     // the loaded data set
    Corrections = 16,  // the corrections of the loaded specimens, made in place
};
constexpr Edits operator|(Edits a, Edits b)
{
    return static_cast<Edits>(static_cast<std::uint8_t>(a) | static_cast<std::uint8_t>(b));
}
constexpr bool has(Edits set, Edits bit)
{
    return (static_cast<std::uint8_t>(set) & static_cast<std::uint8_t>(bit)) != 0;
}

// The window an action opens (the plot windows follow every action on their own).
enum class Opens { Nothing, Plot, SpecimenCheck, MeasurementError };

// How an action takes part in undo.
enum class Step {
    None,      // changes nothing that undo keeps
    Recorded,  // an undoable edit
    History,   // walks the history itself (Undo, Redo)
};

struct ActionRow {
    std::string_view name;
    void (*run)(Context&);
    Edits edits;
    Step step;
    Opens opens;
    // What the action reads from a file when it changes it: that part then counts as saved.
    Edits readsFromFile = Edits::None;
};

// Every action, in the order names are compared.
std::span<const ActionRow> actionTable();
// The row named exactly `name`; nullptr when there is none.
const ActionRow* findAction(std::string_view name);

// The names of the actions that other parts of the program start by themselves (picking,
// the tables, the menus, the quit prompt): spelled here once.
namespace action {
inline constexpr std::string_view showLine = "ShowLine";
inline constexpr std::string_view showProtocolLine = "ShowLine2";
inline constexpr std::string_view addLine = "AddLine";
inline constexpr std::string_view deleteLine = "DeleteLine";
inline constexpr std::string_view renameLine = "RenameLine";
inline constexpr std::string_view saveProtocol = "SaveProtocol";
inline constexpr std::string_view saveProtocolCsv = "SaveProtocolCSV";
inline constexpr std::string_view saveBlocks = "SaveMatrix";
inline constexpr std::string_view showSpecimen = "ShowSpecimen";
inline constexpr std::string_view undo = "Undo";
inline constexpr std::string_view redo = "Redo";
inline constexpr std::string_view loadSpecimens = "LoadFile1";
inline constexpr std::string_view loadProtocol = "LoadProto";
inline constexpr std::string_view saveLengthsCsv = "SaveLengthsCSV";
inline constexpr std::string_view loadLandmarks = "LoadLandmarks";
inline constexpr std::string_view saveLandmarks = "SaveLandmarks";
inline constexpr std::string_view saveProtocolMarkups = "SaveProtocolMarkups";
inline constexpr std::string_view exchangeLandmarks = "ExchangeLandmarks";
inline constexpr std::string_view mirrorSpecimen = "MirrorSpecimen";
inline constexpr std::string_view excludeSpecimen = "ExcludeSpecimen";
inline constexpr std::string_view includeSpecimen = "IncludeSpecimen";
inline constexpr std::string_view saveCorrections = "SaveCorrections";
inline constexpr std::string_view loadTable = "LoadFileIMP";
inline constexpr std::string_view saveProject = "SaveProject";
inline constexpr std::string_view openProject = "OpenProject";
}  // namespace action

}  // namespace vezedo::controller
