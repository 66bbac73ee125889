#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <variant>
#include <vector>

#include "platform/style.h"
#include "platform/subscription.h"
#include "platform/value.h"

namespace vezedo::platform {

// A number naming a graphics object: 0 is the root, whole numbers 1, 2, ... are figures,
// every other object has a handle that is never a whole number and never reused.
using Handle = double;
inline constexpr Handle kRootHandle = 0.0;

enum class ObjectType { Root, Figure, Axes, Line, Text, UiControl };
std::string_view typeName(ObjectType type);  // "root", "figure", "axes", "line", "text", "uicontrol"

enum class HandleVisibility { On, Callback, Off };

// [x y width height]
using Rect = std::array<double, 4>;
using Point3 = std::array<double, 3>;
// [x y width height] from a value of four numbers; otherwise an Error naming the property.
Rect rectOf(const Value& value, std::string_view property);

// What a control's callback calls: a registered function by name with these arguments.
// Placeholders stand for values known only when the callback runs.
enum class CallbackRef { Self, EventData, Handles };
using CallbackArg = std::variant<Value, CallbackRef>;
struct Callback {
    std::string function;
    std::vector<CallbackArg> args;
    bool empty() const { return function.empty(); }
};

// Orthographic view of an axes: angles in degrees, zoom 1 shows the whole box, pan moves the
// view centre in units of the box's half diagonal on screen.
struct Camera {
    static constexpr double kDefaultAzimuth = -37.5;
    static constexpr double kDefaultElevation = 30.0;
    double azimuth = kDefaultAzimuth;
    double elevation = kDefaultElevation;
    double zoom = 1.0;
    std::array<double, 2> pan{0.0, 0.0};
    bool operator==(const Camera&) const = default;
};

struct FontSpec {
    std::string name = "Helvetica";
    double size = 10.0;
    std::string angle = "normal";
    std::string weight = "normal";
    bool operator==(const FontSpec&) const = default;
};

struct RootData {
    std::array<double, 2> screenSize{1920, 1080};  // pixels; a fixed screen when headless
    std::string units = "pixels";
    Handle currentFigure = kRootHandle;  // 0: none
    Rgb defaultUicontrolBackground{0.94, 0.94, 0.94};
};

// The window frame around a figure's inner area: left, bottom, right, top, in pixels. Only the
// front end knows it, once the window is shown.
using WindowFrame = std::array<double, 4>;

struct FigureData {
    Rect position{100, 100, 560, 420};  // inner, pixels from the screen's lower-left corner
    WindowFrame frame{0, 0, 0, 0};
    std::string units = "pixels";
    std::string activePositionProperty = "outerposition";
    std::string name;
    Rgb color{0.8, 0.8, 0.8};
    Handle currentAxes = kRootHandle;  // 0: none yet
};

// One row of an axes' legend: a sample of the line and what it stands for.
struct LegendEntry {
    std::string text;
    Rgb color{0, 0, 0};
    LineStyle style = LineStyle::Solid;
    double width = 0.5;
    bool operator==(const LegendEntry&) const = default;
};

struct AxesData {
    bool hold = false;
    bool limitsAuto = true;
    bool equal = false;
    Handle yLabel = kRootHandle;
    FontSpec font;
    Camera camera;
    std::vector<LegendEntry> legend;  // none: no legend box; cleared with the drawn objects
};

struct LineData {
    std::vector<Point3> points;
    Rgb color{0, 0.447, 0.741};
    LineStyle style = LineStyle::Solid;
    Marker marker = Marker::None;
    double width = 0.5;
    double markerSize = 6.0;
};

// What a text names. A plain text is drawn at its position; a landmark's number and a line's
// number are drawn by the renderer a few pixels from their anchor (the landmark, or the line's
// middle), whatever the zoom and the size of the data.
enum class LabelKind { Plain, Landmark, Line };

struct TextData {
    Point3 position{0, 0, 0};
    std::string string;
    Rgb color{0, 0, 0};
    FontSpec font;
    LabelKind kind = LabelKind::Plain;
    Point3 anchor{0, 0, 0};          // what a landmark or line label names; unused for plain texts
    std::optional<Handle> labelled;  // the drawn line a line label names, when known
};

struct UiControlData {
    std::string style = "pushbutton";
    std::string string;
    double value = 0.0;
    double min = 0.0;
    double max = 1.0;
    std::string enable = "on";
    Rect position{20, 20, 60, 20};  // pixels inside the window, from its lower-left corner
    Callback callback;
    std::optional<Rgb> background;
    std::string tooltip;
};

// One object of the store. The typed payload is the truth for its properties.
struct GraphicsObject {
    ObjectType type = ObjectType::Root;
    Handle handle = kRootHandle;
    Handle parent = kRootHandle;
    std::vector<Handle> children;  // in creation order
    std::string tag;
    bool visible = true;
    HandleVisibility handleVisibility = HandleVisibility::On;
    std::map<std::string, Value, std::less<>> appData;
    std::variant<RootData, FigureData, AxesData, LineData, TextData, UiControlData> data;

