#pragma once
// How the program learns that it must end when the operator did not ask
// through a window: a signal (SIGINT, SIGTERM, SIGHUP), or the toolkit ending
// the process with exit() because its display went away.

#include <functional>

class QObject;

namespace platform {

// Installs handlers that only note the signal, so it is safe first thing in
// main, before anything else exists. SIGPIPE is ignored from then on.
void catchEndSignals();

// Runs `onSignal` on the user-interface thread for each end signal, the ones
// noted before this call included, for as long as `context` lives.
void onEndSignal(QObject* context, std::function<void()> onSignal);

// While armed, an exit() made by anyone but main's own return runs `end`
// and finishes the process with status 0, without destroying the statics
// that threads still running may use. main disarms it before its own end.
// Armed on the thread the toolkit runs on, an exit() there runs `end` before
// any static is destroyed; one from another thread runs it once the statics
// made since the first arming are gone. The arming thread's own end runs it
// too, so only a thread that lasts as long as the process arms it.
void armExitGuard(std::function<void()> end);
void disarmExitGuard();

}  // namespace platform
