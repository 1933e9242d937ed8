#pragma once
// What the display's window manager says, where the program runs on X11:
// whether one runs, and the order it stacks the program's windows in.
// Elsewhere (offscreen, Wayland) neither is known.

#include <QtGui/qwindowdefs.h>

#include <vector>

class QWidget;

namespace platform {

// Whether a window manager runs on the display, asked of the display once.
bool windowManagerRuns();

// The windows the window manager manages, bottom to top; empty where none
// runs or the order is not known.
std::vector<WId> stackingOrder();

// The place of `window` in stackingOrder() (0 the bottom), or -1.
int stackingPlace(const QWidget* window);

// Whether the place the toolkit holds for `window` is where the display has
// it now: under load the report of a window manager's move may still wait in
// the toolkit's queue while the frame it put around the window is known.
// True where the display is not X11 or gives no answer.
bool placeIsCurrent(const QWidget* window);

// Tells the window manager that `window`, already on the screen, belongs to
// `owner` and stands above it: the toolkit tells it only when it maps a
// window. Nothing where the display is not X11.
void tellOwner(const QWidget* window, const QWidget* owner);

}  // namespace platform