    template <typename T> T& as() { return std::get<T>(data); }
    template <typename T> const T& as() const { return std::get<T>(data); }
};

// The properties of graphics objects, by which observers learn what changed. Most have a
// display name in the property table; Frame and Label are known to the front end only.
enum class Property {
    // every object
    Type,
    Parent,
    Children,
    Tag,
    Visible,
    HandleVisibility,
    // the root
    ScreenSize,
    Units,
    CurrentFigure,
    DefaultUicontrolBackgroundColor,
    // windows (Position, Units and Color are shared with other types)
    Position,
    OuterPosition,
    ActivePositionProperty,
    Name,
    Color,
    CurrentAxes,
    Frame,
    // axes and texts
    FontName,
    FontSize,
    FontAngle,
    FontWeight,
    // axes
    NextPlot,
    XLimMode,
    DataAspectRatioMode,
    YLabel,
    View,
    // lines
    XData,
    YData,
    ZData,
    LineStyle,
    Marker,
    LineWidth,
    MarkerSize,
    // texts and controls
    String,
    // controls
    Style,
    Value,
    Min,
    Max,
    Enable,
    Callback,
    BackgroundColor,
    TooltipString,
    // texts: what the text names (LabelKind and anchor)
    Label,
    // axes: the legend's rows
    Legend,
};
std::string_view propertyName(Property property);  // the display name: "String", "Position", ...

// Raise is a request, not a change: show the window on top of the others.
enum class ModelEventKind { Created, Changed, Destroyed, Raise };

// `property` names what changed; it is empty for every kind but Changed.
struct ModelEvent {
    ModelEventKind kind;
    Handle handle;
    ObjectType type;
    Handle parent;
    std::optional<Property> property;
};

// The store of every graphics object (handle -> object): windows, axes, lines, texts and
// controls, their properties and application data, the current figure and axes, and the
// observers that follow every change.
class GraphicsModel {
public:
    using Observer = std::function<void(const ModelEvent&)>;

    GraphicsModel();
    ~GraphicsModel();
    GraphicsModel(const GraphicsModel&) = delete;
    GraphicsModel& operator=(const GraphicsModel&) = delete;

    // --- objects ---
    bool isValid(Handle h) const;
    // Throws an Error when h names no object. Every change goes through the setters below,
    // so that observers hear it.
    const GraphicsObject& object(Handle h) const;
    const GraphicsObject* find(Handle h) const;
    ObjectType type(Handle h) const { return object(h).type; }
    Handle parent(Handle h) const { return object(h).parent; }
    // The window that holds h (h itself for a window); nullopt for the root.
    std::optional<Handle> figureOf(Handle h) const;

    // Every object of a window, the window first, then depth first in creation order,
    // hidden handles included.
    std::vector<Handle> listObjects(Handle figure) const;
    // All objects of all open windows whose tag equals `tag` exactly, windows in
    // ascending handle order.
    std::vector<Handle> findByTag(std::string_view tag) const;
    std::vector<Handle> figures() const;  // ascending

    // --- windows ---
    Handle createFigure();  // the lowest free positive whole number
    // Makes the window current. A whole number naming no open window creates a new empty
    // window under that number; any other value is an error.
    Handle makeFigureCurrent(double h);
    std::optional<Handle> currentFigure() const;
    Handle currentFigureOrNew();  // gcf: creates a window when none is open
    // Makes the window current and asks the front end to raise it (a Raise event).
    void bringToFront(Handle figure);
    void setFrame(Handle figure, const WindowFrame& frame);

