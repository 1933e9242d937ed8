#include "platform/timer_grid.h"

#include <QTimer>

#include <chrono>

namespace platform {

void startOnGrid(QTimer* timer)
{
    timer->setTimerType(Qt::PreciseTimer);
    timer->start();
    const auto interval = static_cast<long long>(timer->interval());
    if (interval <= 0)
        return;
    // Qt's timers run on the same monotonic clock.
    const long long nowMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                                std::chrono::steady_clock::now().time_since_epoch())
                                .count();
    const long long delay = interval - nowMs % interval;
    if (delay == interval)
        return;
    QTimer::singleShot(static_cast<int>(delay), Qt::PreciseTimer, timer, [timer] {
        if (timer->isActive())
            timer->start();
    });
}

}  // namespace platform
