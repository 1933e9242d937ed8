#include "platform/window_manager.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

#include <QtGui/qguiapplication_platform.h>
#include <QtGui/qtgui-config.h>

#include <algorithm>
#include <cstdlib>

#if QT_CONFIG(xcb)
#include <xcb/xcb.h>
#endif

namespace platform {
namespace {

#if QT_CONFIG(xcb)
xcb_connection_t* connection()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t atomNamed(xcb_connection_t* c, const char* name, std::size_t length)
{
    xcb_intern_atom_reply_t* atom =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, static_cast<std::uint16_t>(length), name), nullptr);
    const xcb_atom_t found = atom ? atom->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(atom);
    return found;
}

// The root window's property `name`, as windows; at most `most`.
std::vector<xcb_window_t> rootWindows(const char* name, std::size_t length, std::uint32_t most)
{
    std::vector<xcb_window_t> windows;
    xcb_connection_t* c = connection();
    if (!c)
        return windows;
    const xcb_atom_t property = atomNamed(c, name, length);
    if (property == XCB_ATOM_NONE)
        return windows;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    xcb_get_property_reply_t* reply =
        xcb_get_property_reply(c, xcb_get_property(c, 0, root, property, XCB_ATOM_WINDOW, 0, most), nullptr);
    if (reply && reply->format == 32) {
        const auto* ids = static_cast<const xcb_window_t*>(xcb_get_property_value(reply));
        windows.assign(ids, ids + xcb_get_property_value_length(reply) / 4);
    }
    std::free(reply);
    return windows;
}
#endif

}  // namespace

bool windowManagerRuns()
{
#if QT_CONFIG(xcb)
    static constexpr char kCheck[] = "_NET_SUPPORTING_WM_CHECK";
    static const bool runs = !rootWindows(kCheck, sizeof kCheck - 1, 1).empty();
    return runs;
#else
    return false;
#endif
}

std::vector<WId> stackingOrder()
{
    std::vector<WId> order;
#if QT_CONFIG(xcb)
    static constexpr char kStacking[] = "_NET_CLIENT_LIST_STACKING";
    for (xcb_window_t w : rootWindows(kStacking, sizeof kStacking - 1, 4096))
        order.push_back(static_cast<WId>(w));
#endif
    return order;
}

int stackingPlace(const QWidget* window)
{
    if (!window || !window->testAttribute(Qt::WA_WState_Created))
        return -1;
    const std::vector<WId> order = stackingOrder();
    const auto it = std::find(order.begin(), order.end(), window->winId());
    return it == order.end() ? -1 : static_cast<int>(it - order.begin());
}

bool placeIsCurrent(const QWidget* window)
{
#if QT_CONFIG(xcb)
    xcb_connection_t* c = connection();
    const QWindow* native = window->windowHandle();
    if (!c || !native || !window->internalWinId())
        return true;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    xcb_translate_coordinates_reply_t* at = xcb_translate_coordinates_reply(
        c, xcb_translate_coordinates(c, static_cast<xcb_window_t>(window->internalWinId()), root, 0, 0), nullptr);
    if (!at)
        return true;
    const qreal ratio = native->devicePixelRatio();
    const QPoint onDisplay(qRound(at->dst_x / ratio), qRound(at->dst_y / ratio));
    std::free(at);
    return onDisplay == native->geometry().topLeft();
#else
    return true;
#endif
}

void tellOwner(const QWidget* window, const QWidget* owner)
{
#if QT_CONFIG(xcb)
    xcb_connection_t* c = connection();
    if (!c || !window || !owner || !window->testAttribute(Qt::WA_WState_Created) ||
        !owner->testAttribute(Qt::WA_WState_Created))
        return;
    const auto id = static_cast<xcb_window_t>(owner->winId());
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, static_cast<xcb_window_t>(window->winId()),
                        XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW, 32, 1, &id);
    xcb_flush(c);
#else
    (void)window;
    (void)owner;
#endif
}

}  // namespace platform
