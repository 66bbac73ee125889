#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "harness.h"
#include "platform/error.h"
#include "platform/scene.h"

namespace vezedo::test {

// The whole program headless with its main window open, driven as a user would: type into
// boxes, answer dialogs, press action buttons. Files go to a folder of their own; the
// process's current folder is put back afterwards.
struct Scenario {
    Harness h;
    TempDir dir;
    std::filesystem::path savedCwd = std::filesystem::current_path();
    platform::Handle mainWindow = h.program.start();

    ~Scenario()
    {
        std::error_code ec;
        std::filesystem::current_path(savedCwd, ec);
    }

    platform::GraphicsModel& g() { return h.rt.graphics; }
    controller::ControllerState& state() { return h.program.controller().state(); }

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

    // Loads a TPS text through "LoadFile1".
    void loadTps(const std::string& name, const std::string& content)
    {
        file(name, content);
        answer(name);
        press("LoadFile1");
    }

    // The plot window's axes and the objects drawn in them, as recorded primitives of
    // their kind: lines (with colour, style and width) and texts (with colour).
    platform::Handle plotAxes() { return g().currentAxes(*state().fighand1); }
    std::vector<platform::Handle> drawn(platform::ObjectType type)
    {
        std::vector<platform::Handle> out;
        for (platform::Handle c : g().object(plotAxes()).children)
            if (g().type(c) == type && g().object(c).handleVisibility == platform::HandleVisibility::On)
                out.push_back(c);
        return out;
    }
    std::vector<std::string> texts()
    {
        std::vector<std::string> out;
        for (platform::Handle t : drawn(platform::ObjectType::Text))
            out.push_back(g().object(t).as<platform::TextData>().string);
        return out;
    }
};

// A TPS file of `k` specimens of `p` landmarks: specimen j is a fixed shape scaled by
// (1 + j / 10), turned by j * 0.3 radians about z and moved by (j, 2j, -j).
std::string makeTps(std::size_t k, std::size_t p);

}  // namespace vezedo::test
