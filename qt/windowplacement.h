#pragma once

#include <QMargins>
#include <vector>

class QWidget;

// Where the program's top-level windows go on the screen, and how they stay on it.
namespace vezedo::qt::placement {

// The decorations around a window: the real ones once the window manager has framed it, a
// typical title bar and border before.
QMargins frameMargins(const QWidget* window);

// Shrinks and moves a newly shown window into the screen's free area; a window whose controls
// then scroll (`controlsScroll`) widens by a scroll bar.
void fitOnScreen(QWidget* window, bool controlsScroll);

// A plot window opens to the right of the main window, on its screen, using the room left
// there; the main window moves to the screen's left edge, and narrows, when the room is short.
void placeBesideMainWindow(QWidget* main, QWidget* plot);

// A further window goes where it covers none of the `shown` windows if there is such room on
// the screen, else over the lower part of `plot` (or of the screen), never over the main window.
// A window already visible stays where the user put it.
void placeBesideOthers(QWidget* window, const std::vector<const QWidget*>& shown, const QWidget* plot);

// A window whose frame hangs off the screen is pulled back onto it.
void keepOnScreen(QWidget* window);

}  // namespace vezedo::qt::placement
