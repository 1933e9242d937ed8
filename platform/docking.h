#pragma once
// Putting windows beside another on the screen that holds it, frames (title
// bar and borders) included, within that screen's available area (the part
// panels and docks leave free).

#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <vector>

class QWidget;

namespace platform {

// The top left a window of frame `frame` (its wanted place and size) takes on
// `area`: the least move that brings it wholly inside. A window larger than
// the area keeps its top left edge on it, where its title bar is.
QPoint fitOnScreen(const QRect& frame, const QRect& area);

// The top left of a group of frame size `group` beside the frame `anchor`,
// tops level: `gap` right of it where it fits on `area`, else `gap` left of
// it where it fits there, else the right place moved the least distance onto
// the area (over the anchor). Below the area's bottom it moves up.
QPoint placeBeside(const QRect& anchor, const QSize& group, int gap, const QRect& area);

// Moves `window` so that its frame's top left is at `wanted`, moved the least
// distance onto the available area of the screen that holds `anchor`.
void placeOnScreen(QWidget* window, QPoint wanted, const QWidget* anchor);

// The frame size `window` has, or, before it has had a frame, is taken to
// get: one like the anchor's.
QSize frameSize(const QWidget* window, const QWidget* anchor);

// Docks `windows` (null ones left out) as one row beside `anchor` as
// placeBeside says: left to right, `spacing` between their frames, tops
// level. A window that has not yet had a frame is taken to get one like the
// anchor's. Until the window manager has mapped the anchor (its place then
// final) the row follows the anchor's moves, and it is docked again
// once a frame it was placed by becomes known, so a docking made against a
// place or frame not yet final ends where it belongs. Docking the first window
// again replaces its earlier docking.
void dockBeside(const QWidget* anchor, int gap, const std::vector<QWidget*>& windows, int spacing = 0);

// Centres `window` on `anchor`, frames included, moved the least distance
// onto the screen; placed again as dockBeside's row is, once the frames it
// was placed by become known.
void centreOn(QWidget* window, const QWidget* anchor);

// Makes `window`, each time it is shown again, open where its frame was
// when it was hidden. Its first opening is left to the caller and toolkit.
void reopenInPlace(QWidget* window);

// Whether the docking of `window` (its row's first) still waits for the window
// manager: the anchor not yet mapped, or a shown window of the row not yet
// on the screen with its frame.
bool dockPending(const QWidget* window);

// Whether `window` is on the screen and, where a window manager runs (asked
// of the display once), the toolkit has learnt the frame around it and the
// place the window manager put it at: until then its frame geometry is its
// client area, or worse. Under load a window is on the screen well before
// its frame and place are known.
bool framedOnScreen(const QWidget* window);

}  // namespace platform
