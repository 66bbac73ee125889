// Starts a program on the current X display, waits, photographs the whole screen and says
// whether anything but a blank screen was seen. Used by the smoke test and to make the
// pictures in docs/.
//
//   vezedo6-screenshot OUT.png DELAY_MS PROGRAM [ARGS...]
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QSet>
#include <QThread>
#include <QTimer>
#include <iostream>

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QStringList args = QGuiApplication::arguments();
    if (args.size() < 4) {
        std::cerr << "usage: vezedo6-screenshot OUT.png DELAY_MS PROGRAM [ARGS...]\n";
        return 2;
    }
    QProcess program;
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    program.start(args[3], args.mid(4));
    if (!program.waitForStarted(5000)) {
        std::cerr << "could not start " << args[3].toStdString() << '\n';
        return 1;
    }
    const int delay = args[2].toInt();
    QThread::msleep(static_cast<unsigned long>(delay));
    QCoreApplication::processEvents();
    const bool stillRunning = program.state() == QProcess::Running;
    const QImage shot = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    program.kill();
    program.waitForFinished(3000);
    if (!stillRunning) {
        std::cerr << "the program ended before the picture was taken (exit code " << program.exitCode() << ")\n";
        return 1;
    }
    if (!shot.save(args[1])) {
        std::cerr << "could not write " << args[1].toStdString() << '\n';
        return 1;
    }
    QSet<QRgb> colours;
    for (int y = 0; y < shot.height(); y += 3)
        for (int x = 0; x < shot.width(); x += 3)
            colours.insert(shot.pixel(x, y));
    std::cout << "colours=" << colours.size() << '\n';
    return colours.size() > 8 ? 0 : 1;  // a blank screen has one or two
}
