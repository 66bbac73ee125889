#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/runtime.h"
#include "platform/value.h"

// The functions that open the main window from its layout file, find it again, give it a
// table of its controls and private data, and keep it on the screen.
namespace vezedo::gui {

using platform::Handle;
using platform::Record;
using platform::Runtime;
using platform::Value;

// --- names ---
const std::vector<std::string>& keywords();  // the 17 reserved words, in order
bool iskeyword(std::string_view s);
bool isvarname(const Value& s);

// --- windows and their data ---
// Climbs from h through the parents until a window is reached; nullopt when none is.
std::optional<Handle> getParentFigure(const platform::GraphicsModel& model, Handle h);
// The window that holds h when h is one valid handle; an Error otherwise.
Handle requireParentFigure(const platform::GraphicsModel& model, const Value& h);
// Every tagged object of the window whose tag is a valid name, by tag, in listing order.
Record createHandles(const platform::GraphicsModel& model, Handle figure);
// The handle table of the window that holds h (the current window when h is not given).
Record guihandles(Runtime& rt, const Value* h);
Value guidata(Runtime& rt, const Value& h);
void guidata(Runtime& rt, const Value& h, Value data);
inline constexpr std::string_view kGuiDataKey = "UsedByGUIData_m";

// --- keeping a window on screen ---
const std::vector<std::string>& positionNames();  // the 10 position names, in order
// Up to 3 arguments in any order: a handle, a position name, a numeric [x y].
// `fromCallback`: the call comes from a control's callback, whose second argument (the
// event data) is ignored.
void movegui(Runtime& rt, std::span<const Value> args, bool fromCallback = false);

// --- opening a layout ---
Handle openfig(Runtime& rt, const std::string& fileName, const std::string& policy = "new");
std::string singletonKey(std::string_view layoutName);

// Reads a layout file and builds its window in the model; returns the window. Nothing is
// left in the model when the file is missing or malformed (an Error names the file).
Handle loadLayout(platform::GraphicsModel& model, const std::string& path);
// The folders searched for a layout file named without a folder, after the current one.
std::vector<std::string> defaultLayoutFolders();

}  // namespace vezedo::gui
