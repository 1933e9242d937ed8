#pragma once
// Putting windows beside another on the screen that holds it, frames (title
// bar and borders) included, within that screen's available area (the part
// panels and docks leave free). The places are platform/dock_geometry's; this
// is what watches the windows until the window manager has settled them.

#include <QPoint>
#include <QSize>

#include <vector>

class QWidget;

namespace platform {

// Moves `window` so that its frame's top left is at `wanted`, moved the least
// distance onto the available area of the screen that holds `anchor`.
void placeOnScreen(QWidget* window, QPoint wanted, const QWidget* anchor);

// The frame size `window` has, or, before it has had a frame, is taken to
// get: one like the anchor's.
QSize frameSize(const QWidget* window, const QWidget* anchor);

// Docks `windows` (null ones left out) as one row beside `anchor` as
// placeBesideClear says: left to right, `spacing` between their frames, tops
// level, clear of the shown windows of the rows docked beside `anchor` before
// and still open (their first window shown) where the screen has room. A window that has not yet had a frame is taken
// to get one like the anchor's. The docking follows what it was placed by:
// until the window manager has mapped the anchor (its place then final) the
// row follows the anchor's moves, and it is docked again whenever a frame it
// was placed by (the anchor's, its windows', those it keeps clear of) becomes
// known or changes, until all of them are on the screen with their frames,
// for some seconds at most. Docking the first window again replaces its
// earlier docking and makes the row the latest.
void dockBeside(const QWidget* anchor, int gap, const std::vector<QWidget*>& windows, int spacing = 0);

// Centres `window` on `anchor`, frames included, moved the least distance
// onto the screen; followed as dockBeside's row is. It keeps clear of
// nothing, and nothing keeps clear of it.
void centreOn(QWidget* window, const QWidget* anchor);

// Makes `window`, each time it is shown again, open where its frame was
// when it was hidden. Its first opening is left to the caller and toolkit.
void reopenInPlace(QWidget* window);

// Whether the docking of `window` (its row's first) still follows the window
// manager: the anchor, a shown window of the row or one it keeps clear of
// not yet on the screen with its frame, or a frame changed since it was
// placed.
bool dockPending(const QWidget* window);

// Whether `window` is on the screen and, where a window manager runs, the
// toolkit has learnt the frame around it and the place the window manager
// put it at: until then its frame geometry is its client area, or worse.
// Under load a window is on the screen well before its frame and place are
// known.
bool framedOnScreen(const QWidget* window);

}  // namespace platform
