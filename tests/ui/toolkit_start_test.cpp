// The program's start of the toolkit, in a process of its own: the one
// application a process may have is the one the test starts.

#include "core/system_init.h"
#include "platform/display_probe.h"
#include "platform/system.h"
#include "ui/toolkit_start.h"

#include <gtest/gtest.h>

#include <QGuiApplication>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// The toolkit's options, and values of them that begin like the program's
// switches: the toolkit takes some out of the arguments, on its platform
// (X11 takes "-icon", "-title" and "-display", offscreen does not), and
// what it leaves is not read as the program's either.
TEST(ToolkitStart, TheSwitchesAreReadFromTheArgumentsTheToolkitLeaves)
{
    const char* display = std::getenv("DISPLAY");
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    std::vector<std::string> given = {"orla_setup",
                                      "-dDocs",
                                      "-i/etc/orla/my.ini",
                                      "-platform",
                                      platform && *platform ? platform : "offscreen",
                                      "-qwindowtitle",
                                      "/dark sky",
                                      "-qwindowicon",
                                      "/icons/orla.png",
                                      "-qwindowgeometry",
                                      "640x480",
                                      "-icon",
                                      "/icons/orla.png",
                                      "-title",
                                      "/dark sky",
                                      "--name",
                                      "/dark",
                                      "-display",
                                      display && *display ? display : ":0",
                                      "-dograb",
                                      "-im",
                                      "/input",
                                      "-inputstyle",
                                      "/input"};
    std::vector<char*> argv;
    for (std::string& a : given)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    int argc = static_cast<int>(given.size());
    const auto app = program::startToolkit(argc, argv.data());
    const std::vector<std::string> left = platform::sys().arguments();
    EXPECT_EQ(left.front(), "-dDocs");
    EXPECT_EQ(std::count(left.begin(), left.end(), "/dark sky"), QGuiApplication::platformName() == "xcb" ? 0 : 1)
        << "on X11 the toolkit takes its window title, elsewhere only the general option";
    CMD_PARAMS.clear();
    GET_CMD_PARAMS();
    EXPECT_EQ(GET_CMD_PARAM('d', ""), "Docs") << testing::PrintToString(left);
    EXPECT_EQ(GET_CMD_PARAM('i', ""), "/etc/orla/my.ini");
}

// Which displays the toolkit would try, as it chooses them, and what the
// program says where none of them answers.
TEST(ToolkitStart, TheDisplayCheckAsksWhatTheToolkitWouldOpen)
{
    const struct Case {
        const char* what;
        std::vector<std::string> args;
        std::map<std::string, std::string> env;
        std::string why;  // empty: the toolkit can open a display
    } cases[] = {
        {"nothing set", {}, {}, "DISPLAY is not set"},
        {"a live X display", {}, {{"DISPLAY", ":0"}}, ""},
        {"a dead X display", {}, {{"DISPLAY", ":4711"}}, "DISPLAY=:4711 cannot be opened"},
        {"a missing screen", {}, {{"DISPLAY", ":0.3"}}, "DISPLAY=:0.3 cannot be opened"},
        {"-display over DISPLAY", {"-display", ":4711"}, {{"DISPLAY", ":0"}}, "-display :4711 cannot be opened"},
        {"--display, live", {"--display", ":0"}, {{"DISPLAY", ":4711"}}, ""},
        {"a dead Wayland display, no X", {}, {{"WAYLAND_DISPLAY", "wayland-9"}},
         "WAYLAND_DISPLAY=wayland-9 cannot be opened, DISPLAY is not set"},
        {"a dead Wayland display beside a live X one", {}, {{"WAYLAND_DISPLAY", "wayland-9"}, {"DISPLAY", ":0"}}, ""},
        {"a live Wayland display", {}, {{"WAYLAND_DISPLAY", "wayland-1"}, {"DISPLAY", ":4711"}}, ""},
        {"a Wayland session's default socket", {},
         {{"XDG_SESSION_TYPE", "wayland"}, {"XDG_RUNTIME_DIR", "/run/user/7"}}, ""},
        {"a handed-over Wayland connection", {}, {{"WAYLAND_DISPLAY", "wayland-9"}, {"WAYLAND_SOCKET", "5"}}, ""},
        {"X11 asked for, a live Wayland display beside", {},
         {{"QT_QPA_PLATFORM", "xcb"}, {"WAYLAND_DISPLAY", "wayland-1"}, {"DISPLAY", ":4711"}},
         "DISPLAY=:4711 cannot be opened"},
        {"X11 asked for, nothing set", {}, {{"QT_QPA_PLATFORM", "xcb"}}, "DISPLAY is not set"},
        {"a list of platforms", {}, {{"QT_QPA_PLATFORM", "wayland;xcb:nograb"}, {"DISPLAY", ":4711"}},
         "WAYLAND_DISPLAY is not set, DISPLAY=:4711 cannot be opened"},
        {"another platform", {}, {{"QT_QPA_PLATFORM", "offscreen"}, {"DISPLAY", ":4711"}}, ""},
        {"another platform last in a list", {}, {{"QT_QPA_PLATFORM", "xcb;vnc"}}, ""},
        {"-platform over the environment", {"-platform", "xcb"}, {{"QT_QPA_PLATFORM", "offscreen"}},
         "DISPLAY is not set"},
        {"--platform", {"--platform", "offscreen:size=800x600"}, {}, ""},
    };
    const std::set<std::string> liveX = {":0", ":0.0", ":0.1"};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const program::DisplayProbes probes{
            [&](const char* name) {
                const auto it = c.env.find(name);
                return it == c.env.end() ? std::string() : it->second;
            },
            [&](const std::string& name) { return liveX.count(name) > 0; },
            [&](const std::string& name, const std::string& folder) {
                return name == "wayland-1" || (name == "wayland-0" && folder == "/run/user/7");
            }};
        EXPECT_EQ(program::displayProblem(c.args, probes), c.why);
    }
    EXPECT_EQ(program::noDisplayMessage("./orla_setup", "DISPLAY=:4711 cannot be opened"),
              "orla_setup: no display to open (DISPLAY=:4711 cannot be opened); to run without one, start it as: "
              "xvfb-run -a ./orla_setup\n");
}

