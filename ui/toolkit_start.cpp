#include "ui/toolkit_start.h"

#include "platform/display_probe.h"
#include "platform/system.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>
#include <unistd.h>

namespace program {

namespace {

std::string startedAs;  // argv[0], for the message of a toolkit that opened no display
QtMessageHandler before = nullptr;

// Only while the toolkit starts: its fatal "no platform plugin could be
// initialized" is a display it could not open, whatever the check before
// found; anything else goes on as the toolkit's.
void whileStarting(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtFatalMsg && message.contains(QLatin1String("platform plugin"))) {
        const std::string line = noDisplayMessage(startedAs, "the toolkit could not open one");
        [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, line.data(), line.size());
        std::_Exit(1);
    }
    if (before)
        before(type, context, message);
}

}  // namespace

std::unique_ptr<QApplication> startToolkit(int& argc, char** argv)
{
    startedAs = argc > 0 && argv[0] && *argv[0] ? argv[0] : "orla_setup";
    before = qInstallMessageHandler(whileStarting);
    auto app = std::make_unique<QApplication>(argc, argv);
    qInstallMessageHandler(before);
    platform::setArguments(argc, argv);
    return app;
}

DisplayProbes realDisplayProbes(platform::XDisplayProbe& x)
{
    return {[](const char* name) {
                const char* v = std::getenv(name);
                return std::string(v ? v : "");
            },
            [&x](const std::string& name) { return x.answers(name); }, platform::waylandDisplayAnswers};
}

std::string displayProblem(const std::vector<std::string>& args, const DisplayProbes& probes)
{
    // The toolkit reads "--name" as "-name"; the last one counts.
    std::string platformName, displayName;
    bool platformGiven = false;
    for (std::size_t k = 0; k + 1 < args.size(); ++k) {
        std::string_view a = args[k];
        if (a.starts_with("--"))
            a.remove_prefix(1);
        if (a == "-platform") {
            platformName = args[++k];
            platformGiven = true;
        } else if (a == "-display") {
            displayName = args[++k];
        }
    }
    if (!platformGiven)
        platformName = probes.env("QT_QPA_PLATFORM");

    // The platforms the toolkit tries in turn; their options after ':'.
    std::vector<std::string> platforms;
    if (platformName.empty()) {
        if (!probes.env("WAYLAND_DISPLAY").empty() || probes.env("XDG_SESSION_TYPE") == "wayland")
            platforms.push_back("wayland");
        platforms.push_back("xcb");
    } else {
        std::size_t from = 0;
        while (from <= platformName.size()) {
            const std::size_t end = std::min(platformName.find(';', from), platformName.size());
            const std::string entry = platformName.substr(from, end - from);
            platforms.push_back(entry.substr(0, entry.find(':')));
            from = end + 1;
        }
    }

    std::string why;
    const auto add = [&](const std::string& reason) { why += (why.empty() ? "" : ", ") + reason; };
    for (const std::string& p : platforms) {
        if (p == "xcb") {
            const bool given = !displayName.empty();
            const std::string name = given ? displayName : probes.env("DISPLAY");
            if (name.empty())
                add("DISPLAY is not set");
            else if (probes.x(name))
                return {};
            else
                add((given ? "-display " : "DISPLAY=") + name + " cannot be opened");
        } else if (p.starts_with("wayland")) {
            if (!probes.env("WAYLAND_SOCKET").empty())
                return {};  // a connection handed over by whoever started us
            const std::string name = probes.env("WAYLAND_DISPLAY");
            if (probes.wayland(name.empty() ? "wayland-0" : name, probes.env("XDG_RUNTIME_DIR")))
                return {};
            add(name.empty() ? "WAYLAND_DISPLAY is not set" : "WAYLAND_DISPLAY=" + name + " cannot be opened");
        } else if (!p.empty()) {
            return {};
        }
    }
    return why;
}

std::string noDisplayMessage(const std::string& self, const std::string& why)
{
    return "orla_setup: no display to open (" + why + "); to run without one, start it as: xvfb-run -a " + self +
           "\n";
}

}  // namespace program
