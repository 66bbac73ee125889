#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/graphics.h"

namespace vezedo::controller {

// A control of the main window, found by its tag at the moment of use: every object that
// carries the tag is read (the first) or written (all).
class Control {
public:
    Control(platform::GraphicsModel& graphics, std::string_view tag) : m_graphics(graphics), m_tag(tag) {}

    std::string_view tag() const { return m_tag; }
    std::vector<platform::Handle> handles() const { return m_graphics.findByTag(m_tag); }

    // Reading a control that no window holds is an Error naming the tag.
    std::string text() const;
    double value() const;
    // A whole number typed into the box; an Error naming the box and its text otherwise.
    double wholeNumber(std::string_view what) const;

    std::string enable() const;  // "on" or "off"

    void setText(const std::string& text) const;
    void setEnable(bool on) const;

private:
    platform::Handle first() const;

    platform::GraphicsModel& m_graphics;
    std::string_view m_tag;
};

// The controls of the main window that the actions read and write, by what they are for.
// This is the one place that knows their tags.
class MainControls {
public:
    explicit MainControls(platform::GraphicsModel& graphics) : m_graphics(graphics) {}

    Control specimensText() const { return get("FileBox1"); }
    Control protocolText() const { return get("WireBox"); }
    Control lineCount() const { return get("ProtoPointBox"); }
    Control showProtocolLines() const { return get("ShowLineButton"); }
    Control firstLandmark() const { return get("EndBox1"); }
    Control secondLandmark() const { return get("EndBox2"); }
    Control activeLine() const { return get("ActivePointBox"); }
    Control targetLine() const { return get("TargetLineBox"); }
    Control blockCount() const { return get("MaxBlockBox"); }
    Control setBlocksButton() const { return get("SetBlocks"); }
    Control loadBlocksButton() const { return get("LoadProtoButton"); }
    Control blockLines() const { return get("BlockBox"); }
    Control currentBlock() const { return get("CurrentBlockBox"); }
    Control lineLength() const { return get("LengthBox"); }
    Control dataSet() const { return get("DataSetBox"); }
    Control applyScale() const { return get("ApplyScaleBox"); }
    Control allSpecimens() const { return get("AllSpecimensBox"); }
    Control specimen() const { return get("SpecimenBox"); }

private:
    Control get(std::string_view tag) const { return Control(m_graphics, tag); }

    platform::GraphicsModel& m_graphics;
};

}  // namespace vezedo::controller
