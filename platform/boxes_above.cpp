#include "platform/boxes_above.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <QWindow>

namespace platform {
namespace {

class BoxesAbove final : public QObject {
public:
    explicit BoxesAbove(QWidget* window) : QObject(window), window_(window) { qApp->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // The show event comes after the toolkit has given the window its
        // owner again and before the window is mapped: an owner set now is
        // the one the window manager learns.
        if (event->type() != QEvent::Show || event->spontaneous() || !watched->isWidgetType())
            return false;
        auto* box = static_cast<QWidget*>(watched);
        if (box == window_ || !box->isWindow() || !box->isModal())
            return false;
        QWindow* handle = box->windowHandle();
        if (!handle)
            return false;
        if (window_->isVisible() && window_->windowHandle())
            handle->setTransientParent(window_->windowHandle());
        return false;
    }

private:
    QWidget* window_;  // the parent: outlives this
};

}  // namespace

void keepBoxesAbove(QWidget* window)
{
    if (window && qApp)
        new BoxesAbove(window);
}

}  // namespace platform
