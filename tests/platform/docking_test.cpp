// Where a docked window goes: the wanted place when it lies wholly on the
// screen, else the least move that brings it onto the screen's free area.

#include "platform/docking.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <gtest/gtest.h>

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
    platform::dockBeside(&docked, {anchor.x() + anchor.frameGeometry().width() + 20, anchor.y()}, &anchor);
    docked.show();
    QCoreApplication::processEvents();
    EXPECT_TRUE(small.contains(docked.frameGeometry())) << "past the small screen, where no screen is";
    EXPECT_EQ(docked.frameGeometry().right(), small.right()) << "moved no further than needed";
}

}  // namespace