// A display number no server here has taken.
std::string unusedDisplay()
{
    for (int n = 4711;; ++n) {
        const std::string number = std::to_string(n);
        struct stat st {};
        if (::stat(("/tmp/.X11-unix/X" + number).c_str(), &st) != 0 &&
            ::stat(("/tmp/.X" + number + "-lock").c_str(), &st) != 0)
            return ":" + number;
    }
}

TEST(ToolkitStart, TheProbesAskTheDisplaysThemselves)
{
    platform::XDisplayProbe x;
    EXPECT_FALSE(x.answers(unusedDisplay()));
    // The X11 run has a server of its own; elsewhere one may be there or not.
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    const char* display = std::getenv("DISPLAY");
    if (platform && std::string(platform) == "xcb" && display) {
        EXPECT_TRUE(x.answers(display));
        EXPECT_TRUE(x.answers("")) << "DISPLAY's";
        EXPECT_FALSE(x.answers(std::string(display) + ".7")) << "no such screen";
    }
    x.release();

    // A compositor's socket, by name in the runtime folder and by path.
    char folder[] = "/tmp/orla-wayland-XXXXXX";
    ASSERT_NE(::mkdtemp(folder), nullptr);
    const std::string path = std::string(folder) + "/wayland-5";
    const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
    ASSERT_EQ(::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listener, 4), 0);
    EXPECT_TRUE(platform::waylandDisplayAnswers("wayland-5", folder));
    EXPECT_TRUE(platform::waylandDisplayAnswers(path, ""));
    EXPECT_FALSE(platform::waylandDisplayAnswers("wayland-5", "")) << "no runtime folder to find it in";
    EXPECT_FALSE(platform::waylandDisplayAnswers("wayland-6", folder));
    EXPECT_FALSE(platform::waylandDisplayAnswers(std::string(200, 'w'), folder)) << "longer than a socket's path";
    ::close(listener);
    EXPECT_FALSE(platform::waylandDisplayAnswers("wayland-5", folder)) << "the compositor has gone";
    ::unlink(path.c_str());
    ::rmdir(folder);
}

// Where the toolkit cannot open a display the check found answering (a
// Wayland socket that takes connections, with no plugin for it, say), the
// program ends with its own message and status 1, not the toolkit's abort.
TEST(ToolkitStartDeathTest, AToolkitThatOpensNoDisplayEndsTheProgramWithStatusOne)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto start = [] {
        std::vector<std::string> given = {"orla_setup", "-platform", "xcb", "-display", unusedDisplay()};
        std::vector<char*> argv;
        for (std::string& a : given)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        int argc = static_cast<int>(given.size());
        const auto app = program::startToolkit(argc, argv.data());
    };
    EXPECT_EXIT(start(), testing::ExitedWithCode(1),
                "orla_setup: no display to open \\(the toolkit could not open one\\); to run without one, start "
                "it as: xvfb-run -a orla_setup");
}

}  // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    return RUN_ALL_TESTS();
}
