#pragma once
// Display timers that run all the time wake the user-interface thread
// together instead of each on its own phase: each is put on a grid of its
// interval on the monotonic clock, so timers whose intervals divide one
// another fall due in the same wake.

class QTimer;

namespace platform {

// Starts `timer` with its interval as a precise timer; shortly after (within
// one interval, before its first timeout) it is restarted on the grid, unless
// it was stopped meanwhile. No tick is added or lost: the first comes later
// by less than one interval.
void startOnGrid(QTimer* timer);

}  // namespace platform
