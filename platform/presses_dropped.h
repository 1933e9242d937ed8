#pragma once
// Dropping what the operator presses while the program waits inside a
// handler of its own: no command, menu or second box starts inside that wait.

#include <memory>

namespace platform {

// While it lives, every press, key or move of the operator's that reaches the
// event loop at the level it was made at is dropped. Releases go through, so
// nothing pressed before stays held; so do closes, the window manager's
// included. A box opened inside the wait runs a loop of its own and takes its
// input as usual. User-interface thread only; without an application it does
// nothing.
class PressesDropped {
public:
    PressesDropped();
    ~PressesDropped();
    PressesDropped(const PressesDropped&) = delete;
    PressesDropped& operator=(const PressesDropped&) = delete;

private:
    class Filter;
    std::unique_ptr<Filter> filter_;
};

}  // namespace platform
