// vezedo6-run: replays session scripts headless.
#include <QGuiApplication>
#include <chrono>
#include <cstring>
#include <iostream>

#include "qt/snapshot.h"
#include "script/runner.h"

namespace {

const char* kHelp = R"(usage: vezedo6-run [--time] SCRIPT...

Replays Vezedo6 session scripts without a display, each on a fresh program with its main
window open, exactly as the buttons would run them. Console text, message boxes
("message: TEXT") and file dialogs (their title, filter and the answer used) are written to
standard output in order. The exit status is 0 when every script ran to its end with all
checks holding, 1 otherwise; the failing script and line are named. A script also fails when
a press names no action, when a press leaves an answer queued before it unused, or when a
press or dispatch shows a message box that no "expect msgbox" line after it (and before the
next press, dispatch or the end) expects.

A script has one command per line; "#" starts a comment line; paths are relative to the
script's folder; a text runs to the end of the line, or is written in double quotes to keep
blanks, with \n \t \" \\ understood:

  answer open PATH          the answer of a file dialog of the next press (in order)
  answer save PATH
  answer cancel
  set TAG TEXT              the text of every control with that tag, as if typed
  value TAG NUMBER          the value of a two-state button
  press ACTION              run an action, as its button does
  dispatch TEXT             send any text to the action switch, as a control carrying it
  expect string TAG TEXT    the control's whole text equals TEXT
  expect msgbox TEXT        the last press showed a message box with that text
  expect file PATH SAME-AS PATH
  snapshot PATH             the plot window as a PNG picture

Options:
  --time    print how long each script took
  --help    this text
)";

}  // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> scripts;
    bool timed = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::cout << kHelp;
            return 0;
        }
        if (std::strcmp(argv[i], "--time") == 0)
            timed = true;
        else if (argv[i][0] == '-' && argv[i][1] != '\0')
            return std::cerr << "vezedo6-run: unknown option " << argv[i] << " (see --help)\n", 2;
        else
            scripts.emplace_back(argv[i]);
    }
    if (scripts.empty()) {
        std::cerr << "vezedo6-run: no script given (see --help)\n";
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");  // never needs a display
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);

    vezedo::script::ScriptRunner runner(std::cout, vezedo::qt::writeSnapshot);
    int failed = 0;
    for (const std::string& script : scripts) {
        const auto start = std::chrono::steady_clock::now();
        const bool ok = runner.runFile(script);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        if (timed)
            std::cout << "time: " << script << " " << took.count() << " s\n";
        if (!ok) {
            ++failed;
            std::cout << "FAILED: " << script << "\n";
        }
    }
    std::cout.flush();
    return failed == 0 ? 0 : 1;
}
