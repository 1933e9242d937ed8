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
// runs, and reparents a window into a frame where the window stands, telling
// the window its place as window managers do (a synthetic configure notify),
// without moving it.
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

    // `client` is the window's place and size on the root window.
    void frame(xcb_window_t window, const QRect& client, const QMargins& m)
    {
        const xcb_window_t frame = xcb_generate_id(c_);
        xcb_create_window(c_, XCB_COPY_FROM_PARENT, frame, screen_->root, static_cast<int16_t>(client.x() - m.left()),
                          static_cast<int16_t>(client.y() - m.top()),
                          static_cast<uint16_t>(client.width() + m.left() + m.right()),
                          static_cast<uint16_t>(client.height() + m.top() + m.bottom()), 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
        xcb_reparent_window(c_, window, frame, static_cast<int16_t>(m.left()), static_cast<int16_t>(m.top()));
        xcb_map_window(c_, frame);
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

// A dialog shown before the window manager frames it: the frame it gets then
// is the one the program places it by and reports, and the window counts as
// framed on the screen.
TEST(FrameOnX11, AFramePutAroundAShownWindowIsLearnt)
{
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
    FramingWindowManager manager;
    QDialog dialog;
    dialog.setGeometry(200, 150, 260, 116);
    dialog.show();
    ASSERT_TRUE(testing_support::waitUntil([&] { return exposed(dialog); }));
    ASSERT_EQ(dialog.frameGeometry(), dialog.geometry()) << "framed before the window manager framed it";

    const QMargins frame(1, 20, 1, 1);
    manager.frame(static_cast<xcb_window_t>(dialog.winId()), dialog.geometry(), frame);
    ASSERT_TRUE(testing_support::waitUntil(
        [&] { return exposed(dialog) && dialog.windowHandle()->frameMargins() == frame; }))
        << "the toolkit's window never saw the frame";

    EXPECT_TRUE(testing_support::waitUntil([&] { return platform::framedOnScreen(&dialog); }))
        << "the frame is never learnt";
    EXPECT_EQ(dialog.frameGeometry(), dialog.geometry().marginsAdded(frame));
    EXPECT_EQ(dialog.geometry(), QRect(200, 150, 260, 116)) << "moved by learning its frame";
}

}  // namespace
