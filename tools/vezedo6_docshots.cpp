// Takes the pictures in docs/ from the real windows on the current display (run it under Xvfb
// with a window manager at 1366 x 768): dialogs answer from the command line, everything else
// is the program's own front end.
//
//   vezedo6-docshots OUT_DIR LAYOUT_DIR SHAPE.tps PROTOCOL.txt SHAPE67.tps PROTOCOL67.txt
#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <QScreen>
#include <QThread>
#include <iostream>

#include "controller/actiontable.h"
#include "controller/controls.h"
#include "qt/figurewindow.h"
#include "qt/frontend.h"
#include "qt/plotcanvas.h"
#include "qt/qtservices.h"

using namespace vezedo;

namespace {

void settle(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(20);
    }
}

// Saves the screen, or the part of it given, and names the file it wrote.
bool shoot(const QString& path, const QRect& area = {0, 0, -1, -1})
{
    const QPixmap shot =
        QGuiApplication::primaryScreen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
    if (!shot.save(path))
        return false;
    std::cout << path.toStdString() << '\n';
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() < 7) {
        std::cerr << "usage: vezedo6-docshots OUT_DIR LAYOUT_DIR SHAPE PROTOCOL SHAPE67 PROTOCOL67\n";
        return 2;
    }
    const QString out = args[1];
    platform::ScriptedDialogs answers;
    qt::QtMessages messages;
    qt::QtConsole console;
    platform::Runtime rt(answers, messages, console);
    rt.layoutFolders = {args[2].toStdString()};
    shell::Program program(rt);
    qt::FrontEnd frontEnd(program);
    frontEnd.setConsolePane(console.panel());
    program.start();
    settle(1500);

    // The plot window of the data set loaded last, with its frame as the screen shows it.
    const auto plotWindow = [&]() -> qt::FigureWindow* {
        const auto fig = program.controller().session().fighand1;
        return fig ? frontEnd.window(*fig) : nullptr;
    };

    answers.queuePath(args[3].toStdString());
    frontEnd.runAction(std::string(controller::action::loadSpecimens));
    answers.queuePath(args[4].toStdString());
    frontEnd.runAction(std::string(controller::action::loadProtocol));
    settle(1500);
    // A line added to the protocol as a user adds one: two landmarks typed, then the button.
    frontEnd.typeInto(controller::tags::firstLandmark, "3");
    frontEnd.typeInto(controller::tags::secondLandmark, "8");
    frontEnd.runAction(std::string(controller::action::addLine));
    settle(2000);
    const qt::FigureWindow* plot = plotWindow();
    if (!plot || !shoot(out + "/main-window.png") || !shoot(out + "/plot-window.png", plot->frameGeometry()))
        return 1;

    answers.queuePath(args[5].toStdString());
    frontEnd.runAction(std::string(controller::action::loadSpecimens));
    answers.queuePath(args[6].toStdString());
    frontEnd.runAction(std::string(controller::action::loadProtocol));
    settle(2000);
    qt::FigureWindow* plot67 = plotWindow();
    if (!plot67 || !plot67->plot())
        return 1;
    return shoot(out + "/plot-window-67.png", plot67->frameGeometry()) ? 0 : 1;
}
