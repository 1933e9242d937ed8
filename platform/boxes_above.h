#pragma once
// A window that stays on top of the program's others (the manual pad) would
// cover a box or dialog shown while it is open. The program's boxes and
// dialogs are shown above such a window, never under it.

class QWidget;

namespace platform {

// From now on, each box or dialog shown modally while `window` is shown, and
// each one up when `window` is shown, is stacked above it: made a transient
// of it, which a window manager keeps over it, however often `window` is
// raised. One shown while `window` is hidden keeps the owner the toolkit
// gave it. Lasts as long as `window`.
void keepBoxesAbove(QWidget* window);

}  // namespace platform
