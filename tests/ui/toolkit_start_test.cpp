// The program's start of the toolkit, in a process of its own: the one
// application a process may have is the one the test starts.

#include "core/system_init.h"
#include "platform/system.h"
#include "ui/toolkit_start.h"

#include <gtest/gtest.h>

#include <QGuiApplication>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

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

}  // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    return RUN_ALL_TESTS();
}
