#pragma once

// Steps and checks shared by the action scenarios: typing into boxes, the console written by
// one action, the message boxes it showed, and the state a refused action must leave alone.

#include <optional>
#include <string>
#include <vector>

#include "platform/textformat.h"
#include "scenario.h"

namespace vezedo::test {

using Blocks = std::vector<session::BlockStructure::Lines>;

// The protocol of the block scenarios: 13 lines over 8 landmarks.
inline const Pairs kChain{{1, 2}, {2, 3}, {3, 4}, {4, 5}, {5, 6}, {6, 7}, {7, 8},
                          {1, 3}, {2, 4}, {3, 5}, {4, 6}, {5, 7}, {6, 8}};
inline Pairs chain(std::size_t m)
{
    return Pairs(kChain.begin(), kChain.begin() + static_cast<long>(m));
}

// Specimens of 8 landmarks and the first m lines of kChain as "arm.txt", then "SetBlocks"
// with `blocks` when given; the console is emptied afterwards.
inline void setUpBlocks(Scenario& s, std::size_t m = 6, int blocks = 0)
{
    s.loadTps("mice.txt", makeTps(3, 8));
    s.load("LoadProto", "arm.txt", protocolText(chain(m)));
    if (blocks > 0) {
        s.type("MaxBlockBox", std::to_string(blocks));
        s.press("SetBlocks");
    }
    s.h.console.take();
}

// What "ShowBlockStructure" draws for the first m lines of kChain and these blocks, each a
// line specification ("r", "g:") and its protocol lines.
inline Strings blockStructure(std::size_t m, const std::vector<std::pair<std::string, std::vector<int>>>& blocks)
{
    Strings lines, labels;
    for (const auto& [code, list] : blocks) {
        lines = lines + styled(code + " 1.5", kChain, list);
        labels = labels + labelled(code.substr(0, 1), kChain, list);
    }
    return Strings{"r+"} + styled("k 0.5", chain(m)) + Strings{"ro"} + lines + labelled("k", chain(m)) + labels;
}

// The protocol's rows (stored number, first and second landmark), and the line counter
// showing how many there are.
inline void expectProtocol(Scenario& s, const platform::Matrix& rows)
{
    EXPECT_EQ(s.proto(), rows);
    EXPECT_EQ(s.box("ProtoPointBox"), std::to_string(rows.rows()));
}

inline void typeBlock(Scenario& s, const std::string& current, const std::string& lines)
{
    s.type("CurrentBlockBox", current);
    s.type("BlockBox", lines);
}

inline void enterBlock(Scenario& s, const std::string& current, const std::string& lines)
{
    typeBlock(s, current, lines);
    s.press("BlockEnter");
}

inline void typeEnds(Scenario& s, const std::string& first, const std::string& second)
{
    s.type("EndBox1", first);
    s.type("EndBox2", second);
}

// Ticks a check box of the main window, or clears it ("ShowLineButton" switches the protocol
// overlay of the loading and redrawing actions).
inline void tick(Scenario& s, const std::string& tag, bool on)
{
    for (platform::Handle h : s.g().findByTag(tag))
        s.g().set(h, "Value", platform::Value(on ? 1.0 : 0.0));
}

inline std::string yLabelText(Scenario& s)
{
    return s.g().object(s.g().yLabel(s.plotAxes())).as<platform::TextData>().string;
}

// The console line of an action that shows the handle of the control tagged `tag`.
inline std::string nhTrace(Scenario& s, const std::string& tag)
{
    return platform::displayValue("nh", platform::Value(s.g().findByTag(tag).at(0)));
}

// Every one of the pieces of text, given as one text separated by "|".
inline bool containsEach(const std::string& text, const std::string& pieces)
{
    std::size_t start = 0;
    for (std::size_t bar; (bar = pieces.find('|', start)) != std::string::npos; start = bar + 1)
        if (text.find(pieces.substr(start, bar - start)) == std::string::npos)
            return false;
    return text.find(pieces.substr(start)) != std::string::npos;
}

// One message box was shown since the last check, holding each of the pieces; the boxes are
// then forgotten.
inline void expectMessage(Scenario& s, const std::string& pieces)
{
    const Strings texts = s.h.messages.texts();
    EXPECT_EQ(texts.size(), 1u);
    EXPECT_TRUE(texts.size() == 1 && containsEach(texts[0], pieces)) << testing::PrintToString(texts);
    s.h.messages.clear();
}

// The console text written while the action runs.
inline std::string pressed(Scenario& s, const std::string& action)
{
    const std::size_t from = s.h.console.text().size();
    s.press(action);
    return s.h.console.text().substr(from);
}

// What an action that is refused or cancelled must leave as it was.
struct Snapshot {
    session::Session session;
    Strings boxes, shown;
    std::vector<platform::Handle> figures;
    bool operator==(const Snapshot&) const = default;
};

inline Snapshot snapshot(Scenario& s)
{
    const auto& st = s.state();
    Snapshot out{st, {}, {}, s.g().figures()};
    // The edit numbers are bookkeeping, checked by the tests of unsaved work.
    out.session.revisions = {};
    out.session.protocolForm = {};
    // Where the files were read from differs between scenarios (each has its own folder).
    out.session.sources = {};
    for (const char* tag : {"FileBox1", "WireBox", "ProtoPointBox", "BlockBox", "CurrentBlockBox", "MaxBlockBox"})
        out.boxes.push_back(s.box(tag));
    if (st.fighand1 && s.g().isValid(*st.fighand1))
        out.shown = drawing(s);
    return out;
}

// Loads a file that must be refused: one message box naming the file and the problem, and
// nothing else changed. A file named "missing.txt" is not written.
inline void expectRefusedLoad(Scenario& s, const std::string& action, const std::string& name,
                              const std::string& content, const std::string& problem, const Snapshot& before)
{
    SCOPED_TRACE(action + " " + name);
    if (name != "missing.txt")
        s.file(name, content);
    s.press(action, name);
    expectMessage(s, name + "|" + problem);
    EXPECT_TRUE(snapshot(s) == before);
}

}  // namespace vezedo::test