    // --- axes ---
    // The window's current axes, created on first use.
    Handle currentAxes(Handle figure);
    Handle currentAxesOrNew();  // of the current window (created when needed)
    Handle createAxes(Handle figure);
    void setHold(Handle axes, bool on);
    void setAxisAuto(Handle axes);
    void setAxisEqual(Handle axes);
    // Deletes the objects drawn in the axes whose handles are not hidden; the axes, its
    // settings, hold state and labels stay.
    void clearAxes(Handle axes);
    Handle yLabel(Handle axes);
    void setCamera(Handle axes, const Camera& camera);
    // The rows of the axes' legend, drawn in a box in a corner of the plot; clearing the axes
    // removes them.
    void setLegend(Handle axes, std::vector<LegendEntry> entries);

    // --- drawing ---
    // One line object through the points; with hold off the axes is cleared first.
    Handle plot3(Handle axes, std::vector<Point3> points, const LineSpec& style);
    Handle text3(Handle axes, const Point3& at, std::string string);
    // Makes a text the label of a landmark or of a line's middle (or plain again); an Error
    // unless h is a text.
    // `labelled` links a line label to the line it numbers, so a click on that line finds
    // its number through the link.
    void setLabel(Handle text, LabelKind kind, const Point3& anchor, std::optional<Handle> labelled = std::nullopt);

    // --- controls ---
    Handle createUiControl(Handle figure, UiControlData data, std::string tag = {});

    // --- deleting ---
    void deleteObject(Handle h);  // with its descendants

    // --- properties by name (names compare case-insensitively) ---
    Value get(Handle h, std::string_view property) const;
    void set(Handle h, std::string_view property, const Value& value);
    void setTag(Handle h, std::string tag);
    void setVisible(Handle h, bool on);
    void setHandleVisibility(Handle h, HandleVisibility v);
    void setUiString(Handle h, std::string text);
    void setUiValue(Handle h, double value);

    // --- application data (the root's too) ---
    void setAppData(Handle h, const std::string& key, Value value);
    const Value* appData(Handle h, std::string_view key) const;

    // --- root ---
    void setScreenSize(double width, double height);
    const RootData& root() const;

    // How many objects the store has room for: the most that were alive at once, not the
    // number ever made.
    std::size_t capacity() const { return m_slots.size(); }

    // --- observers ---
    Subscription subscribe(Observer observer) { return m_observers.subscribe(std::move(observer)); }

private:
    GraphicsObject& mutableObject(Handle h);
    AxesData& mutableAxes(Handle axes);       // an Error unless h is an axes
    UiControlData& mutableControl(Handle h);  // an Error unless h is a control
    Handle insert(std::unique_ptr<GraphicsObject> obj, Handle parent);
    Handle createYLabel(Handle axes);
    void destroyTree(Handle h, bool detachFromParent);
    void notify(ModelEventKind kind, const GraphicsObject& obj, std::optional<Property> property = std::nullopt);
    void notifyChanged(const GraphicsObject& obj, Property property);
    GraphicsObject* lookup(Handle h);
    const GraphicsObject* lookup(Handle h) const;

    // Slot i holds the object whose non-window handle is (g 2^kSlotBits + i) + 0.5, g the
    // slot's generation: a deleted object's slot is used again by a later one under a new
    // handle, so memory follows the live objects while a stale handle still names nothing.
    // Windows and the root sit in slots too, reached through m_figureSlots.
    static constexpr int kSlotBits = 26;
    std::size_t takeSlot();
    std::vector<std::unique_ptr<GraphicsObject>> m_slots;
    std::vector<std::uint32_t> m_generations;  // per slot: how often it was used before
    std::vector<std::size_t> m_freeSlots;
    std::map<int, std::size_t> m_figureSlots;  // window number -> slot
    std::vector<Handle> m_figureOrder;         // open windows, most recently current last
    ObserverList<ModelEvent> m_observers;
};

}  // namespace vezedo::platform
