#include "platform/form_activation.h"

#include <QApplication>
#include <QEvent>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPointer>
#include <QWidget>

#include <map>

namespace platform {
namespace {

// Boxes and pickers are shown over a window, not instead of it.
bool isForm(const QWidget* w)
{
    if (!w || !w->isWindow())
        return false;
    const Qt::WindowType type = w->windowType();
    if (type == Qt::Popup || type == Qt::ToolTip || type == Qt::SplashScreen)
        return false;
    return !qobject_cast<const QMessageBox*>(w) && !qobject_cast<const QFileDialog*>(w) &&
           !qobject_cast<const QInputDialog*>(w);
}

class Watcher final : public QObject {
public:
    explicit Watcher(QObject* app) : QObject(app) { app->installEventFilter(this); }

    void add(QWidget* form, std::function<void()> handler)
    {
        if (handlers_.find(form) == handlers_.end())
            connect(form, &QObject::destroyed, this, [this, form] { handlers_.erase(form); });
        handlers_[form] = std::move(handler);
    }

    void activated(QWidget* window)
    {
        if (!isForm(window) || window == last_)
            return;
        last_ = window;
        auto it = handlers_.find(window);
        if (it == handlers_.end())
            return;
        // A copy: the handler may replace its own registration.
        const std::function<void()> handler = it->second;
        handler();
    }

    void reset() { last_ = nullptr; }

    // Comes to a form anew, though it may be the one come to last.
    void comeBack(QWidget* form)
    {
        if (form == last_)
            last_ = nullptr;
        activated(form);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // Qt hands a window's activation on to its children too; only the
        // window's own event counts.
        if (event->type() == QEvent::WindowActivate && watched->isWidgetType())
            if (auto* w = static_cast<QWidget*>(watched); w->isWindow())
                activated(w);
        // Showing a form activates it, as the program expects: a window
        // manager that keeps the focus elsewhere, or none at all, must not
        // leave a shown window without what its activation puts in.
        // Run once the show has ended, when the window has its frame and place.
        if (event->type() == QEvent::Show && !event->spontaneous() && handlers_.count(watched)) {
            QPointer<QWidget> shown = static_cast<QWidget*>(watched);
            QMetaObject::invokeMethod(
                this,
                [this, shown] {
                    if (shown && shown->isVisible())
                        activated(shown);
                },
                Qt::QueuedConnection);
        }
        // A form the program hides is left: showing it again comes to it
        // anew, also where no other window was activated in between (no
        // window manager, a modal dialog opened twice).
        if (event->type() == QEvent::Hide && !event->spontaneous() && watched == last_)
            last_ = nullptr;
        return false;
    }

private:
    std::map<const QObject*, std::function<void()>> handlers_;
    QPointer<QWidget> last_;
};

// Owned by the application object, so it needs one and ends with it.
Watcher& watcher()
{
    static QPointer<Watcher> w;
    if (!w)
        w = new Watcher(qApp);
    return *w;
}

}  // namespace

void onFormActivate(QWidget* form, std::function<void()> handler) { watcher().add(form, std::move(handler)); }

void bringToFront(QWidget* form)
{
    const bool wasShown = form->isVisible();
    form->show();
    form->raise();
    form->activateWindow();
    if (wasShown)
        watcher().comeBack(form);
}

void formWindowActivated(QWidget* window) { watcher().activated(window); }

void resetFormActivation() { watcher().reset(); }

}  // namespace platform
