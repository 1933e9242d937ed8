#include "platform/display_tick.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTimer>

#include <algorithm>

namespace platform {

namespace {
// Owned by the application, so its timer goes before the application does.
QPointer<DisplayTick>& current()
{
    static QPointer<DisplayTick> tick;
    return tick;
}
}  // namespace

DisplayTick& DisplayTick::instance()
{
    QPointer<DisplayTick>& tick = current();
    if (!tick)
        tick = new DisplayTick(QCoreApplication::instance());
    return *tick;
}

DisplayTick::DisplayTick(QObject* parent) : QObject(parent), timer_(new QTimer(this))
{
    timer_->setTimerType(Qt::PreciseTimer);
    timer_->setInterval(kDisplayTickMs);
    connect(timer_, &QTimer::timeout, this, [this] { tick(); });
}

bool DisplayTick::running() const { return timer_->isActive(); }

void DisplayTick::add(DisplayTimer* t)
{
    if (std::find(timers_.begin(), timers_.end(), t) == timers_.end())
        timers_.push_back(t);
    if (!timer_->isActive())
        timer_->start();
}

void DisplayTick::remove(DisplayTimer* t)
{
    std::erase(timers_, t);
    if (timers_.empty())
        timer_->stop();
}

void DisplayTick::tick()
{
    // A handler may start, stop or destroy any timer, its own included.
    std::vector<QPointer<DisplayTimer>> due;
    for (DisplayTimer* t : timers_)
        if (--t->left_ <= 0) {
            t->left_ = t->ticks_;
            due.emplace_back(t);
        }
    for (const QPointer<DisplayTimer>& t : due)
        if (t && t->active_)
            emit t->timeout();
}

DisplayTimer::DisplayTimer(QObject* parent) : QObject(parent) {}

DisplayTimer::~DisplayTimer() { stop(); }

void DisplayTimer::setInterval(int ms)
{
    ticks_ = std::max(1, (ms + kDisplayTickMs - 1) / kDisplayTickMs);
    left_ = std::min(left_, ticks_);
}

void DisplayTimer::start()
{
    active_ = true;
    left_ = ticks_;
    DisplayTick::instance().add(this);
}

void DisplayTimer::stop()
{
    if (!active_)
        return;
    active_ = false;
    if (DisplayTick* tick = current())
        tick->remove(this);
}

}  // namespace platform
