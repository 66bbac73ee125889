#include "controller/controls.h"

#include <cmath>

#include "platform/error.h"
#include "platform/numtext.h"

namespace vezedo::controller {

using platform::Value;

platform::Handle Control::first() const
{
    const auto found = handles();
    if (found.empty())
        throw Error("No control of the main window is tagged \"" + std::string(m_tag) + "\"");
    return found.front();
}

std::string Control::text() const
{
    return m_graphics.get(first(), "String").string();
}

std::string Control::enable() const
{
    return m_graphics.get(first(), "Enable").string();
}

double Control::value() const
{
    return m_graphics.get(first(), "Value").scalar();
}

double Control::wholeNumber(std::string_view what) const
{
    const std::string typed = text();
    const platform::Matrix m = platform::parseNumericText(typed);
    if (m.numel() != 1 || !std::isfinite(m[0]) || std::floor(m[0]) != m[0])
        throw Error("The box " + std::string(m_tag) + " holds \"" + typed + "\": expected " + std::string(what) +
                    " (one whole number)");
    return m[0];
}

void Control::setText(const std::string& text) const
{
    for (platform::Handle h : handles())
        m_graphics.set(h, "String", Value(text));
}

void Control::setEnable(bool on) const
{
    for (platform::Handle h : handles())
        m_graphics.set(h, "Enable", Value(on ? "on" : "off"));
}

}  // namespace vezedo::controller
