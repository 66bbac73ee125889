// vezedo6: the desktop program.
#include <QApplication>
#include <QMessageBox>
#include <iostream>

#include "platform/error.h"
#include "qt/frontend.h"
#include "qt/qtservices.h"
#include "script/recorder.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("Vezedo6");
    QApplication::setOrganizationName("Vezedo6");
    // Closing the main window ends the program (after asking about unsaved work); plot windows
    // may all be closed while it stays.
    QApplication::setQuitOnLastWindowClosed(false);

    vezedo::qt::QtDialogs desktopDialogs;
    vezedo::script::RecordingDialogs dialogs(desktopDialogs);
    vezedo::qt::QtMessages desktopMessages;
    vezedo::script::RecordingMessages messages(desktopMessages);
    vezedo::qt::QtConsole console;
    vezedo::platform::Runtime runtime(dialogs, messages, console);
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
    return QApplication::exec();
}
