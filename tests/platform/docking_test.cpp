// Where a docked window goes: the wanted place when it lies wholly on the
// screen, else the least move that brings it onto the screen's free area.

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

using platform::fitOnScreen;

// A laptop's screen and a small one, the main window (frame 444 x 354) at
// their left edge, in the middle and at the right edge; the device window
// (frame 334 x 224) wanted 20 px right of it, the set-up window (404 x 368)
// right beside it and the pad (309 x 309) 10 px right of that.
TEST(Docking, ThePlaceIsKeptWhereItFitsElseTheLeastMoveBringsItOn)
{
    struct Case {
        const char* what;
        QRect frame, area;
        QPoint expected;
    };
    const QRect laptop(0, 0, 1366, 768), small(0, 0, 1024, 768);
    const Case cases[] = {
        {"laptop, main left: device", {464, 0, 334, 224}, laptop, {464, 0}},
        {"laptop, main left: set-up window", {444, 0, 404, 368}, laptop, {444, 0}},
        {"laptop, main left: pad", {858, 0, 309, 309}, laptop, {858, 0}},
        {"laptop, main middle: device", {925, 200, 334, 224}, laptop, {925, 200}},
        {"laptop, main middle: pad", {1319, 200, 309, 309}, laptop, {1057, 200}},
        {"laptop, main right: device", {1386, 0, 334, 224}, laptop, {1032, 0}},
        {"laptop, main right: set-up window", {1366, 0, 404, 368}, laptop, {962, 0}},
        {"small, main left: device", {464, 0, 334, 224}, small, {464, 0}},
        {"small, main left: pad", {858, 0, 309, 309}, small, {715, 0}},
        {"small, main middle: device", {754, 0, 334, 224}, small, {690, 0}},
        {"small, main right: set-up window", {1024, 0, 404, 368}, small, {620, 0}},
        {"exactly at the right and bottom edges", {690, 544, 334, 224}, small, {690, 544}},
        {"below the bottom edge", {0, 700, 309, 309}, small, {0, 459}},
        {"left of and above the area", {-50, -20, 334, 224}, small, {0, 0}},
        {"on a second screen, past its right edge", {2700, 10, 334, 224}, {1920, 0, 1024, 768}, {2610, 10}},
        {"below a panel at the top", {100, 0, 334, 224}, {0, 32, 1366, 736}, {100, 32}},
        {"larger than the area: its top left stays on it", {500, 100, 1200, 900}, small, {0, 0}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(fitOnScreen(c.frame, c.area), c.expected) << c.what;
}

QRect screenNamed(const char* name)
{
    for (QScreen* s : QGuiApplication::screens())
        if (s->name() == QLatin1String(name))
            return s->availableGeometry();
    return {};
}

// The frames a window manager gives them: the main window 442 x 355, the
// device window 332 x 245, the set-up window 402 x 369 and the pad 307 x 330,
// the pad 10 px right of the set-up window, so that row is 719 x 369. On a
// laptop's screen and a small one, the main window at the left edge, in the
// middle and at the right edge: right of it where that fits, else left of it
// (the row's last frame ending where the main window's begins), else moved
// the least distance onto the screen.
TEST(Docking, BesideTheMainWindowRightElseLeftElseTheLeastMove)
{
    struct Case {
        const char* what;
        QRect area;
        int mainLeft;
        QSize group;
        int gap;
        QPoint expected;
    };
    const QRect laptop(0, 0, 1366, 768), small(0, 0, 1024, 768);
    const QSize device(332, 245), setupRow(402 + 10 + 307, 369);
    const Case cases[] = {
        {"laptop, main left: device", laptop, 0, device, 20, {462, 0}},
        {"laptop, main middle: device", laptop, 462, device, 20, {924, 0}},
        {"laptop, main right: device", laptop, 924, device, 20, {572, 0}},
        {"small, main left: device", small, 0, device, 20, {462, 0}},
        {"small, main middle: device", small, 291, device, 20, {692, 0}},
        {"small, main right: device", small, 582, device, 20, {230, 0}},
        {"laptop, main left: set-up row", laptop, 0, setupRow, 0, {442, 0}},
        {"laptop, main middle: set-up row", laptop, 462, setupRow, 0, {647, 0}},
        {"laptop, main right: set-up row", laptop, 924, setupRow, 0, {205, 0}},
        {"small, main left: set-up row", small, 0, setupRow, 0, {305, 0}},
        {"small, main middle: set-up row", small, 291, setupRow, 0, {305, 0}},
        {"small, main right: set-up row", small, 582, setupRow, 0, {305, 0}},
    };
    for (const Case& c : cases) {
        const QRect main(c.mainLeft, 0, 442, 355);
        const QPoint at = platform::placeBeside(main, c.group, c.gap, c.area);
        EXPECT_EQ(at, c.expected) << c.what;
        EXPECT_TRUE(c.area.contains(QRect(at, c.group))) << c.what;
    }
}

TEST(Docking, BesideTheMainWindowAtTheScreensEdges)
{
    struct Case {
        const char* what;
        QRect anchor, area;
        QSize group;
        QPoint expected;
    };
    const Case cases[] = {
        {"low on the screen: moved up, still beside", {0, 600, 442, 355}, {0, 0, 1366, 768}, {332, 245}, {462, 523}},
        {"below a panel at the top", {0, 0, 442, 355}, {0, 32, 1366, 736}, {332, 245}, {462, 32}},
        {"on a second screen: left of the main window there", {2900, 0, 442, 355}, {1920, 0, 1366, 768},
         {332, 245}, {2548, 0}},
        {"wider than the screen: its left edge stays on it", {0, 0, 442, 355}, {0, 0, 1024, 768}, {1200, 300}, {0, 0}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(platform::placeBeside(c.anchor, c.group, 20, c.area), c.expected) << c.what;
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
