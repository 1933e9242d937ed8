// Docked windows on the test stand's screens: placed by the frames they
// have or are taken to get, followed until the frames are known, and a row
// docked later clear of one docked before.

#include "platform/docking.h"

#include <QCoreApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

#include "tests/support/wait.h"

namespace {

QRect screenNamed(const char* name)
{
    for (QScreen* s : QGuiApplication::screens())
        if (s->name() == QLatin1String(name))
            return s->availableGeometry();
    return {};
}

// The screen that counts is the one holding the anchor, and a window that
// has never been shown is taken to get a frame like the anchor's.
TEST(Docking, OnTheScreenThatHoldsTheAnchor)
{
    const QRect small = screenNamed("small");
    ASSERT_EQ(small.size(), QSize(1024, 768)) << "the test stand's screens (tests/support/screens.json)";
    QWidget anchor;
    anchor.resize(440, 330);
    anchor.move(small.x() + 500, small.y());
    anchor.show();
    QCoreApplication::processEvents();
    QWidget docked;
    docked.resize(330, 220);
    platform::dockBeside(&anchor, 20, {&docked});
    docked.show();
    QCoreApplication::processEvents();
    EXPECT_TRUE(small.contains(docked.frameGeometry())) << "past the small screen, where no screen is";
    EXPECT_EQ(docked.frameGeometry().right() + 1 + 20, anchor.frameGeometry().left()) << "not left of the anchor";
}

bool onScreen(const QWidget& w) { return w.windowHandle() && w.windowHandle()->isExposed(); }

// Windows on the test stand's small screen, all shown and framed.
struct SmallScreen : ::testing::Test {
    void SetUp() override
    {
        area = screenNamed("small");
        ASSERT_EQ(area.size(), QSize(1024, 768)) << "the test stand's screens (tests/support/screens.json)";
    }
    static void showAll(std::initializer_list<QWidget*> windows)
    {
        for (QWidget* w : windows)
            w->show();
        for (QWidget* w : windows)
            ASSERT_TRUE(testing_support::waitUntil([w] { return onScreen(*w) && !platform::dockPending(w); }));
    }
    QRect area;
};

// The set-up window and the pad docked as one row beside a main window in
// the middle of a small screen: side by side, neither on the other, both
// wholly on the screen with their frames.
TEST_F(SmallScreen, ARowOfWindowsStaysSideBySideOnTheScreen)
{
    QWidget main, wizard, pad;
    main.resize(440, 330);
    wizard.resize(400, 344);
    pad.resize(305, 305);
    main.move(area.x() + 291, area.y());
    showAll({&main});
    platform::dockBeside(&main, 0, {&wizard, &pad}, 10);
    showAll({&wizard, &pad});
    const QRect w = wizard.frameGeometry(), p = pad.frameGeometry();
    EXPECT_FALSE(w.intersects(p)) << "the pad lies on the set-up window";
    EXPECT_EQ(p.left(), w.right() + 1 + 10);
    EXPECT_EQ(p.top(), w.top());
    EXPECT_TRUE(area.contains(w)) << "the set-up window leaves the screen";
    EXPECT_TRUE(area.contains(p)) << "the pad leaves the screen";
    EXPECT_EQ(p.right(), area.right()) << "moved no further than needed";
}

// The device window and the set-up row docked beside one main window at
// either edge or in the middle of a small screen, in either order: the one
// docked later keeps clear of the other, both wholly on the screen. A row
// docked before whose windows are hidden is not in the way.
TEST_F(SmallScreen, ARowDockedLaterKeepsClearOfTheOneDockedBefore)
{
    for (const int mainLeft : {0, 291, 582}) {
        for (const bool deviceFirst : {true, false}) {
            SCOPED_TRACE(testing::Message() << "main at " << mainLeft << (deviceFirst ? ", device first" : ", set-up first"));
            QWidget main, device, wizard, pad;
            main.resize(440, 330);
            device.resize(330, 220);
            wizard.resize(400, 344);
            pad.resize(305, 305);
            main.move(area.x() + mainLeft, area.y());
            showAll({&main});
            const auto dockDevice = [&] {
                platform::dockBeside(&main, 20, {&device});
                showAll({&device});
            };
            const auto dockRow = [&] {
                platform::dockBeside(&main, 0, {&wizard, &pad}, 10);
                showAll({&wizard, &pad});
            };
            if (deviceFirst) {
                dockDevice();
                dockRow();
            } else {
                dockRow();
                dockDevice();
            }
            const QRect d = device.frameGeometry(), w = wizard.frameGeometry(), p = pad.frameGeometry();
            EXPECT_FALSE(d.intersects(w)) << "the device window and the set-up window cover each other";
            EXPECT_FALSE(d.intersects(p)) << "the device window and the pad cover each other";
            EXPECT_EQ(p.topLeft(), QPoint(w.right() + 1 + 10, w.top()));
            for (const QRect& r : {d, w, p})
                EXPECT_TRUE(area.contains(r)) << r.x() << "," << r.y();

            // Hidden, the earlier windows leave the place beside the main
            // window to the next docking.
            for (QWidget* x : {&device, &wizard, &pad})
                x->hide();
            dockRow();
            EXPECT_EQ(wizard.frameGeometry().top(), main.frameGeometry().top());
        }
    }
}

// A docking made before the main window is on the screen: the window manager
// then moves the main window, and the frames become known only once shown.
// The docked window ends beside the main window's real place, its frame (not
// its client area) within the screen.
TEST_F(SmallScreen, ADockingMadeBeforeTheMainWindowIsPlacedFollowsItsPlacing)
{
    QWidget main, device;
    main.resize(440, 330);
    device.resize(330, 220);
    main.move(area.x(), area.y());
    platform::dockBeside(&main, 20, {&device});
    main.move(area.x() + area.width() - 442 - 2, area.y());  // the window manager's place for it
    showAll({&main, &device});
    EXPECT_EQ(device.frameGeometry().right() + 1 + 20, main.frameGeometry().left()) << "not beside the main window";
    EXPECT_TRUE(area.contains(device.frameGeometry()));
    // Once the main window is on the screen, its moves are the operator's:
    // the device window stays.
    const QPoint stays = device.frameGeometry().topLeft();
    main.move(area.x(), area.y());
    ASSERT_TRUE(testing_support::waitUntil([&] { return main.frameGeometry().topLeft() == area.topLeft(); }));
    QCoreApplication::processEvents();
    EXPECT_EQ(device.frameGeometry().topLeft(), stays);
}

TEST_F(SmallScreen, AWindowPushedToTheRightEdgeHasItsFrameOnTheScreen)
{
    QWidget main, device;
    main.resize(440, 330);
    device.resize(330, 220);
    main.move(area.x() + 291, area.y());
    platform::dockBeside(&main, 20, {&device});
    showAll({&main, &device});
    EXPECT_EQ(device.frameGeometry().right(), area.right());
}

// A dialog opened again opens where it was, not where the toolkit would
// centre it anew.
TEST_F(SmallScreen, ADialogOpenedAgainOpensWhereItWas)
{
    QWidget owner;
    owner.resize(440, 330);
    owner.move(area.x() + 291, area.y());
    showAll({&owner});
    QDialog dialog(&owner);
    dialog.resize(360, 280);
    platform::reopenInPlace(&dialog);
    showAll({&dialog});
    // Moved as the operator moves it, by its title bar: the window system's
    // move, not the program's.
    const QPoint where = area.topLeft() + QPoint(40, 300);
    dialog.windowHandle()->setFramePosition(where);
    ASSERT_TRUE(testing_support::waitUntil([&] { return dialog.frameGeometry().topLeft() == where; }));
    dialog.hide();
    showAll({&dialog});
    EXPECT_EQ(dialog.frameGeometry().topLeft(), where);
}

}  // namespace
