// The program's start of the toolkit, in a process of its own: the one
// application a process may have is the one the test starts.

#include "core/system_init.h"
#include "platform/system.h"
#include "ui/toolkit_start.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

// Values of the toolkit's options that begin like the program's switches:
// read before the toolkit took them, they set the documents folder and the
// settings file.
TEST(ToolkitStart, TheSwitchesAreReadFromTheArgumentsTheToolkitLeaves)
{
    std::vector<std::string> given = {"orla_setup",   "-dDocs",          "-i/etc/orla/my.ini", "-qwindowtitle",
                                      "/dark sky",    "-qwindowicon",    "/icons/orla.png",    "-qwindowgeometry",
                                      "640x480"};
    std::vector<char*> argv;
    for (std::string& a : given)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    int argc = static_cast<int>(given.size());
    const auto app = program::startToolkit(argc, argv.data());
    EXPECT_EQ(platform::sys().arguments(), (std::vector<std::string>{"-dDocs", "-i/etc/orla/my.ini"}));
    CMD_PARAMS.clear();
    GET_CMD_PARAMS();
    EXPECT_EQ(GET_CMD_PARAM('d', ""), "Docs");
    EXPECT_EQ(GET_CMD_PARAM('i', ""), "/etc/orla/my.ini");
}

}  // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    return RUN_ALL_TESTS();
}
