#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <span>

#include "platform/runtime.h"
#include "platform/value.h"

namespace vezedo::controller {

using platform::Handle;
using platform::Matrix;

inline constexpr double kNoLine = -1.0;  // lineh when no line is highlighted

// Everything the actions keep between calls, for the life of the process. Each member is
// "empty" until an action sets it (an empty matrix or list, or nullopt).
struct ControllerState {
    platform::LandmarkSet data1;             // fitted specimens, p x 3 x k
    std::vector<double> data1cs;             // centroid size of each specimen, in file order
    Matrix mean1;                            // mean shape of the fit
    Matrix reference;                        // the shape every later action draws, picks and measures on
    std::optional<Handle> fighand1;          // the plot window
    std::optional<Handle> mf;                // the window made current again when a drawing action ends
    Matrix proto;                            // protocol: stored number, first landmark, second landmark
    Matrix wirelist;                         // wireframe, in the form of proto
    std::string protoname;                   // file name of the protocol or wireframe last loaded
    std::optional<Handle> lineh;             // the highlighted line, or kNoLine
    std::vector<std::vector<double>> block;  // protocol line numbers of each block
    std::optional<double> nblocks;           // the number of blocks
};

// The action controller: `vezedosw` takes an action name and performs it on the state,
// the main window's controls (found by tag when needed) and the plot window.
class Controller {
public:
    explicit Controller(platform::Runtime& rt);

    // The registry entry: one input, the action name. A missing input is an error; a name
    // that is no action (or a value that is no text) shows the fall-through message box.
    void vezedosw(std::span<const platform::Value> inputs);
    void run(std::string_view action);

    const ControllerState& state() const { return m_state; }
    ControllerState& state() { return m_state; }

private:
    // Specimen loading
    void loadFile1();
    void loadFileImp();
    void commitSpecimens(const std::string& fileBoxText, platform::LandmarkSet fitted, Matrix mean,
                         std::vector<double> sizes);
    void labelNewPlot(std::size_t landmarks);
    // Wireframe and protocol
    void loadWire();
    void loadProto();
    void saveProtocol();
    void showProto();
    void newProto();
    // Lines
    void showLine();
    void showLine2();
    void deleteLine();
    void addLine();
    // Measures
    void saveLengths();
    void showMLine();

    // Blocks
    void setBlocks();
    void addBlocks();
    void replotM();
    void showAllBlock();
    void showBlockStructure();
    void blockUp();
    void blockDown();
    void blockEnter();
    void addLinetoBlock();
    void saveMatrix();
    void loadBlock();
    void clearTarget();

    // Block helpers.
    void storeBlock(double n, std::vector<double> list, std::string_view source);
    std::vector<double> blockListFromBox() const;
    std::string blockText(std::size_t n) const;  // block n (1-based) as box text
    void drawProtocolLine(double line, std::string_view style, std::string_view labelColor, double width,
                          std::string_view owner);
    void selectPlotWindowOrNew();

    // The protocol is the placeholder row of a protocol without lines.
    bool hasPlaceholderProtocol() const;

    // Shared drawing steps.
    void drawLandmarkLabels(const Matrix& shape, std::size_t count);
    void drawProtocolOverlay();
    Handle drawLineBetween(double a, double b, std::string_view style);
    void highlight(double a, double b);
    void hideHighlight();

    // The reference shape as a one-specimen data set; an Error when none is loaded.
    platform::LandmarkSet referenceSet() const;

    // Windows.
    void makeCurrent(const std::optional<Handle>& window, std::string_view which);
    Handle currentAxes();

    // Controls, found by tag at the moment of use.
    std::vector<Handle> controls(std::string_view tag) const;
    void setString(std::string_view tag, const std::string& text);
    std::string boxText(std::string_view tag) const;
    double boxValue(std::string_view tag) const;
    // A whole number typed into a box; an Error naming the box and its text otherwise.
    double boxWholeNumber(std::string_view tag, std::string_view what) const;
    void setEnable(std::string_view tag, std::string_view on);
    // Shows the handles of the controls with a tag on the console under `name`.
    void displayHandles(std::string_view name, std::string_view tag);

    // Checks on numbers used as indices, with messages naming the number and the range.
    std::size_t landmarkIndex(double landmark) const;
    std::size_t protocolRow(double line) const;

    void message(const std::string& text);
    // Asks for a "*.txt" file and makes its folder current. nullopt when the user cancelled
    // or the folder cannot be entered (then a message box says why).
    std::optional<platform::FileChoice> chooseFile(platform::FileDialogKind kind, std::string_view title);
    // False, after a message box naming the file and the reason, when it cannot be written.
    bool writeOrReport(const platform::FileChoice& file, const std::string& content);

    platform::Runtime& m_rt;
    ControllerState m_state;
};

// The block-structure file: its text for the first `nblocks` blocks, and the blocks it holds.
std::string blockStructureText(const std::string& protoname, const std::vector<std::vector<double>>& blocks,
                               double nblocks);
std::vector<std::vector<double>> parseBlockStructure(std::string_view text);

// The traditional measures of every specimen: the length of each protocol line at the
// specimen's own scale, then its centroid size, one line per specimen.
std::string traditionalMeasures(const platform::LandmarkSet& data, const std::vector<double>& sizes,
                                const Matrix& proto);

}  // namespace vezedo::controller
