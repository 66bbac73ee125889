#include "platform/graphics.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "platform/error.h"
#include "platform/numtext.h"

namespace vezedo::platform {

namespace {

constexpr double kMaxFigureNumber = 2147483646.0;

bool isWholeFigureNumber(double h)
{
    return std::isfinite(h) && h >= 1.0 && h <= kMaxFigureNumber && std::floor(h) == h;
}

std::string handleText(double h)
{
    return numberToText(h);
}

}  // namespace

std::string_view typeName(ObjectType type)
{
    switch (type) {
    case ObjectType::Root:
        return "root";
    case ObjectType::Figure:
        return "figure";
    case ObjectType::Axes:
        return "axes";
    case ObjectType::Line:
        return "line";
    case ObjectType::Text:
        return "text";
    case ObjectType::UiControl:
        return "uicontrol";
    }
    return "unknown";
}

// --- GraphicsModel ---

GraphicsModel::GraphicsModel()
{
    auto root = std::make_unique<GraphicsObject>();
    root->type = ObjectType::Root;
    root->data = RootData{};
    m_slots.push_back(std::move(root));
    m_generations.push_back(0);
}

GraphicsModel::~GraphicsModel() = default;

GraphicsObject* GraphicsModel::lookup(Handle h)
{
    return const_cast<GraphicsObject*>(std::as_const(*this).lookup(h));
}

const GraphicsObject* GraphicsModel::lookup(Handle h) const
{
    if (h == kRootHandle)
        return m_slots[0].get();
    if (!std::isfinite(h) || h < 0)
        return nullptr;
    const double whole = std::floor(h);
    if (whole == h) {
        if (h > kMaxFigureNumber)
            return nullptr;
        auto it = m_figureSlots.find(static_cast<int>(h));
        return it == m_figureSlots.end() ? nullptr : m_slots[it->second].get();
    }
    if (h - whole != 0.5 || whole >= 0x1p52)
        return nullptr;
    const std::size_t slot = static_cast<std::size_t>(whole) & ((std::size_t{1} << kSlotBits) - 1);
    if (slot >= m_slots.size())
        return nullptr;
    // Slots of windows and of the root are reached by their own handles only; a slot used
    // again answers only to its new handle.
    const GraphicsObject* obj = m_slots[slot].get();
    return obj && obj->handle == h ? obj : nullptr;
}

bool GraphicsModel::isValid(Handle h) const
{
    return lookup(h) != nullptr;
}

const GraphicsObject* GraphicsModel::find(Handle h) const
{
    return lookup(h);
}

GraphicsObject& GraphicsModel::mutableObject(Handle h)
{
    return const_cast<GraphicsObject&>(std::as_const(*this).object(h));
}

const GraphicsObject& GraphicsModel::object(Handle h) const
{
    if (const GraphicsObject* obj = lookup(h))
        return *obj;
    throw Error("Invalid or deleted object: no graphics object has the handle " + handleText(h));
}

std::optional<Handle> GraphicsModel::figureOf(Handle h) const
{
    const GraphicsObject* obj = lookup(h);
    while (obj && obj->type != ObjectType::Figure) {
        if (obj->type == ObjectType::Root)
            return std::nullopt;
        obj = lookup(obj->parent);
    }
    if (!obj)
        return std::nullopt;
    return obj->handle;
}

std::size_t GraphicsModel::takeSlot()
{
    // A slot whose generations ran out is not used again (after 2^26 objects in it).
    while (!m_freeSlots.empty()) {
        const std::size_t slot = m_freeSlots.back();
        m_freeSlots.pop_back();
        if (m_generations[slot] + 1 < (1u << kSlotBits)) {
            ++m_generations[slot];
            return slot;
        }
    }
    if (m_slots.size() >= (std::size_t{1} << kSlotBits))
        throw Error("Too many graphics objects: close plot windows or redraw to free some");
    m_slots.emplace_back();
    m_generations.push_back(0);
    return m_slots.size() - 1;
}

Handle GraphicsModel::insert(std::unique_ptr<GraphicsObject> obj, Handle parent)
{
    GraphicsObject& owner = mutableObject(parent);
    obj->parent = parent;
    const std::size_t slot = takeSlot();
    if (obj->type == ObjectType::Figure) {
        m_figureSlots[static_cast<int>(obj->handle)] = slot;
    } else {
        const auto serial = (static_cast<std::uint64_t>(m_generations[slot]) << kSlotBits) | slot;
        obj->handle = static_cast<double>(serial) + 0.5;
    }
    const Handle h = obj->handle;
    owner.children.push_back(h);
    m_slots[slot] = std::move(obj);
    notify(ModelEventKind::Created, *m_slots[slot]);
    return h;
}

void GraphicsModel::notify(ModelEventKind kind, const GraphicsObject& obj, std::optional<Property> property)
{
    if (!m_observers.empty())
        m_observers.notify(ModelEvent{kind, obj.handle, obj.type, obj.parent, property});
}

void GraphicsModel::notifyChanged(const GraphicsObject& obj, Property property)
{
    notify(ModelEventKind::Changed, obj, property);
}

std::vector<Handle> GraphicsModel::figures() const
{
    std::vector<Handle> out;
    out.reserve(m_figureSlots.size());
    for (const auto& [number, slot] : m_figureSlots)
        out.push_back(static_cast<Handle>(number));
    return out;
}

std::vector<Handle> GraphicsModel::listObjects(Handle figure) const
{
    std::vector<Handle> out;
    std::vector<Handle> stack{figure};
    object(figure);  // throws for an invalid handle
    while (!stack.empty()) {
        const Handle h = stack.back();
        stack.pop_back();
        out.push_back(h);
        const auto& kids = object(h).children;
        for (auto it = kids.rbegin(); it != kids.rend(); ++it)
            stack.push_back(*it);
    }
    return out;
}

std::vector<Handle> GraphicsModel::findByTag(std::string_view tag) const
{
    std::vector<Handle> out;
    std::vector<Handle> stack;
    for (const auto& [number, slot] : m_figureSlots) {
        stack.push_back(static_cast<Handle>(number));
        while (!stack.empty()) {
            const GraphicsObject& obj = *lookup(stack.back());
            stack.pop_back();
            if (obj.tag.size() == tag.size() && obj.tag == tag)
                out.push_back(obj.handle);
            for (auto it = obj.children.rbegin(); it != obj.children.rend(); ++it)
                stack.push_back(*it);
        }
    }
    return out;
}

// --- windows ---

Handle GraphicsModel::createFigure()
{
    int number = 1;
    for (const auto& entry : m_figureSlots) {
        if (entry.first != number)
            break;
        ++number;
    }
    return makeFigureCurrent(number);
}

Handle GraphicsModel::makeFigureCurrent(double h)
{
    if (!isWholeFigureNumber(h)) {
        if (const GraphicsObject* obj = lookup(h); obj && obj->type != ObjectType::Figure)
            throw Error("Cannot make object " + handleText(h) + " the current window: it is a " +
                        std::string(typeName(obj->type)) + ", not a window");
        throw Error("Cannot make " + handleText(h) +
                    " the current window: a window handle is a whole number from 1 to 2147483646");
    }
    if (!isValid(h)) {
        auto fig = std::make_unique<GraphicsObject>();
        fig->type = ObjectType::Figure;
        fig->handle = h;
        FigureData data;
        data.name = "";
        fig->data = data;
        insert(std::move(fig), kRootHandle);
    }
    auto& order = m_figureOrder;
    order.erase(std::remove(order.begin(), order.end(), h), order.end());
    order.push_back(h);
    RootData& root = m_slots[0]->as<RootData>();
    if (root.currentFigure != h) {
        root.currentFigure = h;
        notifyChanged(*m_slots[0], Property::CurrentFigure);
    }
    return h;
}

std::optional<Handle> GraphicsModel::currentFigure() const
{
    const Handle h = m_slots[0]->as<RootData>().currentFigure;
    if (h == kRootHandle)
        return std::nullopt;
    return h;
}

void GraphicsModel::bringToFront(Handle figure)
{
    makeFigureCurrent(figure);
    notify(ModelEventKind::Raise, object(figure));
}

void GraphicsModel::setFrame(Handle figure, const WindowFrame& frame)
{
    GraphicsObject& fig = mutableObject(figure);
    if (fig.type != ObjectType::Figure)
        throw Error("Only a window has a frame; object " + handleText(figure) + " is a " +
                    std::string(typeName(fig.type)));
    FigureData& fd = fig.as<FigureData>();
    if (fd.frame == frame)
        return;
    fd.frame = frame;
    notifyChanged(fig, Property::Frame);
}

Handle GraphicsModel::currentFigureOrNew()
{
    if (auto h = currentFigure())
        return *h;
    return createFigure();
}

// --- axes ---

Handle GraphicsModel::createAxes(Handle figure)
{
    const GraphicsObject& fig = object(figure);
    if (fig.type != ObjectType::Figure)
        throw Error("Axes belong to a window; object " + handleText(figure) + " is a " +
                    std::string(typeName(fig.type)));
    auto axes = std::make_unique<GraphicsObject>();
    axes->type = ObjectType::Axes;
    axes->data = AxesData{};
    const Handle h = insert(std::move(axes), figure);
    createYLabel(h);

    FigureData& fd = mutableObject(figure).as<FigureData>();
    fd.currentAxes = h;
    notifyChanged(object(figure), Property::CurrentAxes);
    return h;
}

Handle GraphicsModel::currentAxes(Handle figure)
{
    const GraphicsObject& fig = object(figure);
    if (fig.type != ObjectType::Figure)
        throw Error("Object " + handleText(figure) + " is not a window");
    const Handle current = fig.as<FigureData>().currentAxes;
    if (current != kRootHandle && isValid(current))
        return current;
    return createAxes(figure);
}

Handle GraphicsModel::currentAxesOrNew()
{
    return currentAxes(currentFigureOrNew());
}

AxesData& GraphicsModel::mutableAxes(Handle axes)
{
    GraphicsObject& obj = mutableObject(axes);
    if (obj.type != ObjectType::Axes)
        throw Error("Object is a " + std::string(typeName(obj.type)) + ", not an axes");
    return obj.as<AxesData>();
}

void GraphicsModel::setHold(Handle axes, bool on)
{
    AxesData& ad = mutableAxes(axes);
    if (ad.hold == on)
        return;
    ad.hold = on;
    notifyChanged(object(axes), Property::NextPlot);
}

void GraphicsModel::setAxisAuto(Handle axes)
{
    AxesData& ad = mutableAxes(axes);
    if (ad.limitsAuto)
        return;
    ad.limitsAuto = true;
    notifyChanged(object(axes), Property::XLimMode);
}

void GraphicsModel::setAxisEqual(Handle axes)
{
    AxesData& ad = mutableAxes(axes);
    if (ad.equal)
        return;
    ad.equal = true;
    notifyChanged(object(axes), Property::DataAspectRatioMode);
}

void GraphicsModel::setCamera(Handle axes, const Camera& camera)
{
    AxesData& ad = mutableAxes(axes);
    if (ad.camera == camera)
        return;
    ad.camera = camera;
    notifyChanged(object(axes), Property::View);
}

void GraphicsModel::setLegend(Handle axes, std::vector<LegendEntry> entries)
{
    AxesData& ad = mutableAxes(axes);
    if (ad.legend == entries)
        return;
    ad.legend = std::move(entries);
    notifyChanged(object(axes), Property::Legend);
}

void GraphicsModel::clearAxes(Handle axes)
{
    GraphicsObject& obj = mutableObject(axes);
    if (obj.type != ObjectType::Axes)
        throw Error("Only an axes can be cleared; object " + handleText(axes) + " is a " +
                    std::string(typeName(obj.type)));
    std::vector<Handle> kept;
    std::vector<Handle> doomed;
    for (Handle child : obj.children) {
        if (object(child).handleVisibility == HandleVisibility::On)
            doomed.push_back(child);
        else
            kept.push_back(child);
    }
    AxesData& ad = obj.as<AxesData>();
    if (!ad.legend.empty()) {
        ad.legend.clear();
        notifyChanged(obj, Property::Legend);
    }
    if (doomed.empty())
        return;
    obj.children = std::move(kept);
    for (Handle child : doomed)
        destroyTree(child, false);
}

Handle GraphicsModel::yLabel(Handle axes)
{
    const Handle label = mutableAxes(axes).yLabel;
    if (isValid(label))
        return label;
    return createYLabel(axes);  // the old one was deleted by hand
}

Handle GraphicsModel::createYLabel(Handle axes)
{
    auto label = std::make_unique<GraphicsObject>();
    label->type = ObjectType::Text;
    label->handleVisibility = HandleVisibility::Off;
    label->data = TextData{};
    const Handle h = insert(std::move(label), axes);
    mutableObject(axes).as<AxesData>().yLabel = h;
    return h;
}

// --- drawing ---

Handle GraphicsModel::plot3(Handle axes, std::vector<Point3> points, const LineSpec& style)
{
    AxesData& ad = mutableAxes(axes);
    if (!ad.hold) {
        clearAxes(axes);
        setAxisAuto(axes);
        if (ad.equal) {
            ad.equal = false;
            notifyChanged(object(axes), Property::DataAspectRatioMode);
        }
    }
    auto line = std::make_unique<GraphicsObject>();
    line->type = ObjectType::Line;
    LineData data;
    data.points = std::move(points);
    if (style.color)
        data.color = *style.color;
    if (style.marker) {
        data.marker = *style.marker;
        data.style = style.style.value_or(LineStyle::None);
    } else {
        data.style = style.style.value_or(LineStyle::Solid);
    }
    line->data = std::move(data);
    return insert(std::move(line), axes);
}

Handle GraphicsModel::text3(Handle axes, const Point3& at, std::string string)
{
    mutableAxes(axes);
    auto text = std::make_unique<GraphicsObject>();
    text->type = ObjectType::Text;
    TextData data;
    data.position = at;
    data.string = std::move(string);
    text->data = std::move(data);
    return insert(std::move(text), axes);
}

void GraphicsModel::setLabel(Handle text, LabelKind kind, const Point3& anchor, std::optional<Handle> labelled)
{
    GraphicsObject& obj = mutableObject(text);
    if (obj.type != ObjectType::Text)
        throw Error("Only a text can be a label; object " + handleText(text) + " is a " +
                    std::string(typeName(obj.type)));
    TextData& td = obj.as<TextData>();
    if (td.kind == kind && td.anchor == anchor && td.labelled == labelled)
        return;
    td.kind = kind;
    td.anchor = anchor;
    td.labelled = labelled;
    notifyChanged(obj, Property::Label);
}

// --- controls ---

Handle GraphicsModel::createUiControl(Handle figure, UiControlData data, std::string tag)
{
    const GraphicsObject& fig = object(figure);
    if (fig.type != ObjectType::Figure)
        throw Error("Controls belong to a window; object " + handleText(figure) + " is a " +
                    std::string(typeName(fig.type)));
    auto control = std::make_unique<GraphicsObject>();
    control->type = ObjectType::UiControl;
    control->tag = std::move(tag);
    control->data = std::move(data);
    return insert(std::move(control), figure);
}

// --- deleting ---

void GraphicsModel::deleteObject(Handle h)
{
    const GraphicsObject& obj = object(h);
    if (obj.type == ObjectType::Root)
        throw Error("The root object cannot be deleted");
    destroyTree(h, true);
}

void GraphicsModel::destroyTree(Handle h, bool detachFromParent)
{
    GraphicsObject* obj = lookup(h);
    if (!obj)
        return;
    if (detachFromParent) {
        if (GraphicsObject* parentObj = lookup(obj->parent)) {
            auto& kids = parentObj->children;
            kids.erase(std::remove(kids.begin(), kids.end(), h), kids.end());
        }
    }
    // Children first, so observers see a window go last.
    for (Handle child : obj->children)
        destroyTree(child, false);
    obj->children.clear();
    notify(ModelEventKind::Destroyed, *obj);

    const Handle parentHandle = obj->parent;
    const ObjectType type = obj->type;
    if (type == ObjectType::Figure) {
        auto it = m_figureSlots.find(static_cast<int>(h));
        m_slots[it->second].reset();
        m_freeSlots.push_back(it->second);
        m_figureSlots.erase(it);
        m_figureOrder.erase(std::remove(m_figureOrder.begin(), m_figureOrder.end(), h), m_figureOrder.end());
        RootData& root = m_slots[0]->as<RootData>();
        if (root.currentFigure == h) {
            root.currentFigure = m_figureOrder.empty() ? kRootHandle : m_figureOrder.back();
            notifyChanged(*m_slots[0], Property::CurrentFigure);
        }
        return;
    }
    const std::size_t slot = static_cast<std::size_t>(h) & ((std::size_t{1} << kSlotBits) - 1);
    m_slots[slot].reset();
    m_freeSlots.push_back(slot);
    if (type == ObjectType::Axes) {
        if (GraphicsObject* fig = lookup(parentHandle)) {
            FigureData& fd = fig->as<FigureData>();
            if (fd.currentAxes == h)
                fd.currentAxes = kRootHandle;
        }
    }
}

// --- simple typed setters ---

void GraphicsModel::setTag(Handle h, std::string tag)
{
    GraphicsObject& obj = mutableObject(h);
    if (obj.tag == tag)
        return;
    obj.tag = std::move(tag);
    notifyChanged(obj, Property::Tag);
}

void GraphicsModel::setVisible(Handle h, bool on)
{
    GraphicsObject& obj = mutableObject(h);
    if (obj.visible == on)
        return;
    obj.visible = on;
    notifyChanged(obj, Property::Visible);
}

void GraphicsModel::setHandleVisibility(Handle h, HandleVisibility v)
{
    GraphicsObject& obj = mutableObject(h);
    if (obj.handleVisibility == v)
        return;
    obj.handleVisibility = v;
    notifyChanged(obj, Property::HandleVisibility);
}

UiControlData& GraphicsModel::mutableControl(Handle h)
{
    GraphicsObject& obj = mutableObject(h);
    if (obj.type != ObjectType::UiControl)
        throw Error("Object is a " + std::string(typeName(obj.type)) + ", not a control");
    return obj.as<UiControlData>();
}

void GraphicsModel::setUiString(Handle h, std::string text)
{
    UiControlData& d = mutableControl(h);
    if (d.string == text)
        return;
    d.string = std::move(text);
    notifyChanged(object(h), Property::String);
}

void GraphicsModel::setUiValue(Handle h, double value)
{
    UiControlData& d = mutableControl(h);
    if (d.value == value)
        return;
    d.value = value;
    notifyChanged(object(h), Property::Value);
}

// --- application data ---

void GraphicsModel::setAppData(Handle h, const std::string& key, Value value)
{
    mutableObject(h).appData[key] = std::move(value);
}

const Value* GraphicsModel::appData(Handle h, std::string_view key) const
{
    const auto& data = object(h).appData;
    auto it = data.find(key);
    return it == data.end() ? nullptr : &it->second;
}

// --- root ---

void GraphicsModel::setScreenSize(double width, double height)
{
    RootData& root = m_slots[0]->as<RootData>();
    if (root.screenSize[0] == width && root.screenSize[1] == height)
        return;
    root.screenSize = {width, height};
    notifyChanged(*m_slots[0], Property::ScreenSize);
}

const RootData& GraphicsModel::root() const
{
    return m_slots[0]->as<RootData>();
}

}  // namespace vezedo::platform
