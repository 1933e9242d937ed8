#include "platform/docking.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

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

QMargins frameMargins(const QWidget* w)
{
    const QRect f = w->frameGeometry();
    const QRect g = w->geometry();
    return {g.left() - f.left(), g.top() - f.top(), f.right() - g.right(), f.bottom() - g.bottom()};
}

}  // namespace

QPoint fitOnScreen(const QRect& frame, const QRect& area)
{
    return {fitAxis(frame.x(), frame.width(), area.x(), area.x() + area.width()),
            fitAxis(frame.y(), frame.height(), area.y(), area.y() + area.height())};
}

void dockBeside(QWidget* window, QPoint wanted, const QWidget* anchor)
{
    QScreen* screen = QGuiApplication::screenAt(anchor->frameGeometry().center());
    if (!screen)
        screen = anchor->screen();
    if (!screen) {
        window->move(wanted);
        return;
    }
    const QMargins own = frameMargins(window);
    const QMargins margins = own.isNull() ? frameMargins(anchor) : own;
    const QSize frame = window->size().grownBy(margins);
    const QPoint at = fitOnScreen(QRect(wanted, frame), screen->availableGeometry());
    // A window on the screen is placed by its client area: one just shown
    // may not have its frame yet, and a move by the frame would then put the
    // client area where the frame belongs.
    if (window->isVisible())
        window->setGeometry(QRect(at + QPoint(margins.left(), margins.top()), window->size()));
    else
        window->move(at);
}

}  // namespace platform
