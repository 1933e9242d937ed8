// A window's frame on a real X display, where a window manager puts it
// around a window already shown: a busy one often does so after the toolkit
// has had the window's last move, and no move follows.

#include "platform/docking.h"

#include <QDialog>
#include <QGuiApplication>
#include <QWindow>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <ostream>

#include <gtest/gtest.h>

#include "tests/support/wait.h"

// Found by GoogleTest beside QRect, in the global namespace.
void PrintTo(const QRect& r, std::ostream* os)
{
    *os << r.x() << "," << r.y() << " " << r.width() << "x" << r.height();
}

namespace {

// As much of a window manager as frames need: it tells the display that it
// runs, reparents a window into a frame where the window stands and moves a
// frame, telling the window its place as window managers do (a synthetic
// configure notify) when asked to.
class FramingWindowManager {
public:
    FramingWindowManager() : c_(xcb_connect(nullptr, nullptr))
    {
        screen_ = xcb_setup_roots_iterator(xcb_get_setup(c_)).data;
        const xcb_window_t check = xcb_generate_id(c_);
        xcb_create_window(c_, XCB_COPY_FROM_PARENT, check, screen_->root, -1, -1, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
        const xcb_atom_t supporting = atom("_NET_SUPPORTING_WM_CHECK");
        for (xcb_window_t on : {screen_->root, check})
            xcb_change_property(c_, XCB_PROP_MODE_REPLACE, on, supporting, XCB_ATOM_WINDOW, 32, 1, &check);
        sync();
    }
    ~FramingWindowManager() { xcb_disconnect(c_); }
    FramingWindowManager(const FramingWindowManager&) = delete;
    FramingWindowManager& operator=(const FramingWindowManager&) = delete;

    // Frames the window whose place and size on the root window is `client`,
    // and tells it its place; returns the frame.
    xcb_window_t frame(xcb_window_t window, const QRect& client, const QMargins& m)
    {
        const xcb_window_t frame = xcb_generate_id(c_);
        xcb_create_window(c_, XCB_COPY_FROM_PARENT, frame, screen_->root, static_cast<int16_t>(client.x() - m.left()),
                          static_cast<int16_t>(client.y() - m.top()),
                          static_cast<uint16_t>(client.width() + m.left() + m.right()),
                          static_cast<uint16_t>(client.height() + m.top() + m.bottom()), 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
        xcb_reparent_window(c_, window, frame, static_cast<int16_t>(m.left()), static_cast<int16_t>(m.top()));
        xcb_map_window(c_, frame);
        tell(window, client);
        return frame;
    }

    // Moves `frame`, its window not told yet.
    void move(xcb_window_t frame, QPoint to)
    {
        const uint32_t at[] = {static_cast<uint32_t>(to.x()), static_cast<uint32_t>(to.y())};
        xcb_configure_window(c_, frame, XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, at);
        sync();
    }

    // Tells `window` that it stands at `client` on the root window.
    void tell(xcb_window_t window, const QRect& client)
    {
        xcb_configure_notify_event_t place;
        std::memset(&place, 0, sizeof place);
        place.response_type = XCB_CONFIGURE_NOTIFY;
        place.event = window;
        place.window = window;
        place.x = static_cast<int16_t>(client.x());
        place.y = static_cast<int16_t>(client.y());
        place.width = static_cast<uint16_t>(client.width());
        place.height = static_cast<uint16_t>(client.height());
        xcb_send_event(c_, 0, window, XCB_EVENT_MASK_STRUCTURE_NOTIFY, reinterpret_cast<const char*>(&place));
        sync();
    }

private:
    xcb_atom_t atom(const char* name)
    {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            c_, xcb_intern_atom(c_, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
        const xcb_atom_t a = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
        std::free(reply);
        return a;
    }
    void sync() { std::free(xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr)); }

    xcb_connection_t* c_;
    xcb_screen_t* screen_;
};

bool exposed(const QWidget& w) { return w.windowHandle() && w.windowHandle()->isExposed(); }

// A dialog shown on a display whose window manager has not framed it yet.
// The display is asked once whether a window manager runs: it is told so
// before any test asks.
struct ShownDialog : ::testing::Test {
    void SetUp() override
    {
        ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
        dialog.setGeometry(200, 150, 260, 116);
        dialog.show();
        ASSERT_TRUE(testing_support::waitUntil([&] { return exposed(dialog); }));
        ASSERT_EQ(dialog.frameGeometry(), dialog.geometry()) << "framed before the window manager framed it";
    }
    // Frames it where it stands, once the toolkit's window has seen the frame.
    xcb_window_t framed()
    {
        const xcb_window_t frame = manager.frame(window(), dialog.geometry(), margins);
        EXPECT_TRUE(testing_support::waitUntil(
            [&] { return exposed(dialog) && dialog.windowHandle()->frameMargins() == margins; }))
            << "the toolkit's window never saw the frame";
        return frame;
    }
    xcb_window_t window() const { return static_cast<xcb_window_t>(dialog.winId()); }

    static inline FramingWindowManager manager;
    const QMargins margins{1, 20, 1, 1};
    QDialog dialog;
};

// The frame it gets after the toolkit had its last move is the one the
// program places it by and reports, and the window counts as framed.
TEST_F(ShownDialog, AFramePutAroundItAfterItsLastMoveIsLearnt)
{
    framed();
    EXPECT_TRUE(testing_support::waitUntil([&] { return platform::framedOnScreen(&dialog); }))
        << "the frame is never learnt";
    EXPECT_EQ(dialog.frameGeometry(), dialog.geometry().marginsAdded(margins));
    EXPECT_EQ(dialog.geometry(), QRect(200, 150, 260, 116)) << "moved by learning its frame";
}

// Moved by the window manager, whose report has not reached the toolkit yet:
// not yet framed on the screen, where its frame stands for the old place;
// framed again once told.
TEST_F(ShownDialog, AMoveNotYetReportedLeavesItUnsettled)
{
    const xcb_window_t frame = framed();
    ASSERT_TRUE(testing_support::waitUntil([&] { return platform::framedOnScreen(&dialog); }));
    manager.move(frame, {299, 130});
    EXPECT_FALSE(platform::framedOnScreen(&dialog)) << "framed at a place it has left";
    manager.tell(window(), {300, 150, 260, 116});
    EXPECT_TRUE(testing_support::waitUntil([&] { return platform::framedOnScreen(&dialog); }));
    EXPECT_EQ(dialog.frameGeometry(), QRect(299, 130, 262, 137));
}

}  // namespace
