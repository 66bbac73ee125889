#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "platform/error.h"
#include "platform/runtime.h"
#include "shell/program.h"

namespace vezedo::test {

// The message of the Error an action throws; "no error" when it throws none.
template <typename Action> std::string errorOf(const Action& action)
{
    try {
        action();
    } catch (const Error& e) {
        return e.what();
    }
    return "no error";
}

// A headless program with scripted dialogs, recorded message boxes, a captured console and a
// progress that records every step (and stops the action where a test says),
// finding its layout in the source tree.
struct Harness {
    platform::ScriptedDialogs dialogs;
    platform::RecordingMessages messages;
    platform::CapturingConsole console;
    platform::ScriptedProgress progress;
    platform::Runtime rt{dialogs, messages, console, progress};
    shell::Program program{withLayoutFolder(rt)};

    static platform::Runtime& withLayoutFolder(platform::Runtime& r)
    {
        r.layoutFolders = {VEZEDO_LAYOUT_DIR};
        return r;
    }
};

// Puts the process back in the folder it was in, however the test ends.
struct RestoreCurrentFolder {
    std::filesystem::path before = std::filesystem::current_path();
    ~RestoreCurrentFolder()
    {
        std::error_code ec;
        std::filesystem::current_path(before, ec);
    }
};

// A folder of its own under the system's temporary folder, removed afterwards.
class TempDir {
public:
    TempDir()
    {
        static int counter = 0;
        m_path = std::filesystem::temp_directory_path() /
                 ("vezedo6-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        std::filesystem::create_directories(m_path);
    }
    ~TempDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::string write(const std::string& name, const std::string& content) const
    {
        const auto p = m_path / name;
        std::ofstream(p, std::ios::binary) << content;
        return p.string();
    }

private:
    std::filesystem::path m_path;
};

}  // namespace vezedo::test
