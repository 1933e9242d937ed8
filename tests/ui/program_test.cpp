// The program's own start-up and end, run in this process with the platform
// faked: the windows in their order, the boxes they show, the signals.

#include "platform/dialogs.h"
#include "platform/end_signals.h"
#include "tests/support/fake_desktop.h"
#include "tests/support/fake_hid.h"
#include "tests/support/fake_sound.h"
#include "tests/support/fake_system.h"
#include "tests/support/fresh_run.h"
#include "tests/support/sim_board_interface.h"
#include "ui/program.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <string>

namespace {

std::string dataDir()
{
    const char* d = std::getenv("ORLA_DATA_DIR");
    return d ? std::string(d) : std::string(".");
}

// A board the operator may not open, as without the udev rule: the device
// window's creation shows its box, on screen, while the start-up waits.
TEST(Program, AnEndSignalWhileAStartUpBoxIsOpenEndsTheProgramWithStatusZero)
{
    testing_support::freshBoardRun();
    testing_support::TempDir home;
    testing_support::FakeSystem system;
    system.home = home.path();
    system.program = dataDir() + "/orla_setup";
    testing_support::FakeSoundPlayer sound;
    testing_support::FakeDesktop desktop;
    testing_support::SimBoard board;
    testing_support::FakeHidBackend fake;
    fake.add<testing_support::SimBoardInterface>(board, "/dev/hidraw0")->openFails = true;
    platform::setDialogs(nullptr);  // the toolkit's own boxes, which wait for the operator
    platform::catchEndSignals();

    std::string boxText;
    bool gaveUp = false;
    QElapsedTimer waited;
    waited.start();
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box && boxText.empty()) {
            boxText = box->text().toStdString();
            std::raise(SIGTERM);  // a logout or a service stop, with the box up
        } else if (box && waited.elapsed() > 5000) {
            gaveUp = true;  // nothing ended it: let the test fail, not hang
            platform::dialogs().closeAll();
        }
    });
    watcher.start(5);

    const int status = program::run();
    watcher.stop();
    platform::setDialogs(nullptr);

    EXPECT_EQ(boxText, "Could not open device 1\nPermission denied");
    EXPECT_FALSE(gaveUp) << "the signal waited for the operator";
    EXPECT_EQ(status, 0);
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_FALSE(w->isVisible()) << w->objectName().toStdString();
}

}  // namespace
