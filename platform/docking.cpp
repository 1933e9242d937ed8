#include "platform/docking.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QMoveEvent>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <QtGui/qguiapplication_platform.h>
#include <QtGui/qtgui-config.h>

#include <algorithm>
#include <cstdlib>
#include <functional>

#if QT_CONFIG(xcb)
#include <xcb/xcb.h>
#endif

namespace platform {
namespace {

// The least shift of [start, start + length) into [low, high); the low end
// wins when it does not fit at all.
int fitAxis(int start, int length, int low, int high)
{
    if (start + length > high)
        start = high - length;
    return std::max(start, low);
}

bool fitsAcross(int left, int width, const QRect& area)
{
    return left >= area.x() && left + width <= area.x() + area.width();
}

// While the toolkit learns a frame it may report its size before its place
// (the frame's corner at the client's) or a frame smaller than the client:
// a frame is known once the client lies inside it, below or right of its
// corner.
bool knownFrame(const QMargins& m)
{
    return (m.left() > 0 || m.top() > 0) && m.left() >= 0 && m.top() >= 0 && m.right() >= 0 && m.bottom() >= 0;
}

// The frame the widget holds for `w`.
QMargins widgetFrame(const QWidget* w)
{
    const QRect f = w->frameGeometry();
    const QRect g = w->geometry();
    return {g.left() - f.left(), g.top() - f.top(), f.right() - g.right(), f.bottom() - g.bottom()};
}

#if QT_CONFIG(xcb)
xcb_connection_t* x11Connection()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}
#endif

// Whether the place the toolkit holds for `w` is where the display has it
// now: under load the report of a window manager's move may still wait in
// the toolkit's queue, while the frame it put around the window is known.
bool placeIsCurrent(const QWidget* w)
{
#if QT_CONFIG(xcb)
    xcb_connection_t* c = x11Connection();
    const QWindow* native = w->windowHandle();
    if (!c || !native || !w->internalWinId())
        return true;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    xcb_translate_coordinates_reply_t* at = xcb_translate_coordinates_reply(
        c, xcb_translate_coordinates(c, static_cast<xcb_window_t>(w->internalWinId()), root, 0, 0), nullptr);
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

// A widget takes its frame from its native window only when the window
// system reports a move or resize; a frame the window manager puts around a
// window after the last such report (under load, often so for a dialog) it
// never learns, though the native window knows it. A shown window is told
// to learn it: a move to where it already stands.
void learnFrame(const QWidget* w)
{
    QWindow* native = w->windowHandle();
    if (!native || !w->isVisible() || !native->isExposed())
        return;
    const QMargins known = native->frameMargins();
    if (known == widgetFrame(w) || !knownFrame(known) || !placeIsCurrent(w))
        return;
    QMoveEvent stay(native->position(), native->position());
    QCoreApplication::sendEvent(native, &stay);
}

QMargins frameMargins(const QWidget* w)
{
    learnFrame(w);
    return widgetFrame(w);
}

bool onScreen(const QWidget* w) { return w->windowHandle() && w->windowHandle()->isExposed(); }

const QRect* areaOf(const QWidget* anchor, QRect& area)
{
    QScreen* screen = QGuiApplication::screenAt(anchor->frameGeometry().center());
    if (!screen)
        screen = anchor->screen();
    if (!screen)
        return nullptr;
    area = screen->availableGeometry();
    return &area;
}

// Puts the frame of `window`, whose margins are `margins`, at `at`.
void putFrameAt(QWidget* window, QPoint at, const QMargins& margins)
{
    // A window that has had a frame is placed by its client area: one just
    // shown may not have its frame yet, and one shown again may have a stale
    // one, and a move by the frame would then put the client area where the
    // frame belongs. One never shown is placed by its frame, which the window
    // manager then puts there.
    if (window->isVisible() || !frameMargins(window).isNull())
        window->setGeometry(QRect(at + QPoint(margins.left(), margins.top()), window->size()));
    else
        window->move(at);
}

// Puts a window shown again where its frame last stood on the screen, before
// the toolkit places it anew or the window manager by its stale frame. The
// place is taken while the window is shown: once it is hidden, the window
// manager may already have taken its frame away.
class KeptPlace final : public QObject {
public:
    explicit KeptPlace(QWidget* window) : QObject(window) { window->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* window = static_cast<QWidget*>(parent());
        if (watched != window)
            return false;
        switch (event->type()) {
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Paint:
            if (window->isVisible() && window->windowHandle() && window->windowHandle()->isExposed()) {
                if (const QMargins m = frameMargins(window); knownFrame(m)) {
                    frame_ = window->frameGeometry().topLeft();
                    margins_ = m;
                    kept_ = true;
                }
            }
            break;
        case QEvent::Show:
            if (kept_)
                putFrameAt(window, frame_, margins_);
            break;
        default:
            break;
        }
        return false;
    }

private:
    QPoint frame_;
    QMargins margins_;
    bool kept_ = false;
};

// The frame a window is placed by: its own once it has one, else the
// anchor's.
QMargins marginsFor(const QWidget* window, const QMargins& anchorMargins)
{
    const QMargins own = frameMargins(window);
    return knownFrame(own) ? own : anchorMargins;
}

// Where a row of frame size `row` goes against the frame `anchor` on `area`.
using Placement = std::function<QPoint(const QRect& anchor, const QSize& row, const QRect& area)>;

// One docked row, living as long as its first window, until the window
// manager has settled what it was placed against.
class Dock final : public QObject {
public:
    Dock(const QWidget* anchor, Placement place, const std::vector<QWidget*>& windows, int spacing)
        : QObject(windows.front()), anchor_(anchor), place_(std::move(place)), spacing_(spacing)
    {
        const_cast<QWidget*>(anchor)->installEventFilter(this);
        for (QWidget* w : windows) {
            windows_.emplace_back(w);
            w->installEventFilter(this);
        }
        dock();
    }

    ~Dock() override
    {
        if (anchor_)
            const_cast<QWidget*>(anchor_.data())->removeEventFilter(this);
        for (const QPointer<QWidget>& w : windows_)
            if (w)
                w->removeEventFilter(this);
    }

    bool pending() const
    {
        if (!anchor_)
            return false;
        return !framedOnScreen(anchor_) || std::any_of(windows_.begin(), windows_.end(), [this](const QPointer<QWidget>& w) {
                   return w && w->isVisible() && !framedOnScreen(w);
               });
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!anchor_)
            return false;
        switch (event->type()) {
        case QEvent::Move:
        case QEvent::Resize:
            // Until the window manager has mapped the anchor, its moves are
            // its placing; afterwards they are the operator's.
            if (watched == anchor_ && !onScreen(anchor_)) {
                dock();
                break;
            }
            [[fallthrough]];
        case QEvent::Show:
        case QEvent::Paint:
            // A frame the window manager has just put around a window shows
            // in no event of its own; the first one after it finds it.
            if (framesChanged())
                dock();
            else if (settled() || idle())
                deleteLater();
            break;
        default:
            break;
        }
        return false;
    }

private:

    // Nothing is left to wait for: the anchor settled and every window shown
    // with the frame it was placed by.
    bool settled() const
    {
        return framedOnScreen(anchor_) && std::all_of(windows_.begin(), windows_.end(), [this](const QPointer<QWidget>& w) {
                   return !w || (w->isVisible() && framedOnScreen(w));
               });
    }

    std::vector<QMargins> currentFrames() const
    {
        std::vector<QMargins> frames{frameMargins(anchor_)};
        for (const QPointer<QWidget>& w : windows_)
            frames.push_back(w ? frameMargins(w) : QMargins());
        return frames;
    }

    bool framesChanged() const
    {
        if (frameMargins(anchor_) != usedFrames_.front())
            return true;
        for (std::size_t i = 0; i < windows_.size(); ++i)
            if (windows_[i] && frameMargins(windows_[i]) != usedFrames_[i + 1])
                return true;
        return false;
    }

    // Placed against the anchor's final place, none of the windows shown:
    // nothing is left to follow, and a window shown later is docked anew.
    bool idle() const
    {
        return framedOnScreen(anchor_) && std::none_of(windows_.begin(), windows_.end(), [](const QPointer<QWidget>& w) {
                   return w && w->isVisible();
               });
    }

    void dock()
    {
        usedFrames_ = currentFrames();
        const QMargins anchorMargins = usedFrames_.front();
        std::vector<QMargins> margins;
        QSize row(0, 0);
        for (const QPointer<QWidget>& w : windows_) {
            margins.push_back(w ? marginsFor(w, anchorMargins) : QMargins());
            if (!w)
                continue;
            const QSize frame = w->size().grownBy(margins.back());
            row.rwidth() += (row.width() > 0 ? spacing_ : 0) + frame.width();
            row.rheight() = std::max(row.height(), frame.height());
        }
        QRect area;
        const QRect anchor = anchor_->frameGeometry();
        QPoint at = place_(anchor, row, areaOf(anchor_, area) ? area : QRect());
        for (std::size_t i = 0; i < windows_.size(); ++i) {
            QWidget* w = windows_[i];
            if (!w)
                continue;
            putFrameAt(w, at, margins[i]);
            at.rx() += w->size().grownBy(margins[i]).width() + spacing_;
        }
    }

    QPointer<const QWidget> anchor_;
    std::vector<QPointer<QWidget>> windows_;
    Placement place_;
    int spacing_;
    std::vector<QMargins> usedFrames_;
};

Dock* dockOf(const QWidget* window)
{
    if (!window)
        return nullptr;
    for (QObject* child : window->children())
        if (auto* dock = dynamic_cast<Dock*>(child))
            return dock;
    return nullptr;
}

void dock(const QWidget* anchor, Placement place, const std::vector<QWidget*>& windows, int spacing)
{
    std::vector<QWidget*> row;
    std::copy_if(windows.begin(), windows.end(), std::back_inserter(row), [](QWidget* w) { return w != nullptr; });
    if (row.empty() || !anchor)
        return;
    delete dockOf(row.front());
    new Dock(anchor, std::move(place), row, spacing);
}

bool askWindowManager()
{
#if QT_CONFIG(xcb)
    xcb_connection_t* c = x11Connection();
    if (!c)
        return false;
    static constexpr char kCheck[] = "_NET_SUPPORTING_WM_CHECK";
    xcb_intern_atom_reply_t* atom =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, sizeof kCheck - 1, kCheck), nullptr);
    const xcb_atom_t check = atom ? atom->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(atom);
    if (check == XCB_ATOM_NONE)
        return false;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    xcb_get_property_reply_t* property =
        xcb_get_property_reply(c, xcb_get_property(c, 0, root, check, XCB_ATOM_WINDOW, 0, 1), nullptr);
    const bool runs = property && xcb_get_property_value_length(property) >= 4;
    std::free(property);
    return runs;
