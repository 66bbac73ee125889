// The main window layout: a JSON file of our own (see README, "The layout file").
#include <filesystem>
#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "gui/gui.h"
#include "platform/error.h"
#include "platform/style.h"

namespace vezedo::gui {

namespace {

using nlohmann::json;
using platform::Callback;
using platform::CallbackArg;
using platform::CallbackRef;
using platform::UiControlData;

class LayoutError : public Error {
public:
    LayoutError(const std::string& path, const std::string& problem) : Error("Layout file " + path + ": " + problem) {}
};

// Parsing is done against a path so every message names the file; `where` names the entry.
struct Reader {
    const std::string& path;

    [[noreturn]] void fail(const std::string& where, const std::string& problem) const
    {
        throw LayoutError(path, where + ": " + problem);
    }

    const json& member(const json& obj, const char* key, const std::string& where) const
    {
        auto it = obj.find(key);
        if (it == obj.end())
            fail(where, std::string("\"") + key + "\" is missing");
        return *it;
    }

    std::string text(const json& v, const std::string& where) const
    {
        if (!v.is_string())
            fail(where, "expected a text");
        return v.get<std::string>();
    }

    double number(const json& v, const std::string& where) const
    {
        if (!v.is_number())
            fail(where, "expected a number");
        return v.get<double>();
    }

    std::vector<double> numbers(const json& v, std::size_t count, const std::string& where) const
    {
        if (!v.is_array() || v.size() != count)
            fail(where, "expected " + std::to_string(count) + " numbers");
        std::vector<double> out;
        for (const json& n : v)
            out.push_back(number(n, where));
        return out;
    }

    platform::Rgb color(const json& v, const std::string& where) const
    {
        const auto c = numbers(v, 3, where);
        try {
            return platform::colorFromValue(platform::Value(platform::Matrix::rowVector(c)));
        } catch (const Error& e) {
            fail(where, e.what());
        }
    }

    CallbackArg callbackArg(const json& v, const std::string& where) const
    {
        if (v.is_string())
            return platform::Value(v.get<std::string>());
        if (v.is_number())
            return platform::Value(v.get<double>());
        if (v.is_array() && v.empty())
            return platform::Value();
        if (v.is_object() && v.contains("ref")) {
            const std::string ref = text(v["ref"], where + ", \"ref\"");
            if (ref == "self")
                return CallbackRef::Self;
            if (ref == "event")
                return CallbackRef::EventData;
            if (ref == "handles")
                return CallbackRef::Handles;
            fail(where, "unknown reference \"" + ref + "\" (use self, event or handles)");
        }
        fail(where, "a callback argument must be a text, a number, [] or {\"ref\": ...}");
    }

