#include "platform/docking.h"

#include "platform/dock_geometry.h"
#include "platform/window_manager.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QGuiApplication>
#include <QMoveEvent>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <functional>

namespace platform {
namespace {

// How often a following docking looks at its frames (a frame the window
// manager puts around a window shows in no event of its own), and for how
// long at most: a window manager that never frames a window must not keep
// the docking, or anything waiting for it, pending for good.
constexpr int kLookMs = 50;
constexpr int kFollowMs = 10000;

// The frame the widget holds for `w`.
QMargins widgetFrame(const QWidget* w)
{
    const QRect f = w->frameGeometry();
    const QRect g = w->geometry();
    return {g.left() - f.left(), g.top() - f.top(), f.right() - g.right(), f.bottom() - g.bottom()};
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

// The available area of the screen that holds `anchor`; null where it has none.
QRect areaOf(const QWidget* anchor)
{
    QScreen* screen = QGuiApplication::screenAt(anchor->frameGeometry().center());
    if (!screen)
        screen = anchor->screen();
    return screen ? screen->availableGeometry() : QRect();
}

// The frame `window` is placed by: its own once known, else one like the
// anchor's.
QMargins marginsBy(const QWidget* window, const QWidget* anchor)
{
    return frameOrGuess(frameMargins(window), frameMargins(anchor));
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
// manager may already have taken its frame away. Lives as long as the window.
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
            if (window->isVisible() && onScreen(window)) {
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

// Where a row of frame size `row` goes against the frame `anchor` on `area`
// (null where the anchor is on no screen), clear of `taken`.
using Placement =
    std::function<QPoint(const QRect& anchor, const QSize& row, const QRect& area, const std::vector<QRect>& taken)>;

class Dock;
// Every docking in the order it was made, the latest last. User-interface
// thread only.
std::vector<QPointer<Dock>> g_docks;

// One docked row. It lives as long as its first window, or until that window
// is docked again, and keeps its place among the dockings beside its anchor,
// so a row docked later keeps clear of it. From its docking it follows what
// it was placed by, until it and everything it was placed by are on the
// screen with their frames, or kFollowMs have passed; then it only stands as
// a row.
class Dock final : public QObject {
public:
    Dock(const QWidget* anchor, Placement place, const std::vector<QWidget*>& windows, int spacing, bool keepsClear)
        : QObject(windows.front()), anchor_(anchor), place_(std::move(place)), spacing_(spacing),
          keepsClear_(keepsClear)
    {
        for (QWidget* w : windows)
            windows_.emplace_back(w);
        g_docks.emplace_back(this);
        look_.setInterval(kLookMs);
        connect(&look_, &QTimer::timeout, this, [this] { follow(); });
        startFollowing();
        dock();
    }

    ~Dock() override
    {
        stopFollowing();
        std::erase_if(g_docks, [this](const QPointer<Dock>& d) { return !d || d == this; });
    }

    // Whether a shown window of the row is not yet where the frames on the
    // screen put it.
    bool pending() const { return following_ && anchor_ && !(placedByNow() && framed(false)); }

    const QWidget* firstWindow() const { return windows_.front(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Show:
        case QEvent::Paint:
            if (watched == anchor_ || std::find(windows_.begin(), windows_.end(), watched) != windows_.end())
                follow();
            break;
        default:
            break;
        }
        return false;
    }

private:
    // What a docking was placed by. The anchor's place counts until it is on
    // the screen: its moves until then are its placing, afterwards the
    // operator's.
    struct Basis {
        QRect anchor;
        std::vector<QMargins> margins;  // the anchor's, then each window's
        std::vector<QRect> taken;
        bool operator==(const Basis&) const = default;
    };

    void startFollowing()
    {
        following_ = true;
        since_.start();
        look_.start();
        if (anchor_)
            const_cast<QWidget*>(anchor_.data())->installEventFilter(this);
        for (const QPointer<QWidget>& w : windows_)
            if (w)
                w->installEventFilter(this);
    }

    void stopFollowing()
    {
        following_ = false;
        look_.stop();
        if (anchor_)
            const_cast<QWidget*>(anchor_.data())->removeEventFilter(this);
        for (const QPointer<QWidget>& w : windows_)
            if (w)
                w->removeEventFilter(this);
    }

    // Whether the frames it was placed by are still those on the screen.
    bool placedByNow() const
    {
        const Basis now = basis();
        return now.margins == used_.margins && now.taken == used_.taken &&
               (onScreen(anchor_) || now.anchor == used_.anchor);
    }

    void follow()
    {
        if (!following_)
            return;
        if (!anchor_ || since_.hasExpired(kFollowMs))
            stopFollowing();
        else if (!placedByNow())
            dock();
        else if (framed(true))
            stopFollowing();
    }

    // Whether the anchor, every window of the row (or, without `hiddenToo`,
    // every shown one) and every one it keeps clear of are on the screen
    // with their frames. A window hidden at its docking is mostly shown
    // just after it, so a row that has one follows on until it is.
    bool framed(bool hiddenToo) const
    {
        if (!framedOnScreen(anchor_))
            return false;
        const auto done = [hiddenToo](const QWidget* w) {
            return !w || (w->isVisible() ? framedOnScreen(w) : !hiddenToo);
        };
        const std::vector<const QWidget*> clear = keptClearOf();
        return std::all_of(windows_.begin(), windows_.end(), [&](const QPointer<QWidget>& w) { return done(w); }) &&
               std::all_of(clear.begin(), clear.end(), done);
    }

    // The shown windows of the rows docked beside the same anchor before this
    // one and still open (their first window shown), none of this row's. A
    // window left open when its row's first was closed (the pad after the
    // set-up window) stands where the operator may move it, no longer docked.
    std::vector<const QWidget*> keptClearOf() const
    {
        std::vector<const QWidget*> clear;
        if (!keepsClear_)
            return clear;
        for (const QPointer<Dock>& d : g_docks) {
            if (d == this)
                break;
            if (!d || !d->keepsClear_ || d->anchor_ != anchor_ || !d->windows_.front() ||
                !d->windows_.front()->isVisible())
                continue;
            for (const QPointer<QWidget>& w : d->windows_)
                if (w && w->isVisible() && std::find(windows_.begin(), windows_.end(), w) == windows_.end())
                    clear.push_back(w);
        }
        return clear;
    }

    Basis basis() const
    {
        Basis b;
        b.anchor = anchor_->frameGeometry();
        const QMargins anchorMargins = frameMargins(anchor_);
        b.margins.push_back(anchorMargins);
        for (const QPointer<QWidget>& w : windows_)
            b.margins.push_back(w ? frameMargins(w) : QMargins());
        for (const QWidget* w : keptClearOf())
            b.taken.push_back(w->geometry().marginsAdded(frameOrGuess(frameMargins(w), anchorMargins)));
        return b;
    }

    void dock()
    {
        used_ = basis();
        std::vector<QMargins> margins;
        std::vector<QSize> sizes;
        for (const QPointer<QWidget>& w : windows_) {
            margins.push_back(w ? marginsBy(w, anchor_) : QMargins());
            if (w)
                sizes.push_back(w->size().grownBy(margins.back()));
        }
        QPoint at = place_(used_.anchor, rowSize(sizes, spacing_), areaOf(anchor_), used_.taken);
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
    bool keepsClear_;
    bool following_ = false;
    QTimer look_;
    QElapsedTimer since_;
    Basis used_;
};

Dock* dockOf(const QWidget* window)
{
    if (!window)
        return nullptr;
    for (const QPointer<Dock>& d : g_docks)
        if (d && d->firstWindow() == window)
            return d;
    return nullptr;
}

void dock(const QWidget* anchor, Placement place, const std::vector<QWidget*>& windows, int spacing, bool keepsClear)
{
    std::vector<QWidget*> row;
    std::copy_if(windows.begin(), windows.end(), std::back_inserter(row), [](QWidget* w) { return w != nullptr; });
    if (row.empty() || !anchor)
        return;
    delete dockOf(row.front());
    new Dock(anchor, std::move(place), row, spacing, keepsClear);
}

}  // namespace

QSize frameSize(const QWidget* window, const QWidget* anchor) { return window->size().grownBy(marginsBy(window, anchor)); }

void placeOnScreen(QWidget* window, QPoint wanted, const QWidget* anchor)
{
    const QMargins margins = marginsBy(window, anchor);
    const QRect area = areaOf(anchor);
    const QPoint at = area.isNull() ? wanted : fitOnScreen(QRect(wanted, window->size().grownBy(margins)), area);
    putFrameAt(window, at, margins);
}

void dockBeside(const QWidget* anchor, int gap, const std::vector<QWidget*>& windows, int spacing)
{
    dock(anchor,
         [gap](const QRect& a, const QSize& row, const QRect& area, const std::vector<QRect>& taken) {
             return area.isNull() ? QPoint(a.x() + a.width() + gap, a.y()) : placeBesideClear(a, row, gap, area, taken);
         },
         windows, spacing, true);
}

void centreOn(QWidget* window, const QWidget* anchor)
{
    dock(anchor,
         [](const QRect& a, const QSize& frame, const QRect& area, const std::vector<QRect>&) {
             if (area.isNull())
                 return QPoint(a.x() + a.width() / 2 - frame.width() / 2, a.y() + a.height() / 2 - frame.height() / 2);
             return centredOn(a, frame, area);
         },
         {window}, 0, false);
}

void reopenInPlace(QWidget* window) { new KeptPlace(window); }

bool framedOnScreen(const QWidget* window)
{
    return onScreen(window) && (!windowManagerRuns() || (knownFrame(frameMargins(window)) && placeIsCurrent(window)));
}

bool dockPending(const QWidget* window)
{
    const Dock* dock = dockOf(window);
    return dock && dock->pending();
}

}  // namespace platform
