// Where docked windows go, as plain geometry: the wanted place when it lies
// wholly on the screen, else the least move that brings it onto the screen's
// free area; beside the main window right, else left, else moved onto the
// screen; clear of windows docked before where the screen has room.

#include "platform/dock_geometry.h"

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

}  // namespace

namespace {

// The device window and the set-up row docked beside one main window, with
// the frames a window manager gives them, the main window at the left edge,
// in the middle and at the right edge of a laptop's screen and a small one,
// either opened first: the one opened later stands clear of the other,
// beside the main window at its top where that is free, else below the
// other.
TEST(DockGeometry, ARowDockedLaterKeepsClearOfOneDockedBefore)
{
    struct Case {
        const char* what;
        QRect area;
        int mainLeft;
        QRect before;  // the frame docked first
        QSize later;
        int gap;
        QPoint expected;
    };
    const QRect laptop(0, 0, 1366, 768), small(0, 0, 1024, 768), desk(0, 0, 1920, 1200);
    const QSize device(332, 245), setupRow(719, 369);
    const Case cases[] = {
        {"laptop, main left: set-up row after the device", laptop, 0, {{462, 0}, device}, setupRow, 0, {442, 245}},
        {"laptop, main middle: set-up row after the device", laptop, 462, {{924, 0}, device}, setupRow, 0, {647, 245}},
        {"laptop, main right: set-up row after the device", laptop, 924, {{572, 0}, device}, setupRow, 0, {205, 245}},
        {"small, main left: set-up row after the device", small, 0, {{462, 0}, device}, setupRow, 0, {305, 245}},
        {"small, main middle: set-up row after the device", small, 291, {{692, 0}, device}, setupRow, 0, {305, 245}},
        {"small, main right: set-up row after the device", small, 582, {{230, 0}, device}, setupRow, 0, {305, 245}},
        {"laptop, main left: device after the set-up row", laptop, 0, {{442, 0}, setupRow}, device, 20, {462, 389}},
        {"laptop, main middle: device after the set-up row", laptop, 462, {{647, 0}, setupRow}, device, 20, {110, 0}},
        {"laptop, main right: device after the set-up row", laptop, 924, {{205, 0}, setupRow}, device, 20, {572, 389}},
        {"small, main left: device after the set-up row", small, 0, {{305, 0}, setupRow}, device, 20, {462, 389}},
        {"small, main middle: device after the set-up row", small, 291, {{305, 0}, setupRow}, device, 20, {692, 389}},
        {"small, main right: device after the set-up row", small, 582, {{305, 0}, setupRow}, device, 20, {230, 389}},
        {"the other side at the top is free", desk, 739, {{1201, 0}, device}, setupRow, 0, {20, 0}},
        {"nothing in the way: the place beside", laptop, 0, {{0, 400}, device}, setupRow, 0, {442, 0}},
    };
    for (const Case& c : cases) {
        const QRect main(c.mainLeft, 0, 442, 355);
        const QPoint at = platform::placeBesideClear(main, c.later, c.gap, c.area, {c.before});
        EXPECT_EQ(at, c.expected) << c.what;
        EXPECT_TRUE(c.area.contains(QRect(at, c.later))) << c.what;
        EXPECT_FALSE(QRect(at, c.later).intersects(c.before)) << c.what;
    }
}

// Where the screen has no room for both, the later one lies over the other
// where placeBeside puts it.
TEST(DockGeometry, WithoutRoomForBothTheLaterLiesOverTheOther)
{
    const QRect low(0, 0, 1024, 500), main(0, 0, 442, 355), device(462, 0, 332, 245);
    const QSize setupRow(719, 369);
    EXPECT_EQ(platform::placeBesideClear(main, setupRow, 0, low, {device}),
              platform::placeBeside(main, setupRow, 0, low));
    EXPECT_EQ(platform::placeBesideClear(main, setupRow, 0, low, {}), platform::placeBeside(main, setupRow, 0, low));
}

TEST(DockGeometry, CentredOnTheAnchorAndOnTheScreen)
{
    const QRect small(0, 0, 1024, 768);
    EXPECT_EQ(platform::centredOn({291, 0, 442, 355}, {200, 151}, small), QPoint(412, 102));
    EXPECT_EQ(platform::centredOn({0, 0, 442, 355}, {600, 400}, small), QPoint(0, 0)) << "moved onto the screen";
}

// A frame counts as known once the client lies inside it, below or right of
// its corner; until then a window is placed by a frame like another's.
TEST(DockGeometry, AFrameIsKnownOnceTheClientLiesInsideIt)
{
    struct Case {
        const char* what;
        QMargins margins;
        bool known;
    };
    const Case cases[] = {
        {"none yet", {0, 0, 0, 0}, false},
        {"a title bar and borders", {1, 24, 1, 1}, true},
        {"a title bar only", {0, 21, 0, 0}, true},
        {"its size before its place: the corner at the client's", {0, 0, 2, 25}, false},
        {"smaller than the client", {1, 24, -1, 1}, false},
    };
    const QMargins guess(2, 20, 2, 2);
    for (const Case& c : cases) {
        EXPECT_EQ(platform::knownFrame(c.margins), c.known) << c.what;
        EXPECT_EQ(platform::frameOrGuess(c.margins, guess), c.known ? c.margins : guess) << c.what;
    }
}

TEST(DockGeometry, ARowIsItsFramesSideBySide)
{
    EXPECT_EQ(platform::rowSize({{402, 369}, {307, 330}}, 10), QSize(719, 369));
    EXPECT_EQ(platform::rowSize({{332, 245}}, 10), QSize(332, 245));
    EXPECT_EQ(platform::rowSize({}, 10), QSize(0, 0));
}

}  // namespace