    Callback callback(const json& v, const std::string& where) const
    {
        Callback cb;
        if (!v.is_object())
            fail(where, "\"callback\" must be an object with \"function\" and \"args\"");
        cb.function = text(member(v, "function", where), where + ", \"function\"");
        if (cb.function.empty())
            fail(where, "\"function\" is empty");
        if (auto it = v.find("args"); it != v.end()) {
            if (!it->is_array())
                fail(where, "\"args\" must be a list");
            for (const json& arg : *it)
                cb.args.push_back(callbackArg(arg, where + ", \"args\""));
        }
        return cb;
    }
};

std::string positionText(std::size_t index, const json& entry)
{
    std::string where = "control " + std::to_string(index + 1);
    if (entry.is_object() && entry.contains("tag") && entry["tag"].is_string())
        where += " (\"" + entry["tag"].get<std::string>() + "\")";
    return where;
}

json readJson(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw LayoutError(path, "cannot be opened (" +
                                    std::string(std::filesystem::exists(path) ? "not readable" : "no such file") + ")");
    std::stringstream buffer;
    buffer << in.rdbuf();
    const std::string content = buffer.str();
    try {
        return json::parse(content);
    } catch (const json::parse_error& e) {
        const std::size_t upTo = std::min<std::size_t>(e.byte, content.size());
        const auto line = 1 + std::count(content.begin(), content.begin() + static_cast<std::ptrdiff_t>(upTo), '\n');
        throw LayoutError(path, "line " + std::to_string(line) + ": not valid JSON");
    }
}

struct WindowSpec {
    std::string title;
    platform::Rect position;
    bool visible = true;
    std::optional<platform::Rgb> color;
    std::string handleVisibility = "on";
};

struct ControlSpec {
    UiControlData data;
    std::string tag;
    bool visible = true;
};

}  // namespace

Handle loadLayout(platform::GraphicsModel& model, const std::string& path)
{
    const json doc = readJson(path);
    const Reader r{path};
    if (!doc.is_object())
        r.fail("top level", "expected an object with \"window\" and \"controls\"");
    if (doc.contains("format") && doc["format"] != "vezedo6-layout")
        r.fail("top level", "\"format\" is not \"vezedo6-layout\"");
    if (doc.contains("version") && doc["version"] != 1)
        r.fail("top level", "version " + doc["version"].dump() + " is not supported (this program reads version 1)");

    // Read and check everything before touching the model.
    const json& win = r.member(doc, "window", "top level");
    if (!win.is_object())
        r.fail("window", "expected an object");
    WindowSpec window;
    window.title = win.contains("title") ? r.text(win["title"], "window, \"title\"") : "";
    const auto size = r.numbers(r.member(win, "size", "window"), 2, "window, \"size\"");
    if (size[0] <= 0 || size[1] <= 0)
        r.fail("window, \"size\"", "width and height must be positive");
    std::vector<double> at{100, 100};
    if (win.contains("position"))
        at = r.numbers(win["position"], 2, "window, \"position\"");
    window.position = {at[0], at[1], size[0], size[1]};
    if (win.contains("visible")) {
        if (!win["visible"].is_boolean())
            r.fail("window, \"visible\"", "expected true or false");
        window.visible = win["visible"].get<bool>();
    }
    if (win.contains("color"))
        window.color = r.color(win["color"], "window, \"color\"");
    if (win.contains("handleVisibility"))
        window.handleVisibility = r.text(win["handleVisibility"], "window, \"handleVisibility\"");

    const json& controls = r.member(doc, "controls", "top level");
    if (!controls.is_array())
        r.fail("controls", "expected a list");
    std::vector<ControlSpec> items;
    static const std::vector<std::string> kStyles{"pushbutton", "togglebutton", "radiobutton", "checkbox", "edit",
                                                  "text",       "listbox",      "popupmenu",   "frame"};
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const json& c = controls[i];
        const std::string where = positionText(i, c);
        if (!c.is_object())
            r.fail(where, "expected an object");
        ControlSpec item;
        item.data.style = r.text(r.member(c, "style", where), where + ", \"style\"");
        if (std::find(kStyles.begin(), kStyles.end(), item.data.style) == kStyles.end())
            r.fail(where, "unknown style \"" + item.data.style + "\"");
        const auto pos = r.numbers(r.member(c, "position", where), 4, where + ", \"position\"");
        item.data.position = {pos[0], pos[1], pos[2], pos[3]};
        if (c.contains("tag"))
            item.tag = r.text(c["tag"], where + ", \"tag\"");
        if (c.contains("string"))
            item.data.string = r.text(c["string"], where + ", \"string\"");
        if (c.contains("value"))
            item.data.value = r.number(c["value"], where + ", \"value\"");
        if (c.contains("min"))
            item.data.min = r.number(c["min"], where + ", \"min\"");
        if (c.contains("max"))
            item.data.max = r.number(c["max"], where + ", \"max\"");
        if (c.contains("enable")) {
            item.data.enable = r.text(c["enable"], where + ", \"enable\"");
            if (item.data.enable != "on" && item.data.enable != "off" && item.data.enable != "inactive")
                r.fail(where, "\"enable\" must be \"on\", \"off\" or \"inactive\"");
        }
        if (c.contains("visible")) {
            if (!c["visible"].is_boolean())
                r.fail(where + ", \"visible\"", "expected true or false");
            item.visible = c["visible"].get<bool>();
        }
        if (c.contains("tooltip"))
            item.data.tooltip = r.text(c["tooltip"], where + ", \"tooltip\"");
        if (c.contains("background"))
            item.data.background = r.color(c["background"], where + ", \"background\"");
        if (c.contains("callback"))
            item.data.callback = r.callback(c["callback"], where + ", \"callback\"");
        items.push_back(std::move(item));
    }

    const Handle fig = model.createFigure();
    try {
        model.set(fig, "Name", platform::Value(window.title));
        model.set(fig, "Position",
                  platform::Value(platform::Matrix::rowVector(
                      {window.position[0], window.position[1], window.position[2], window.position[3]})));
        if (window.color)
            model.set(fig, "Color", platform::colorToValue(*window.color));
        model.set(fig, "HandleVisibility", platform::Value(window.handleVisibility));
        for (ControlSpec& item : items) {
            const Handle h = model.createUiControl(fig, std::move(item.data), std::move(item.tag));
            if (!item.visible)
                model.setVisible(h, false);
        }
        if (!window.visible)
            model.setVisible(fig, false);
    } catch (const Error& e) {
        model.deleteObject(fig);
        throw LayoutError(path, e.what());
    }
    return fig;
}

std::vector<std::string> defaultLayoutFolders()
{
    std::vector<std::string> folders;
    // Installed beside the program's data, then the source tree while developing.
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        folders.push_back((exe.parent_path().parent_path() / "share" / "vezedo6" / "layout").string());
        folders.push_back((exe.parent_path() / "layout").string());
    }
    folders.push_back(VEZEDO_LAYOUT_DIR);
    return folders;
}

}  // namespace vezedo::gui
