#include "platform/presses_dropped.h"

#include <QCoreApplication>
#include <QEvent>
#include <QThread>

namespace platform {
namespace {

bool isOperatorPress(QEvent::Type type)
{
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonDblClick:
    case QEvent::NonClientAreaMouseMove:
    case QEvent::Wheel:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::ContextMenu:
    case QEvent::NativeGesture:
        return true;
    default:
        return false;
    }
}

}  // namespace

class PressesDropped::Filter final : public QObject {
public:
    Filter() : level_(QThread::currentThread()->loopLevel())
    {
        if (QCoreApplication* app = QCoreApplication::instance())
            app->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (QThread::currentThread()->loopLevel() == level_ && isOperatorPress(event->type()))
            return true;
        return QObject::eventFilter(watched, event);
    }

private:
    const int level_;
};

// The filter ends with its object, which takes it off the application.
PressesDropped::PressesDropped() : filter_(std::make_unique<Filter>()) {}

PressesDropped::~PressesDropped() = default;

}  // namespace platform
