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
    const auto at = std::find(timers_.begin(), timers_.end(), t);
    if (at == timers_.end())
        return;
    if (depth_ > 0) {
        *at = nullptr;
        holes_ = true;
    } else {
        timers_.erase(at);
    }
    stopWhenIdle();
}

void DisplayTick::stopWhenIdle()
{
    if (depth_ > 0)
        return;
    if (holes_) {
        std::erase(timers_, nullptr);
        holes_ = false;
    }
    if (timers_.empty())
        timer_->stop();
}

void DisplayTick::tick()
{
    // Nothing is allocated here: this runs a hundred times a second all the
    // time. A handler may start, stop or destroy any timer, its own included;
    // one started during the tick counts from the next.
    ++depth_;
    for (DisplayTimer* t : timers_)
        if (t && --t->left_ <= 0) {
            t->left_ = t->ticks_;
            t->due_ = true;
        }
    // By index: a handler may append to the list.
    for (std::size_t i = 0; i < timers_.size(); ++i) {
        DisplayTimer* t = timers_[i];
        if (!t || !t->due_)
            continue;
        t->due_ = false;
        emit t->timeout();
    }
    --depth_;
    stopWhenIdle();
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
    due_ = false;
    DisplayTick::instance().add(this);
}

void DisplayTimer::stop()
{
    if (!active_)
        return;
    active_ = false;
    due_ = false;
    if (DisplayTick* tick = current())
        tick->remove(this);
}

}  // namespace platform
