#pragma once
// The toolkit started on the program's command line.

#include <QApplication>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace platform {
class XDisplayProbe;
}

namespace program {

// The toolkit takes its own options (and their values) out of argc/argv; the
// program's switches are read from what it leaves, so "-display :1" or a
// window title "/dark" is never taken for a folder. argv must outlive the
// application. A display the toolkit then cannot open after all ends the
// program with the no-display message and status 1, not the toolkit's abort.
std::unique_ptr<QApplication> startToolkit(int& argc, char** argv);

// What the display check asks: the environment, and whether an X display
// (by name, empty: DISPLAY's) or a Wayland socket (name, runtime folder) answers.
struct DisplayProbes {
    std::function<std::string(const char*)> env;
    std::function<bool(const std::string&)> x;
    std::function<bool(const std::string&, const std::string&)> wayland;
};
// The real ones; `x` holds the connection to an X display that answered.
DisplayProbes realDisplayProbes(platform::XDisplayProbe& x);

// Why the toolkit, started with `args` (without the program's path), could
// open no display, as the message's phrase ("DISPLAY is not set",
// "DISPLAY=:4711 cannot be opened"); empty where it can. Only the X11 and
// Wayland platforms are asked, in the toolkit's choice: -platform, else
// QT_QPA_PLATFORM, else Wayland in a Wayland session and X11; any other
// platform is the toolkit's own to open.
std::string displayProblem(const std::vector<std::string>& args, const DisplayProbes& probes);

// The one line the program writes where it has no display to open; `self`
// is the program as it was started.
std::string noDisplayMessage(const std::string& self, const std::string& why);

}  // namespace program
