#pragma once
// Whether a display the toolkit is to open answers, asked as a client of it
// before the toolkit starts, which aborts the process on one that does not.

#include <string>

struct xcb_connection_t;

namespace platform {

// Asks whether an X display takes a client's connection (its authorisation
// included) and has the screen named, and holds an answering connection
// until released: a server that starts over when its last client goes (a
// virtual one started for the program alone) would otherwise be doing so
// just as the toolkit connects.
class XDisplayProbe {
public:
    XDisplayProbe() = default;
    ~XDisplayProbe() { release(); }
    XDisplayProbe(const XDisplayProbe&) = delete;
    XDisplayProbe& operator=(const XDisplayProbe&) = delete;

    // The empty name: the one DISPLAY names.
    bool answers(const std::string& name);
    void release();

private:
    xcb_connection_t* held_ = nullptr;
};

// A Wayland compositor takes connections on the socket `name` (as
// WAYLAND_DISPLAY gives it: a path, or a name in `runtimeDir`).
bool waylandDisplayAnswers(const std::string& name, const std::string& runtimeDir);

}  // namespace platform
