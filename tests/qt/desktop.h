#pragma once

#include <QApplication>
#include <string>

#include "../harness.h"
#include "qt/frontend.h"
#include "qt/qtservices.h"

namespace vezedo::test {

using platform::Handle;

inline constexpr const char* kShape =
    "LM=4\n0 0 0\n3 0 0\n0 4 0\n0 0 5\nID=a\nLM=4\n1 1 1\n7 1 1\n1 9 1\n1 1 11\nID=b\n";

// The program as the desktop runs it.
struct Desktop {
    test::TempDir dir;
    test::RestoreCurrentFolder folder;
    platform::ScriptedDialogs answers;
    platform::RecordingMessages boxes;
    platform::CapturingConsole console;
    platform::Runtime rt{answers, boxes, console};
    shell::Program program{test::Harness::withLayoutFolder(rt)};
    qt::FrontEnd frontEnd{program};
    Handle main = program.start();

    Desktop()
    {
        answers.queuePath(dir.write("shape.tps", kShape));
        dir.write("p.txt", "1 1 2\n2 2 3\n");
        program.runAction("LoadFile1");
        QApplication::processEvents();
    }
    // A dialog's answer: "cancel", or a file in the test's folder.
    void answer(const std::string& file)
    {
        if (file == "cancel")
            answers.queueCancel();
        else
            answers.queuePath((dir.path() / file).string());
    }
    // Runs the action; "name=file" answers its dialog, "TAG:text" types into a box.
    void run(const std::string& step)
    {
        if (const auto colon = step.find(':'); colon != std::string::npos) {
            for (Handle h : rt.graphics.findByTag(step.substr(0, colon)))
                rt.graphics.set(h, "String", platform::Value(step.substr(colon + 1)));
            return;
        }
        const auto eq = step.find('=');
        if (eq != std::string::npos)
            answer(step.substr(eq + 1));
        program.runAction(step.substr(0, eq));
    }
};

}  // namespace vezedo::test
