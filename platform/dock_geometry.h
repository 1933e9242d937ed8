#pragma once
// Where docked windows go, as plain geometry: frames (title bar and borders
// included) as rectangles, a screen as its available area (the part panels
// and docks leave free). Nothing here asks the toolkit or the window manager.

#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <vector>

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

// As placeBeside, clear of the frames `taken` (windows docked beside the
// anchor before) where the area has room: on the side placeBeside would
// choose or the other one at the anchor's top, else `gap` below a taken frame
// on either side. Where nothing is clear, placeBeside's place, over them.
QPoint placeBesideClear(const QRect& anchor, const QSize& group, int gap, const QRect& area,
                        const std::vector<QRect>& taken);

// The top left of a frame of size `frame` centred on `anchor`, moved the
// least distance onto `area`.
QPoint centredOn(const QRect& anchor, const QSize& frame, const QRect& area);

// Whether `margins` (the frame around a window's client area) are what the
// window manager put there. While the toolkit learns a frame it may report
// its size before its place (the frame's corner at the client's) or a frame
// smaller than the client: a frame is known once the client lies inside it,
// below or right of its corner.
bool knownFrame(const QMargins& margins);

// The frame a window is placed by: its own once known, else `guess` (a
// frame like another window's of the program).
QMargins frameOrGuess(const QMargins& own, const QMargins& guess);

// The size of a row of frames of `sizes`, left to right with `spacing`
// between them, tops level.
QSize rowSize(const std::vector<QSize>& sizes, int spacing);

}  // namespace platform
