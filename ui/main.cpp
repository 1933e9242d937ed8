// The program file: catches the end signals, and ignores SIGPIPE, before
// anything else exists (no thread yet), makes sure there is a display to
// open, then starts the toolkit.

#include "platform/display_probe.h"
#include "platform/end_signals.h"
#include "ui/program.h"
#include "ui/toolkit_start.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    platform::catchEndSignals();
    // Asked before the toolkit starts, which aborts on a display it cannot
    // open. The hint names the program as it was started, which is a path
    // that works from here, not a name that may not be on the search path.
    const std::vector<std::string> args(argv + std::min(argc, 1), argv + argc);
    platform::XDisplayProbe x;  // its connection held until the toolkit has its own
    if (const std::string why = program::displayProblem(args, program::realDisplayProbes(x)); !why.empty()) {
        const std::string self = argc > 0 && argv[0] && *argv[0] ? argv[0] : "orla_setup";
        std::fputs(program::noDisplayMessage(self, why).c_str(), stderr);
        return 1;
    }
    const auto app = program::startToolkit(argc, argv);
    x.release();
    return program::run();
}