#else
    return false;
#endif
}

}  // namespace

QPoint fitOnScreen(const QRect& frame, const QRect& area)
{
    return {fitAxis(frame.x(), frame.width(), area.x(), area.x() + area.width()),
            fitAxis(frame.y(), frame.height(), area.y(), area.y() + area.height())};
}

QPoint placeBeside(const QRect& anchor, const QSize& group, int gap, const QRect& area)
{
    const int right = anchor.x() + anchor.width() + gap;
    const int left = anchor.x() - gap - group.width();
    const int x = fitsAcross(right, group.width(), area) ? right
                  : fitsAcross(left, group.width(), area) ? left
                                                           : right;
    return fitOnScreen(QRect(QPoint(x, anchor.y()), group), area);
}

QSize frameSize(const QWidget* window, const QWidget* anchor)
{
    return window->size().grownBy(marginsFor(window, frameMargins(anchor)));
}

void placeOnScreen(QWidget* window, QPoint wanted, const QWidget* anchor)
{
    const QMargins margins = marginsFor(window, frameMargins(anchor));
    QRect area;
    const QPoint at = areaOf(anchor, area) ? fitOnScreen(QRect(wanted, window->size().grownBy(margins)), area) : wanted;
    putFrameAt(window, at, margins);
}

void dockBeside(const QWidget* anchor, int gap, const std::vector<QWidget*>& windows, int spacing)
{
    dock(anchor,
         [gap](const QRect& a, const QSize& row, const QRect& area) {
             return area.isNull() ? QPoint(a.x() + a.width() + gap, a.y()) : placeBeside(a, row, gap, area);
         },
         windows, spacing);
}

void centreOn(QWidget* window, const QWidget* anchor)
{
    dock(anchor,
         [](const QRect& a, const QSize& frame, const QRect& area) {
             const QPoint at(a.x() + a.width() / 2 - frame.width() / 2, a.y() + a.height() / 2 - frame.height() / 2);
             return area.isNull() ? at : fitOnScreen(QRect(at, frame), area);
         },
         {window}, 0);
}

void reopenInPlace(QWidget* window) { new KeptPlace(window); }

bool framedOnScreen(const QWidget* window)
{
    static const bool windowManagerRuns = askWindowManager();
    return onScreen(window) && (!windowManagerRuns || (knownFrame(frameMargins(window)) && placeIsCurrent(window)));
}

bool dockPending(const QWidget* window)
{
    const Dock* dock = dockOf(window);
    return dock && dock->pending();
}

}  // namespace platform
