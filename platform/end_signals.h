#pragma once
// How the program learns that it must end when the operator did not ask
// through a window: a signal (SIGINT, SIGTERM, SIGHUP), or the toolkit ending
// the process with exit() because its display went away.

#include <functional>

class QObject;

namespace platform {

// Installs handlers that only note the signal, so it is safe first thing in
// main, before anything else exists. SIGPIPE is ignored from then on. The
// stop signals (SIGTSTP from Ctrl-Z; SIGTTIN and SIGTTOU, which a terminal
// sends a program in the background) are caught too, see below.
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

// --- Stops ---------------------------------------------------------------
// A stop signal stops the process at once, as by default, unless a taker is
// armed: then it is left pending for the taker, which settles what must be
// settled first and stops the process itself (stopProcess). The handler
// calls `wake`, which must therefore be async-signal-safe, so a taker that
// sleeps sees the stop at once. One taker at a time.
void armStopTaker(void (*wake)());
// Disarms; the signal of a stop still pending, which is taken, or 0.
int disarmStopTaker();
// The signal of the stop pending, or 0; taking it leaves none pending. Any thread.
int takeStop();
bool stopPending();
// Stops the process as `signal`'s default action does and returns once it
// has been continued (SIGCONT); then the continue listeners run on the
// user-interface thread. Any thread.
void stopProcess(int signal);
// On the user-interface thread, for as long as `context` lives: `noted` for
// each stop left to the taker, `continued` once the process goes on after a
// stop, whoever stopped it.
void onStopNoted(QObject* context, std::function<void()> noted);
void onContinue(QObject* context, std::function<void()> continued);
// Tests: what stopProcess does instead of stopping the process (the
// listeners still run after it); nullptr puts the real stop back.
using StopAction = void (*)(int signal);
void setStopAction(StopAction action);

}  // namespace platform
