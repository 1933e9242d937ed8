// Every test program starts here: a QApplication on the offscreen platform, so
// widget tests run without a display, and the bridge to its thread.

#include "platform/gui_bridge.h"
#include "platform/toolkit_dialogs.h"

#include <QApplication>

#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    platform::useToolkitDialogs();
    platform::UiBridge bridge;
    return RUN_ALL_TESTS();
}
