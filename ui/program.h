#pragma once
// The program once the toolkit is up: every window in its fixed order, the
// message loop until the main window closes, and the end.

namespace program {

// Returns the exit status. End signals must be caught (platform
// catchEndSignals) before the toolkit starts.
int run();

}  // namespace program
