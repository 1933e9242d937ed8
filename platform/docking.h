#pragma once
// Putting a window beside another: where the wanted place lies wholly on the
// screen that holds the other window it is kept; otherwise the window moves
// the least distance that brings it onto that screen's available area (the
// part panels and docks leave free).

#include <QPoint>
#include <QRect>

class QWidget;

namespace platform {

// The top left a window of frame `frame` (its wanted place and size) takes on
// `area`. A window larger than the area keeps its top left edge on it, where
// its title bar is.
QPoint fitOnScreen(const QRect& frame, const QRect& area);

// Moves `window` so that its frame's top left is at `wanted`, fitted to the
// available area of the screen that holds `anchor`. A window that has not yet
// had a frame is taken to get one like the anchor's.
void dockBeside(QWidget* window, QPoint wanted, const QWidget* anchor);

}  // namespace platform
