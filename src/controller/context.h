#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "controller/controls.h"
#include "platform/runtime.h"
#include "session/session.h"

namespace vezedo::controller {

class UndoHistory;
class ProgressScope;

// What an action works on: the session, the main window's controls and the desktop.
struct Context {
    platform::Runtime& rt;
    session::Session& s;
    MainControls controls{rt.graphics};
    UndoHistory* history = nullptr;     // the controller's, for "Undo" and "Redo"
    ProgressScope* progress = nullptr;  // the long work under way, if the action showed one

    void message(const std::string& text) const { rt.messages.showMessage(text); }
    // Shows the handles of a control on the console under `name`.
    void displayHandles(std::string_view name, const Control& control) const;

    // Asks for a file (of "*.txt" unless `filter` says otherwise) and makes its folder
    // current. nullopt when the user cancelled or the folder cannot be entered (then a
    // message box says why).
    std::optional<platform::FileChoice> chooseFile(platform::FileDialogKind kind, std::string_view title,
                                                   std::string_view filter = "*.txt") const;
    // The same for a request that also offers further filters or suggests a name.
    std::optional<platform::FileChoice> chooseFile(const platform::FileRequest& request) const;
    // A save dialog's title, filter and a suggested name: the loaded data set's name with
    // `suffix` ("_lengths.csv"), or the suffix alone before any load.
    platform::FileRequest saveRequest(std::string_view title, std::string_view filter, std::string_view suffix) const;
    // False, after a message box naming the file and the reason, when it cannot be written.
    bool writeOrReport(const platform::FileChoice& file, const std::string& content) const;
    // The same, and on success the status bar says "Saved WHAT to NAME".
    bool writeOrReport(const platform::FileChoice& file, const std::string& content, std::string_view what) const;
    // A short note in the status bar: what went well, or what changed besides the described results.
    void status(const std::string& text) const { rt.console.status(text); }
    // How far the long work under way has come (0 to 1); throws Cancelled when the user stopped
    // it. Does nothing when the action shows no progress.
    void step(double fraction) const;
};

// While alive, the long work of an action shows its progress (after its file dialogs, before it
// changes anything). Every step may stop the action with Cancelled, so the action computes its
// new state first and commits it after its last step.
class ProgressScope {
public:
    ProgressScope(Context& c, std::string what);
    ~ProgressScope();
    ProgressScope(const ProgressScope&) = delete;
    ProgressScope& operator=(const ProgressScope&) = delete;

    void step(double fraction);
    // Steps of one part of the work, from 0 to 1, fill only [from, to] of the bar (see ProgressPart).
    double mapped(double fraction) const { return m_from + (m_to - m_from) * fraction; }
    // What a reader calls as it goes through a file, mapped onto the share [from, to] of the
    // whole; it returns false when the user stopped the read, and the next step() throws.
    std::function<bool(std::size_t bytesDone, std::size_t bytesTotal)> readerHook(double from, double to);
    bool cancelled() const { return m_cancelled; }

private:
    Context& m_c;
    ProgressScope* m_outer;
    std::string m_what;
    bool m_cancelled = false;
    double m_from = 0, m_to = 1;
    friend class ProgressPart;
};

// While alive, the steps of the progress under way, 0 to 1, fill only [from, to] of its bar:
// a part of a longer action (a load within opening a project, a fit within a correction)
// reports as it would alone, and the bar still never goes back. Does nothing without progress.
class ProgressPart {
public:
    ProgressPart(Context& c, double from, double to);
    ~ProgressPart();
    ProgressPart(const ProgressPart&) = delete;
    ProgressPart& operator=(const ProgressPart&) = delete;

private:
    ProgressScope* m_progress;
    double m_from, m_to;
};

// While alive, drawing goes to the plot window; at the end `mf` is made current again. An
// action stopped by an error leaves the current window as the error found it.
class PlotWindowScope {
public:
    enum class IfClosed { Fail, OpenNew };
    explicit PlotWindowScope(Context& c, IfClosed ifClosed = IfClosed::Fail);
    ~PlotWindowScope();
    PlotWindowScope(const PlotWindowScope&) = delete;
    PlotWindowScope& operator=(const PlotWindowScope&) = delete;

private:
    Context& m_c;
    int m_exceptions;
};

// --- drawing steps shared by the actions, into the current axes ---

platform::Handle currentAxes(Context& c);
// The reference shape as a one-specimen data set; an Error when none is loaded.
platform::LandmarkSet referenceSet(const Context& c);
// Numbers 1 to `count` beside the landmarks of `shape`.
void drawLandmarkLabels(Context& c, const platform::Matrix& shape, std::size_t count);
platform::Handle drawLineBetween(Context& c, double a, double b, std::string_view style);
// The number of protocol line `number` (from 1) at its middle, red unless told otherwise,
// linked to the drawn `line` it numbers when there is one.
void drawLineNumber(Context& c, std::size_t number, std::string_view color = "r",
                    std::optional<platform::Handle> line = std::nullopt);
// Past this many lines a protocol or wireframe is drawn as one wire without line numbers: a
// hundred thousand numbers in one window show nothing anyone can read, and each drawn line costs
// memory and time.
inline constexpr std::size_t kMostNumberedLines = 10000;
// The wireframe in black, one line per wire (one wire for all past kMostNumberedLines).
void drawWireframe(Context& c);
// Every protocol line in black with its number in red at its middle. Past kMostNumberedLines,
// the lines only, as one wire, and nothing when the wireframe drawn already is the protocol.
void drawProtocolOverlay(Context& c);
// The status note of a protocol too long to number; none for shorter ones.
void noteUnnumbered(Context& c);
// Protocol line `line` in a block's style with its number beside it; `owner` names who asked
// for it in the error about a line the protocol does not have.
void drawProtocolLine(Context& c, double line, std::string_view style, std::string_view labelColor, double width,
                      std::string_view owner);
// The one highlighted line, drawn thick in magenta; the previous one is hidden first by the
// caller (hideHighlight) where the action says so.
void highlight(Context& c, double a, double b);
void hideHighlight(Context& c);

}  // namespace vezedo::controller
