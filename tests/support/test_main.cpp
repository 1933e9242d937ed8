// Every test program starts here: a QApplication on the offscreen platform, so
// widget tests run without a display, and the bridge to its thread.

#include "platform/gui_bridge.h"
#include "platform/toolkit_dialogs.h"

#include <QApplication>

#include <cstdlib>
#include <string>
#include <gtest/gtest.h>

namespace {

// The tests that save pictures run only where pictures are asked for, so an
// ordinary run has no test that always skips.
void leaveOutPicturesUnlessAsked()
{
    const char* folder = std::getenv("ORLA_SCREENSHOTS");
    if (folder && *folder)
        return;
    std::string filter = GTEST_FLAG_GET(filter);
    filter += filter.find('-') == std::string::npos ? "-" : ":";
    filter += "*.Screenshot:*.Screenshots";
    GTEST_FLAG_SET(filter, filter);
}

}  // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    leaveOutPicturesUnlessAsked();
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    platform::useToolkitDialogs();
    platform::UiBridge bridge;
    return RUN_ALL_TESTS();
}
