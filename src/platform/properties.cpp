// Named properties of graphics objects: one row table per object type maps the display
// name to the typed member behind it. Names compare case-insensitively.
#include <algorithm>
#include <cctype>
#include <span>

#include "platform/error.h"
#include "platform/graphics.h"
#include "platform/textformat.h"

namespace vezedo::platform {

namespace {

using Getter = Value (*)(const GraphicsModel&, const GraphicsObject&);
// Returns true when the stored value really changed.
using Setter = bool (*)(GraphicsModel&, GraphicsObject&, const Value&);

struct PropertyRow {
    Property property;  // its display name is the name of the row
    Getter get;
    Setter set;  // nullptr: read-only
};

bool sameName(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

template <typename T> bool assign(T& member, T value)
{
    if (member == value)
        return false;
    member = std::move(value);
    return true;
}

std::string textOf(const Value& v, std::string_view property)
{
    if (v.isString())
        return v.string();
    if (v.isCell()) {  // one line per element
        std::string out;
        for (const Value& line : v.cell()) {
            if (!out.empty())
                out += '\n';
            out += textOf(line, property);
        }
        return out;
    }
    if (v.isEmptyMatrix())
        return {};
    throw Error("The " + std::string(property) + " property takes a text; found " + v.describe());
}

std::string choiceOf(const Value& v, std::string_view property, std::initializer_list<std::string_view> allowed)
{
    if (v.isString()) {
        const std::string s = toLower(v.string());
        for (std::string_view a : allowed)
            if (s == a)
                return s;
    }
    std::string list;
    for (std::string_view a : allowed)
        list += (list.empty() ? "'" : ", '") + std::string(a) + "'";
    throw Error("The " + std::string(property) + " property must be one of " + list + "; found " + v.describe());
}

double numberOf(const Value& v, std::string_view property)
{
    return v.scalar("the " + std::string(property) + " property");
}

Value rectValue(const Rect& r)
{
    return Matrix::rowVector({r[0], r[1], r[2], r[3]});
}

Value onOff(bool on)
{
    return std::string(on ? "on" : "off");
}

// --- rows common to every object ---

const PropertyRow kCommonRows[] = {
    {Property::Type, [](const GraphicsModel&, const GraphicsObject& o) { return Value(std::string(typeName(o.type))); },
     nullptr},
    {Property::Parent,
     [](const GraphicsModel&, const GraphicsObject& o) {
         return o.type == ObjectType::Root ? Value() : Value(o.parent);
     },
     nullptr},
    {Property::Children,
     [](const GraphicsModel& m, const GraphicsObject& o) {
         std::vector<double> kids;
         for (Handle h : o.children)
             if (m.object(h).handleVisibility == HandleVisibility::On)
                 kids.push_back(h);
         return Value(Matrix::columnVector(kids));
     },
     nullptr},
    {Property::Tag, [](const GraphicsModel&, const GraphicsObject& o) { return Value(o.tag); },
     [](GraphicsModel&, GraphicsObject& o, const Value& v) { return assign(o.tag, textOf(v, "Tag")); }},
    {Property::Visible, [](const GraphicsModel&, const GraphicsObject& o) { return onOff(o.visible); },
     [](GraphicsModel&, GraphicsObject& o, const Value& v) {
         return assign(o.visible, choiceOf(v, "Visible", {"on", "off"}) == "on");
     }},
    {Property::HandleVisibility,
     [](const GraphicsModel&, const GraphicsObject& o) {
         return Value(std::string(o.handleVisibility == HandleVisibility::On         ? "on"
                                  : o.handleVisibility == HandleVisibility::Callback ? "callback"
                                                                                     : "off"));
     },
     [](GraphicsModel&, GraphicsObject& o, const Value& v) {
         const std::string s = choiceOf(v, "HandleVisibility", {"on", "callback", "off"});
         return assign(o.handleVisibility, s == "on"         ? HandleVisibility::On
                                           : s == "callback" ? HandleVisibility::Callback
                                                             : HandleVisibility::Off);
     }},
};

// --- root ---

const PropertyRow kRootRows[] = {
    {Property::ScreenSize,
     [](const GraphicsModel&, const GraphicsObject& o) {
         const RootData& r = o.as<RootData>();
         if (r.units == "normalized")
             return Value(Matrix::rowVector({0, 0, 1, 1}));
         return Value(Matrix::rowVector({1, 1, r.screenSize[0], r.screenSize[1]}));
     },
     nullptr},
    {Property::Units, [](const GraphicsModel&, const GraphicsObject& o) { return Value(o.as<RootData>().units); },
     [](GraphicsModel&, GraphicsObject& o, const Value& v) {
         return assign(o.as<RootData>().units, choiceOf(v, "Units", {"pixels", "normalized"}));
     }},
    {Property::CurrentFigure,
     [](const GraphicsModel& m, const GraphicsObject&) {
         auto f = m.currentFigure();
         return f ? Value(*f) : Value();
     },
     [](GraphicsModel& m, GraphicsObject&, const Value& v) {
         m.makeFigureCurrent(numberOf(v, "CurrentFigure"));
         return false;  // makeFigureCurrent tells the observers itself
     }},
    {Property::DefaultUicontrolBackgroundColor,
     [](const GraphicsModel&, const GraphicsObject& o) {
         return colorToValue(o.as<RootData>().defaultUicontrolBackground);
     },
     [](GraphicsModel&, GraphicsObject& o, const Value& v) {
         return assign(o.as<RootData>().defaultUicontrolBackground, colorFromValue(v));
     }},
};

// --- figure ---

double screenExtent(const GraphicsModel& m, std::size_t i)
{
    return m.root().screenSize[i];
}

Rect toUnits(const GraphicsModel& m, const FigureData& f, const Rect& px)
{
    if (f.units != "normalized")
        return px;
    const double w = screenExtent(m, 0), h = screenExtent(m, 1);
    return {px[0] / w, px[1] / h, px[2] / w, px[3] / h};
}

Rect fromUnits(const GraphicsModel& m, const FigureData& f, const Rect& r)
{
    if (f.units != "normalized")
        return r;
    const double w = screenExtent(m, 0), h = screenExtent(m, 1);
    return {r[0] * w, r[1] * h, r[2] * w, r[3] * h};
}

Rect outerOf(const FigureData& f)
{
    const auto& fr = f.frame;  // left, bottom, right, top
    return {f.position[0] - fr[0], f.position[1] - fr[1], f.position[2] + fr[0] + fr[2], f.position[3] + fr[1] + fr[3]};
}

const PropertyRow kFigureRows[] = {
    {Property::Position,
     [](const GraphicsModel& m, const GraphicsObject& o) {
         const FigureData& f = o.as<FigureData>();
         return rectValue(toUnits(m, f, f.position));
     },
     [](GraphicsModel& m, GraphicsObject& o, const Value& v) {
         FigureData& f = o.as<FigureData>();
         return assign(f.position, fromUnits(m, f, rectOf(v, "Position")));
     }},
    {Property::OuterPosition,
     [](const GraphicsModel& m, const GraphicsObject& o) {
         const FigureData& f = o.as<FigureData>();
         return rectValue(toUnits(m, f, outerOf(f)));
     },
     [](GraphicsModel& m, GraphicsObject& o, const Value& v) {
         FigureData& f = o.as<FigureData>();
         const Rect outer = fromUnits(m, f, rectOf(v, "OuterPosition"));
         const auto& fr = f.frame;
         return assign(f.position,
                       Rect{outer[0] + fr[0], outer[1] + fr[1], outer[2] - fr[0] - fr[2], outer[3] - fr[1] - fr[3]});
     }},
    {Property::Units, [](const GraphicsModel&, const GraphicsObject& o) { return Value(o.as<FigureData>().units); },
     [](GraphicsModel&, GraphicsObject& o, const Value& v) {
         return assign(o.as<FigureData>().units, choiceOf(v, "Units", {"pixels", "normalized"}));
     }},
    {Property::ActivePositionProperty,
     [](const GraphicsModel&, const GraphicsObject& o) { return Value(o.as<FigureData>().activePositionProperty); },
     [](GraphicsModel&, GraphicsObject& o, const Value& v) {
         return assign(o.as<FigureData>().activePositionProperty,
                       choiceOf(v, "ActivePositionProperty", {"position", "outerposition"}));
     }},
    {Property::Name, [](const GraphicsModel&, const GraphicsObject& o) { return Value(o.as<FigureData>().name); },
     [](GraphicsModel&, GraphicsObject& o, const Value& v) {
         return assign(o.as<FigureData>().name, textOf(v, "Name"));
     }},
    {Property::Color,
     [](const GraphicsModel&, const GraphicsObject& o) { return colorToValue(o.as<FigureData>().color); },
     [](GraphicsModel&, GraphicsObject& o, const Value& v) {
         return assign(o.as<FigureData>().color, colorFromValue(v));
     }},
    {Property::CurrentAxes,
     [](const GraphicsModel& m, const GraphicsObject& o) {
         const Handle a = o.as<FigureData>().currentAxes;
         return a != kRootHandle && m.isValid(a) ? Value(a) : Value();
     },
     nullptr},
};

// --- axes ---

bool setFont(FontSpec& font, Property which, const Value& v)
{
    const std::string_view name = propertyName(which);
    switch (which) {
    case Property::FontName:
        return assign(font.name, textOf(v, name));
    case Property::FontSize: {
        const double size = numberOf(v, name);
        if (!(size > 0))
            throw Error("The FontSize property must be a positive number");
        return assign(font.size, size);
    }
    case Property::FontAngle:
        return assign(font.angle, choiceOf(v, name, {"normal", "italic", "oblique"}));
    default:
        return assign(font.weight, choiceOf(v, name, {"normal", "bold", "light", "demi"}));
    }
}

Value getFont(const FontSpec& font, Property which)
{
    switch (which) {
    case Property::FontName:
        return font.name;
    case Property::FontSize:
        return font.size;
    case Property::FontAngle:
        return font.angle;
    default:
        return font.weight;
    }
}

FontSpec& fontOf(GraphicsObject& o)
{
    return o.type == ObjectType::Axes ? o.as<AxesData>().font : o.as<TextData>().font;
}

const FontSpec& fontOf(const GraphicsObject& o)
{
    return o.type == ObjectType::Axes ? o.as<AxesData>().font : o.as<TextData>().font;
}

#define VEZEDO_FONT_ROW(NAME)                                                                                          \
    {                                                                                                                  \
        Property::NAME,                                                                                                \
            [](const GraphicsModel&, const GraphicsObject& o) { return getFont(fontOf(o), Property::NAME); },          \
            [](GraphicsModel&, GraphicsObject& o, const Value& v) { return setFont(fontOf(o), Property::NAME, v); }    \
    }

const PropertyRow kFontRows[] = {
    VEZEDO_FONT_ROW(FontName),
    VEZEDO_FONT_ROW(FontSize),
    VEZEDO_FONT_ROW(FontAngle),
    VEZEDO_FONT_ROW(FontWeight),
};
#undef VEZEDO_FONT_ROW

const PropertyRow kAxesRows[] = {
    {Property::NextPlot,
     [](const GraphicsModel&, const GraphicsObject& o) {
         return Value(std::string(o.as<AxesData>().hold ? "add" : "replace"));
     },
     [](GraphicsModel&, GraphicsObject& o, const Value& v) {
         return assign(o.as<AxesData>().hold, choiceOf(v, "NextPlot", {"add", "replace"}) == "add");
     }},
    {Property::XLimMode,
     [](const GraphicsModel&, const GraphicsObject& o) {
         return Value(std::string(o.as<AxesData>().limitsAuto ? "auto" : "manual"));
     },
     nullptr},
    {Property::DataAspectRatioMode,
     [](const GraphicsModel&, const GraphicsObject& o) {
         return Value(std::string(o.as<AxesData>().equal ? "manual" : "auto"));
     },
     nullptr},
    {Property::YLabel, [](const GraphicsModel&, const GraphicsObject& o) { return Value(o.as<AxesData>().yLabel); },
     nullptr},
    {Property::View,
     [](const GraphicsModel&, const GraphicsObject& o) {
         const Camera& c = o.as<AxesData>().camera;
         return Value(Matrix::rowVector({c.azimuth, c.elevation}));
     },
     [](GraphicsModel&, GraphicsObject& o, const Value& v) {
         if (!v.isMatrix() || v.matrix().numel() != 2)
             throw Error("The View property takes [azimuth elevation]; found " + v.describe());
         Camera c = o.as<AxesData>().camera;
         c.azimuth = v.matrix()[0];
         c.elevation = v.matrix()[1];
         return assign(o.as<AxesData>().camera, c);
     }},
};

// --- line ---

Value coordinateRow(const LineData& d, std::size_t axis)
{
    Matrix m(1, d.points.size());
    for (std::size_t i = 0; i < d.points.size(); ++i)
        m[i] = d.points[i][axis];
    return m;
}

bool setCoordinateRow(LineData& d, std::size_t axis, const Value& v, std::string_view property)
{
    if (!v.isMatrix() || (!v.matrix().empty() && !v.matrix().isVector()))
        throw Error("The " + std::string(property) + " property takes a row of numbers; found " + v.describe());
    const Matrix& m = v.matrix();
    if (m.numel() != d.points.size())
        d.points.resize(m.numel(), Point3{0, 0, 0});
    bool changed = false;
    for (std::size_t i = 0; i < m.numel(); ++i)
        changed |= assign(d.points[i][axis], m[i]);
    return changed;
}

#define VEZEDO_COORD_ROW(NAME, AXIS)                                                                                   \
    {                                                                                                                  \
        Property::NAME,                                                                                                \
            [](const GraphicsModel&, const GraphicsObject& o) { return coordinateRow(o.as<LineData>(), AXIS); },       \
            [](GraphicsModel&, GraphicsObject& o, const Value& v) {                                                    \
                return setCoordinateRow(o.as<LineData>(), AXIS, v, propertyName(Property::NAME));                      \
            }                                                                                                          \
    }

const PropertyRow kLineRows[] = {
    VEZEDO_COORD_ROW(XData, 0),
    VEZEDO_COORD_ROW(YData, 1),
    VEZEDO_COORD_ROW(ZData, 2),
    {Property::Color,
     [](const GraphicsModel&, const GraphicsObject& o) { return colorToValue(o.as<LineData>().color); },
     [](GraphicsModel&, GraphicsObject& o, const Value& v) {
         return assign(o.as<LineData>().color, colorFromValue(v));
     }},
    {Property::LineStyle,
     [](const GraphicsModel&, const GraphicsObject& o) {
         return Value(std::string(lineStyleName(o.as<LineData>().style)));
     },
     [](GraphicsModel&, GraphicsObject& o, const Value& v) {
         return assign(o.as<LineData>().style, lineStyleFromName(textOf(v, "LineStyle")));
     }},
    {Property::Marker,
     [](const GraphicsModel&, const GraphicsObject& o) {
         return Value(std::string(markerName(o.as<LineData>().marker)));
     },
     [](GraphicsModel&, GraphicsObject& o, const Value& v) {
         return assign(o.as<LineData>().marker, markerFromName(textOf(v, "Marker")));
     }},
    {Property::LineWidth, [](const GraphicsModel&, const GraphicsObject& o) { return Value(o.as<LineData>().width); },
     [](GraphicsModel&, GraphicsObject& o, const Value& v) {
         const double w = numberOf(v, "LineWidth");
         if (!(w > 0))
             throw Error("The LineWidth property must be a positive number");
         return assign(o.as<LineData>().width, w);
     }},
    {Property::MarkerSize,
     [](const GraphicsModel&, const GraphicsObject& o) { return Value(o.as<LineData>().markerSize); },
     [](GraphicsModel&, GraphicsObject& o, const Value& v) {
         const double s = numberOf(v, "MarkerSize");
         if (!(s > 0))
             throw Error("The MarkerSize property must be a positive number");
         return assign(o.as<LineData>().markerSize, s);
     }},
};
#undef VEZEDO_COORD_ROW

// --- text ---

const PropertyRow kTextRows[] = {
    {Property::Position,
     [](const GraphicsModel&, const GraphicsObject& o) {
         const Point3& p = o.as<TextData>().position;
         return Value(Matrix::rowVector({p[0], p[1], p[2]}));
     },
     [](GraphicsModel&, GraphicsObject& o, const Value& v) {
         if (!v.isMatrix() || (v.matrix().numel() != 3 && v.matrix().numel() != 2))
             throw Error("The Position property of a text takes [x y z]; found " + v.describe());
         const Matrix& m = v.matrix();
         return assign(o.as<TextData>().position, Point3{m[0], m[1], m.numel() == 3 ? m[2] : 0.0});
     }},
    {Property::String, [](const GraphicsModel&, const GraphicsObject& o) { return Value(o.as<TextData>().string); },
     [](GraphicsModel&, GraphicsObject& o, const Value& v) {
         return assign(o.as<TextData>().string, textOf(v, "String"));
     }},
    {Property::Color,
     [](const GraphicsModel&, const GraphicsObject& o) { return colorToValue(o.as<TextData>().color); },
     [](GraphicsModel&, GraphicsObject& o, const Value& v) {
         return assign(o.as<TextData>().color, colorFromValue(v));
     }},
};

// --- ui control ---

Value callbackValue(const Callback& cb)
{
    if (cb.empty())
        return Value(std::string());
    CellList cell{Value(cb.function)};
    for (const CallbackArg& arg : cb.args) {
        if (const Value* v = std::get_if<Value>(&arg))
            cell.push_back(*v);
        else
            cell.push_back(Value());  // resolved only when the callback runs
    }
    return cell;
}

Callback callbackFrom(const Value& v)
{
    Callback cb;
    if (v.isString()) {
        cb.function = v.string();
        return cb;
    }
    if (v.isCell() && !v.cell().empty() && v.cell().front().isString()) {
        cb.function = v.cell().front().string();
        for (std::size_t i = 1; i < v.cell().size(); ++i)
            cb.args.emplace_back(v.cell()[i]);
        return cb;
    }
    if (v.isEmptyMatrix())
        return cb;
    throw Error("The Callback property takes a function name, or a cell list of a function name and its "
                "arguments; found " +
                v.describe());
}

const PropertyRow kUiControlRows[] = {
    {Property::Style, [](const GraphicsModel&, const GraphicsObject& o) { return Value(o.as<UiControlData>().style); },
     [](GraphicsModel&, GraphicsObject& o, const Value& v) {
         return assign(o.as<UiControlData>().style, choiceOf(v, "Style",
                                                             {"pushbutton", "togglebutton", "radiobutton", "checkbox",
                                                              "edit", "text", "listbox", "popupmenu", "frame"}));
     }},
    {Property::String,
     [](const GraphicsModel&, const GraphicsObject& o) { return Value(o.as<UiControlData>().string); },
     [](GraphicsModel&, GraphicsObject& o, const Value& v) {
         return assign(o.as<UiControlData>().string, textOf(v, "String"));
     }},
    {Property::Value, [](const GraphicsModel&, const GraphicsObject& o) { return Value(o.as<UiControlData>().value); },
     [](GraphicsModel&, GraphicsObject& o, const Value& v) {
         return assign(o.as<UiControlData>().value, numberOf(v, "Value"));
     }},
    {Property::Min, [](const GraphicsModel&, const GraphicsObject& o) { return Value(o.as<UiControlData>().min); },
     [](GraphicsModel&, GraphicsObject& o, const Value& v) {
         return assign(o.as<UiControlData>().min, numberOf(v, "Min"));
     }},
    {Property::Max, [](const GraphicsModel&, const GraphicsObject& o) { return Value(o.as<UiControlData>().max); },
     [](GraphicsModel&, GraphicsObject& o, const Value& v) {
         return assign(o.as<UiControlData>().max, numberOf(v, "Max"));
     }},
    {Property::Enable,
     [](const GraphicsModel&, const GraphicsObject& o) { return Value(o.as<UiControlData>().enable); },
     [](GraphicsModel&, GraphicsObject& o, const Value& v) {
         return assign(o.as<UiControlData>().enable, choiceOf(v, "Enable", {"on", "off", "inactive"}));
     }},
    {Property::Position,
     [](const GraphicsModel&, const GraphicsObject& o) { return rectValue(o.as<UiControlData>().position); },
     [](GraphicsModel&, GraphicsObject& o, const Value& v) {
         return assign(o.as<UiControlData>().position, rectOf(v, "Position"));
     }},
    {Property::Units, [](const GraphicsModel&, const GraphicsObject&) { return Value(std::string("pixels")); },
     [](GraphicsModel&, GraphicsObject&, const Value& v) {
         choiceOf(v, "Units", {"pixels"});
         return false;
     }},
    {Property::Callback,
     [](const GraphicsModel&, const GraphicsObject& o) { return callbackValue(o.as<UiControlData>().callback); },
     [](GraphicsModel&, GraphicsObject& o, const Value& v) {
         UiControlData& d = o.as<UiControlData>();
         Callback cb = callbackFrom(v);
         const bool changed = cb.function != d.callback.function || !d.callback.args.empty() || !cb.args.empty();
         d.callback = std::move(cb);
         return changed;
     }},
    {Property::BackgroundColor,
     [](const GraphicsModel& m, const GraphicsObject& o) {
         const auto& bg = o.as<UiControlData>().background;
         return colorToValue(bg ? *bg : m.root().defaultUicontrolBackground);
     },
     [](GraphicsModel&, GraphicsObject& o, const Value& v) {
         return assign(o.as<UiControlData>().background, std::optional<Rgb>(colorFromValue(v)));
     }},
    {Property::TooltipString,
     [](const GraphicsModel&, const GraphicsObject& o) { return Value(o.as<UiControlData>().tooltip); },
     [](GraphicsModel&, GraphicsObject& o, const Value& v) {
         return assign(o.as<UiControlData>().tooltip, textOf(v, "TooltipString"));
     }},
};

std::span<const PropertyRow> rowsOf(ObjectType type)
{
    switch (type) {
    case ObjectType::Root:
        return kRootRows;
    case ObjectType::Figure:
        return kFigureRows;
    case ObjectType::Axes:
        return kAxesRows;
    case ObjectType::Line:
        return kLineRows;
    case ObjectType::Text:
        return kTextRows;
    case ObjectType::UiControl:
        return kUiControlRows;
    }
    return {};
}

bool hasFont(ObjectType type)
{
    return type == ObjectType::Axes || type == ObjectType::Text;
}

const PropertyRow* findRow(ObjectType type, std::string_view name)
{
    for (const PropertyRow& row : rowsOf(type))
        if (sameName(propertyName(row.property), name))
            return &row;
    if (hasFont(type))
        for (const PropertyRow& row : kFontRows)
            if (sameName(propertyName(row.property), name))
                return &row;
    for (const PropertyRow& row : kCommonRows)
        if (sameName(propertyName(row.property), name))
            return &row;
    return nullptr;
}

const PropertyRow& requireRow(const GraphicsObject& obj, std::string_view name)
{
    if (const PropertyRow* row = findRow(obj.type, name))
        return *row;
    throw Error("There is no " + std::string(name) + " property of a " + std::string(typeName(obj.type)) + " object");
}

}  // namespace

std::string_view propertyName(Property property)
{
    switch (property) {
#define VEZEDO_NAME(NAME)                                                                                              \
    case Property::NAME:                                                                                               \
        return #NAME;
        VEZEDO_NAME(Type)
        VEZEDO_NAME(Parent)
        VEZEDO_NAME(Children)
        VEZEDO_NAME(Tag)
        VEZEDO_NAME(Visible)
        VEZEDO_NAME(HandleVisibility)
        VEZEDO_NAME(ScreenSize)
        VEZEDO_NAME(Units)
        VEZEDO_NAME(CurrentFigure)
        VEZEDO_NAME(DefaultUicontrolBackgroundColor)
        VEZEDO_NAME(Position)
        VEZEDO_NAME(OuterPosition)
        VEZEDO_NAME(ActivePositionProperty)
        VEZEDO_NAME(Name)
        VEZEDO_NAME(Color)
        VEZEDO_NAME(CurrentAxes)
        VEZEDO_NAME(Frame)
        VEZEDO_NAME(FontName)
        VEZEDO_NAME(FontSize)
        VEZEDO_NAME(FontAngle)
        VEZEDO_NAME(FontWeight)
        VEZEDO_NAME(NextPlot)
        VEZEDO_NAME(XLimMode)
        VEZEDO_NAME(DataAspectRatioMode)
        VEZEDO_NAME(YLabel)
        VEZEDO_NAME(View)
        VEZEDO_NAME(XData)
        VEZEDO_NAME(YData)
        VEZEDO_NAME(ZData)
        VEZEDO_NAME(LineStyle)
        VEZEDO_NAME(Marker)
        VEZEDO_NAME(LineWidth)
        VEZEDO_NAME(MarkerSize)
        VEZEDO_NAME(String)
        VEZEDO_NAME(Style)
        VEZEDO_NAME(Value)
        VEZEDO_NAME(Min)
        VEZEDO_NAME(Max)
        VEZEDO_NAME(Enable)
        VEZEDO_NAME(Callback)
        VEZEDO_NAME(BackgroundColor)
        VEZEDO_NAME(TooltipString)
        VEZEDO_NAME(Label)
        VEZEDO_NAME(Legend)
#undef VEZEDO_NAME
    }
    return "unknown";
}

Rect rectOf(const Value& v, std::string_view property)
{
    if (!v.isMatrix() || v.matrix().numel() != 4)
        throw Error("The " + std::string(property) + " property takes [x y width height]; found " + v.describe());
    const Matrix& m = v.matrix();
    return {m[0], m[1], m[2], m[3]};
}

Value GraphicsModel::get(Handle h, std::string_view property) const
{
    const GraphicsObject& obj = object(h);
    return requireRow(obj, property).get(*this, obj);
}

void GraphicsModel::set(Handle h, std::string_view property, const Value& value)
{
    GraphicsObject& obj = mutableObject(h);
    const PropertyRow& row = requireRow(obj, property);
    if (!row.set)
        throw Error("The " + std::string(propertyName(row.property)) + " property of a " +
                    std::string(typeName(obj.type)) + " object cannot be set");
    if (row.set(*this, obj, value))
        notifyChanged(obj, row.property);
}

}  // namespace vezedo::platform
