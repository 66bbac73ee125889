#pragma once

#include <QString>
#include <optional>
#include <vector>

#include "platform/scene.h"
#include "session/session.h"

namespace vezedo::qt {

class FrontEnd;
class PlotCanvas;

// Turns picks in the plot into what typing and pressing would do, so that a recorded session
// holds them as `set` and `press` lines: the first landmark picked fills "First landmark", the
// second fills "Second landmark" and shows the line between them, a third starts over; a double
// click on the second (or Enter) adds the line; a picked protocol line is shown.
class PlotPicking {
public:
    PlotPicking(FrontEnd& frontEnd, PlotCanvas& canvas);

private:
    void click(const platform::Pick& pick);
    bool doubleClick(const platform::Pick& pick);
    void enter();

    FrontEnd& m_frontEnd;
    PlotCanvas& m_canvas;
    std::vector<std::size_t> m_picked;  // landmark numbers, at most two
};

// The hover text of a pick: "Landmark 12", or "Line 7: 3-12 (name), mean 12.3".
QString describePick(const session::Session& session, const platform::Pick& pick);

}  // namespace vezedo::qt
