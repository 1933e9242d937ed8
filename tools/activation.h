#pragma once
// Activation handlers for the auxiliary windows. A window runs its handler
// when the operator comes to it from another window, and also when it is
// shown: a desktop without a window manager never activates a window, and a
// window opened there would otherwise show its design texts. A showing that
// is followed by its activation runs the handler once, not twice.

#include <functional>

class QWidget;

namespace tools {

void onActivateOrShow(QWidget* form, std::function<void()> handler);

}  // namespace tools
