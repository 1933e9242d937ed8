#include "platform/boxes_above.h"

#include "platform/window_manager.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <QWindow>

#include <vector>

namespace platform {
namespace {

bool isBox(const QWidget* w) { return w->isWindow() && w->isModal(); }

class BoxesAbove final : public QObject {
public:
    explicit BoxesAbove(QWidget* window) : QObject(window), window_(window) { qApp->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == window_) {
            keptShown(event);
            return false;
        }
        // The show event comes after the toolkit has given the window its
        // owner again and before the window is mapped: an owner set now is
        // the one the window manager learns.
        if (event->type() != QEvent::Show || event->spontaneous() || !watched->isWidgetType())
            return false;
        auto* box = static_cast<QWidget*>(watched);
        if (isBox(box) && box->windowHandle() && window_->isVisible() && window_->windowHandle())
            box->windowHandle()->setTransientParent(window_->windowHandle());
        return false;
    }

private:
    // Shown while boxes are up, the window takes them as its own, and once it
    // is on the screen (its first paint) the window manager learns that.
    void keptShown(QEvent* event)
    {
        if (event->type() == QEvent::Show && !event->spontaneous()) {
            for (QWidget* box : boxesUp())
                box->windowHandle()->setTransientParent(window_->windowHandle());
            tellOnScreen_ = true;
        } else if (event->type() == QEvent::Paint && tellOnScreen_ && window_->windowHandle() &&
                   window_->windowHandle()->isExposed()) {
            tellOnScreen_ = false;
            for (QWidget* box : boxesUp())
                tellOwner(box, window_);
        }
    }

    std::vector<QWidget*> boxesUp() const
    {
        std::vector<QWidget*> up;
        if (!window_->windowHandle())
            return up;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w != window_ && w->isVisible() && isBox(w) && w->windowHandle())
                up.push_back(w);
        return up;
    }

    QWidget* window_;  // the parent: outlives this
    bool tellOnScreen_ = false;
};

}  // namespace

void keepBoxesAbove(QWidget* window)
{
    if (window && qApp)
        new BoxesAbove(window);
}

}  // namespace platform
