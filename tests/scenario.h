#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "harness.h"
#include "platform/error.h"
#include "platform/scene.h"
#include "session/session.h"

namespace vezedo::test {

// The whole program headless with its main window open, driven as a user would: type into
// boxes, answer dialogs, press action buttons. Files go to a folder of their own; the
// process's current folder is put back afterwards.
struct Scenario {
    Harness h;
    TempDir dir;
    RestoreCurrentFolder folder;
    platform::Handle mainWindow = h.program.start();

    platform::GraphicsModel& g() { return h.rt.graphics; }
    session::Session& state() { return h.program.controller().session(); }
    // The protocol and the wireframe as rows: stored number, first and second landmark.
    platform::Matrix proto() { return state().protocol.rows(); }
    platform::Matrix wirelist() { return state().wireframe.rows(); }

    // Runs an action as its button does: errors go to the console.
    void press(const std::string& action)
    {
        try {
            h.program.registry().call("vezedosw", {platform::Value(action)}, 0);
        } catch (const std::exception& e) {
            h.console.write(std::string(e.what()) + "\n");
        }
    }

    void type(const std::string& tag, const std::string& text)
    {
        for (platform::Handle c : g().findByTag(tag))
            g().set(c, "String", platform::Value(text));
    }

    std::string box(const std::string& tag) { return g().get(g().findByTag(tag).at(0), "String").string(); }
    platform::Value property(const std::string& tag, const std::string& name)
    {
        return g().get(g().findByTag(tag).at(0), name);
    }

    std::string file(const std::string& name, const std::string& content) { return dir.write(name, content); }
    std::string read(const std::string& name)
    {
        std::ifstream in(dir.path() / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    void answer(const std::string& name) { h.dialogs.queuePath((dir.path() / name).string()); }
    void cancel() { h.dialogs.queueCancel(); }
    // Presses an action whose file dialog is answered with `name` in the scenario's folder.
    void press(const std::string& action, const std::string& name)
    {
        answer(name);
        press(action);
    }
    // Writes a file and loads it through the action's dialog.
    void load(const std::string& action, const std::string& name, const std::string& content)
    {
        file(name, content);
        press(action, name);
    }
    void loadTps(const std::string& name, const std::string& content) { load("LoadFile1", name, content); }

    // The plot window's axes and the objects drawn in them, in drawing order.
    platform::Handle plotAxes() { return g().currentAxes(*state().fighand1); }
    std::vector<platform::Handle> drawn(platform::ObjectType type)
    {
        std::vector<platform::Handle> out;
        for (platform::Handle c : g().object(plotAxes()).children)
            if (g().type(c) == type && g().object(c).handleVisibility == platform::HandleVisibility::On)
                out.push_back(c);
        return out;
    }
};

using Strings = std::vector<std::string>;
using Pairs = std::vector<std::pair<int, int>>;  // protocol lines as landmark numbers

Strings operator+(Strings a, const Strings& b);

// The plot window as text: its visible lines in drawing order, then its texts. The reference
// shape is its colour and marker ("b*"); another line "<colour><':' if dotted> <width> <where>"
// ("r: 1.5 2-3"); a text "<string> <colour> <where>". Where: "a-b" for the segment from
// landmark a to landmark b or, for one point, its middle (a <= b); "@i" for 0.02 off landmark
// i on every axis; "?" for anywhere else.
Strings drawing(Scenario& s);
// The landmark numbers: "1 k @1" to "p k @p".
Strings marks(std::size_t p);
// Protocol lines `lines` (numbers into `pairs`, all of them when none are given) drawn in
// `style` ("k 0.5"), or their numbers at their middles in `colour`.
Strings styled(const std::string& style, const Pairs& pairs, const std::vector<int>& lines = {});
Strings labelled(const std::string& colour, const Pairs& pairs, const std::vector<int>& lines = {});

// A protocol file of the pairs, lines numbered from 1.
std::string protocolText(const Pairs& pairs);
// A numeric table as text, one row a line, every number exact.
std::string tableText(const std::vector<std::vector<double>>& rows);

// A TPS file of `k` specimens of `p` landmarks: specimen j is a fixed shape scaled by
// (1 + j / 10), turned by j * 0.3 radians about z and moved by (j, 2j, -j).
std::string makeTps(std::size_t k, std::size_t p);

}  // namespace vezedo::test

// Test files join expected drawings with "+".
using vezedo::test::operator+;
