#include "gui/gui.h"
#include "platform/error.h"

namespace vezedo::gui {

namespace {
constexpr const char* kNotAFigureError = "H must be the handle to a figure or figure descendent.";

bool isOneValidHandle(const platform::GraphicsModel& model, const Value& h)
{
    return h.isMatrix() && h.matrix().isScalar() && model.isValid(h.matrix()[0]);
}
}  // namespace

std::optional<Handle> getParentFigure(const platform::GraphicsModel& model, Handle h)
{
    // Walk up through "type" and "parent" until a window; the root's parent is empty.
    Handle current = h;
    while (model.get(current, "type").string() != "figure") {
        const Value parent = model.get(current, "parent");
        if (parent.isEmptyMatrix())
            return std::nullopt;
        current = parent.scalar();
    }
    return current;
}

Handle requireParentFigure(const platform::GraphicsModel& model, const Value& h)
{
    if (isOneValidHandle(model, h))
        if (auto fig = getParentFigure(model, h.matrix()[0]))
            return *fig;
    throw Error(kNotAFigureError);
}

Record createHandles(const platform::GraphicsModel& model, Handle figure)
{
    Record table;
    for (Handle h : model.listObjects(figure)) {
        const std::string& tag = model.object(h).tag;
        if (tag.empty() || !isvarname(Value(tag)))
            continue;
        if (Value* field = table.find(tag)) {
            platform::Matrix& row = field->matrix();
            row.set(row.numel() + 1, h);
        } else {
            table.set(tag, Value(h));
        }
    }
    return table;
}

Record guihandles(Runtime& rt, const Value* h)
{
    const Handle figure = h ? requireParentFigure(rt.graphics, *h) : rt.graphics.currentFigureOrNew();
    return createHandles(rt.graphics, figure);
}

Value guidata(Runtime& rt, const Value& h)
{
    const Handle figure = requireParentFigure(rt.graphics, h);
    const Value* data = rt.graphics.appData(figure, kGuiDataKey);
    return data ? *data : Value();
}

void guidata(Runtime& rt, const Value& h, Value data)
{
    const Handle figure = requireParentFigure(rt.graphics, h);
    rt.graphics.setAppData(figure, std::string(kGuiDataKey), std::move(data));
}

}  // namespace vezedo::gui
