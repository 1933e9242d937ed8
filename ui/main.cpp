// The program file: catches the end signals, and ignores SIGPIPE, before
// anything else exists (no thread yet), makes sure there is a display to
// open, then starts the toolkit.

#include "platform/end_signals.h"
#include "ui/program.h"
#include "ui/toolkit_start.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

bool displayAvailable()
{
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* v = std::getenv(name);
        if (v && *v)
            return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv)
{
    platform::catchEndSignals();
    if (!displayAvailable()) {
        // The hint names the program as it was started, which is a path that
        // works from here, not a name that may not be on the search path.
        const std::string self = argc > 0 && argv[0] && *argv[0] ? argv[0] : "orla_setup";
        std::fprintf(stderr,
                     "orla_setup: no display to open (DISPLAY is not set); "
                     "to run without one, start it as: xvfb-run -a %s\n",
                     self.c_str());
        return 1;
    }
    const auto app = program::startToolkit(argc, argv);
    return program::run();
}
