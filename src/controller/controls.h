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

// The tags of the main window's controls, by what the controls are for. This is the one place
// that knows them; the front end uses them to type into boxes as the user would.
namespace tags {
inline constexpr std::string_view specimensText = "FileBox1";
inline constexpr std::string_view protocolText = "WireBox";
inline constexpr std::string_view lineCount = "ProtoPointBox";
inline constexpr std::string_view showProtocolLines = "ShowLineButton";
inline constexpr std::string_view firstLandmark = "EndBox1";
inline constexpr std::string_view secondLandmark = "EndBox2";
inline constexpr std::string_view activeLine = "ActivePointBox";
inline constexpr std::string_view targetLine = "TargetLineBox";
inline constexpr std::string_view blockCount = "MaxBlockBox";
inline constexpr std::string_view setBlocksButton = "SetBlocks";
inline constexpr std::string_view loadBlocksButton = "LoadProtoButton";
inline constexpr std::string_view blockLines = "BlockBox";
inline constexpr std::string_view currentBlock = "CurrentBlockBox";
inline constexpr std::string_view lineLength = "LengthBox";
inline constexpr std::string_view dataSet = "DataSetBox";
inline constexpr std::string_view applyScale = "ApplyScaleBox";
inline constexpr std::string_view allSpecimens = "AllSpecimensBox";
inline constexpr std::string_view specimen = "SpecimenBox";
inline constexpr std::string_view lineName = "LineNameBox";
}  // namespace tags

// The controls of the main window that the actions read and write, by what they are for.
class MainControls {
public:
    explicit MainControls(platform::GraphicsModel& graphics) : m_graphics(graphics) {}

    Control specimensText() const { return get(tags::specimensText); }
    Control protocolText() const { return get(tags::protocolText); }
    Control lineCount() const { return get(tags::lineCount); }
    Control showProtocolLines() const { return get(tags::showProtocolLines); }
    Control firstLandmark() const { return get(tags::firstLandmark); }
    Control secondLandmark() const { return get(tags::secondLandmark); }
    Control activeLine() const { return get(tags::activeLine); }
    Control targetLine() const { return get(tags::targetLine); }
    Control blockCount() const { return get(tags::blockCount); }
    Control setBlocksButton() const { return get(tags::setBlocksButton); }
    Control loadBlocksButton() const { return get(tags::loadBlocksButton); }
    Control blockLines() const { return get(tags::blockLines); }
    Control currentBlock() const { return get(tags::currentBlock); }
    Control lineLength() const { return get(tags::lineLength); }
    Control dataSet() const { return get(tags::dataSet); }
    Control applyScale() const { return get(tags::applyScale); }
    Control allSpecimens() const { return get(tags::allSpecimens); }
    Control specimen() const { return get(tags::specimen); }
    Control lineName() const { return get(tags::lineName); }

private:
    Control get(std::string_view tag) const { return Control(m_graphics, tag); }

    platform::GraphicsModel& m_graphics;
};

}  // namespace vezedo::controller
