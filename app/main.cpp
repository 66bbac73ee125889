// vezedo6: the desktop program.
#include <QApplication>
#include <QMessageBox>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>

#include "platform/error.h"
#include "qt/frontend.h"
#include "qt/guireplay.h"
#include "qt/qtservices.h"
#include "script/recorder.h"
#include "script/replayservices.h"

namespace {

const char* kHelp = R"(usage: vezedo6 [--replay SCRIPT [--quit-after]]

Starts the Vezedo6 desktop program.

Options:
  --replay SCRIPT   once the program is up, play the session script in its windows; file
                    dialogs are answered from the script's "answer" lines while it plays
  --quit-after      end the program when the script ends: exit status 0 when every check
                    held, 1 otherwise (the failing line is written to standard error)
  --help            this text
)";

struct Options {
    std::optional<std::string> replay;
    bool quitAfter = false;
};

// Unknown options are left to Qt (-platform, -style, ...), which removed its own already.
std::optional<Options> parseOptions(int argc, char** argv, int& status)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::cout << kHelp;
            status = 0;
            return std::nullopt;
        }
        if (std::strcmp(argv[i], "--quit-after") == 0) {
            options.quitAfter = true;
        } else if (std::strcmp(argv[i], "--replay") == 0) {
            if (i + 1 == argc) {
                std::cerr << "vezedo6: --replay needs a script (see --help)\n";
                status = 2;
                return std::nullopt;
            }
            options.replay = argv[++i];
        } else {
            std::cerr << "vezedo6: unknown argument " << argv[i] << " (see --help)\n";
            status = 2;
            return std::nullopt;
        }
    }
    if (options.quitAfter && !options.replay) {
        std::cerr << "vezedo6: --quit-after goes with --replay SCRIPT (see --help)\n";
        status = 2;
        return std::nullopt;
    }
    return options;
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("Vezedo6");
    QApplication::setOrganizationName("Vezedo6");
    int status = 0;
    const std::optional<Options> options = parseOptions(argc, argv, status);
    if (!options)
        return status;
    // Closing the main window ends the program (after asking about unsaved work); plot windows
    // may all be closed while it stays.
    QApplication::setQuitOnLastWindowClosed(false);

    // A replay answers the dialogs in place of the desktop while it plays; a recording sees
    // every answer, whoever gave it.
    vezedo::qt::QtDialogs desktopDialogs;
    vezedo::script::RoutedDialogs routedDialogs(desktopDialogs);
    vezedo::script::RecordingDialogs dialogs(routedDialogs);
    vezedo::qt::QtMessages desktopMessages;
    vezedo::script::RoutedMessages routedMessages(desktopMessages);
    vezedo::script::RecordingMessages messages(routedMessages);
    vezedo::qt::QtConsole console;
    vezedo::qt::QtProgress progress;
    vezedo::platform::Runtime runtime(dialogs, messages, console, progress);
    vezedo::shell::Program program(runtime);
    vezedo::qt::FrontEnd frontEnd(program);
    frontEnd.setConsolePane(console.panel());
    frontEnd.setRecordingDialogs(&dialogs);
    frontEnd.setRecordingMessages(&messages);

    try {
        program.start();
    } catch (const std::exception& e) {
        // Without its main window the program has nothing to show: say why and stop.
        std::cerr << e.what() << '\n';
        QMessageBox::critical(nullptr, "Vezedo6", QString::fromStdString(e.what()));
        return 1;
    }

    vezedo::qt::GuiReplay replay(frontEnd, routedDialogs, routedMessages, std::cout, std::cerr);
    if (options->replay) {
        if (options->quitAfter) {
            // Ends at once, asking nothing about unsaved work: no one is there to answer.
            replay.setQuit([&frontEnd](int exitStatus) {
                frontEnd.stopRecording();
                QCoreApplication::exit(exitStatus);
            });
        } else {
            replay.setPause(250);
        }
        replay.start(*options->replay);
    }
    return QApplication::exec();
}
