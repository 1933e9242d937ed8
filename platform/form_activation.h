#pragma once
// A window's activation handler runs when the operator comes to it from
// another of the program's windows, not each time the toolkit re-activates
// it: returning from a message box, a file dialog or another application
// leaves the active window as it was, and so runs nothing.

#include <functional>

class QWidget;

namespace platform {

// Runs `handler` each time `form` becomes the active window after another
// window of the program (or none yet) was; the program showing the form
// counts as its activation, whether or not the window manager hands it the
// focus. One handler per window; a second
// call replaces it. The registration ends when the window is destroyed.
void onFormActivate(QWidget* form, std::function<void()> handler);

// Shows `form`, raises it over the other windows and asks for the focus, as
// showing a form does on the desktop the program was made for. A form that
// was shown already runs its activation handler at once, as a newly shown one
// does, also where the window manager keeps the focus where it was.
void bringToFront(QWidget* form);

// What the toolkit reports when `window` becomes active; the application-wide
// event filter calls it, tests may call it directly. User-interface thread only.
void formWindowActivated(QWidget* window);

// Forgets which window was active last (tests).
void resetFormActivation();

}  // namespace platform
