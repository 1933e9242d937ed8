#include "platform/hid_change_watch.h"

#include <QSocketNotifier>

#include <libudev.h>

namespace platform {
namespace {

class UdevChangeWatch final : public DeviceChangeWatch {
public:
    UdevChangeWatch(udev* u, udev_monitor* monitor, std::function<void()> onChange)
        : udev_(u), monitor_(monitor), onChange_(std::move(onChange)),
          notifier_(udev_monitor_get_fd(monitor), QSocketNotifier::Read)
    {
        QObject::connect(&notifier_, &QSocketNotifier::activated, [this] { drain(); });
    }

    ~UdevChangeWatch() override
    {
        notifier_.setEnabled(false);
        udev_monitor_unref(monitor_);
        udev_unref(udev_);
    }

    std::string source() const override { return "udev"; }

private:
    // Every event is one report; the monitor's socket does not block.
    void drain()
    {
        while (udev_device* d = udev_monitor_receive_device(monitor_)) {
            udev_device_unref(d);
            onChange_();
        }
    }

    udev* udev_;
    udev_monitor* monitor_;
    std::function<void()> onChange_;
    QSocketNotifier notifier_;
};

// A monitor of source "udev" hears only what the udev daemon passes on; where
// no daemon runs (containers) it would stay silent, so it does not count.
udev_monitor* openMonitor(udev* u)
{
    udev_queue* queue = udev_queue_new(u);
    const bool active = queue && udev_queue_get_udev_is_active(queue) > 0;
    if (queue)
        udev_queue_unref(queue);
    if (!active)
        return nullptr;
    udev_monitor* m = udev_monitor_new_from_netlink(u, "udev");
    if (!m)
        return nullptr;
    if (udev_monitor_filter_add_match_subsystem_devtype(m, "hidraw", nullptr) < 0 ||
        udev_monitor_enable_receiving(m) < 0 || udev_monitor_get_fd(m) < 0) {
        udev_monitor_unref(m);
        return nullptr;
    }
    return m;
}

}  // namespace

PollingChangeWatch::PollingChangeWatch(std::function<std::set<std::string>()> listPaths,
                                       std::function<void()> onChange, int intervalMs)
    : listPaths_(std::move(listPaths)), onChange_(std::move(onChange)), paths_(listPaths_())
{
    timer_.setInterval(intervalMs);
    QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
    timer_.start();
}

void PollingChangeWatch::poll()
{
    std::set<std::string> now = listPaths_();
    if (now == paths_)
        return;
    paths_ = std::move(now);
    onChange_();
}

std::unique_ptr<DeviceChangeWatch> makeDeviceChangeWatch(std::function<std::set<std::string>()> listPaths,
                                                          std::function<void()> onChange)
{
    if (udev* u = udev_new()) {
        if (udev_monitor* m = openMonitor(u))
            return std::make_unique<UdevChangeWatch>(u, m, std::move(onChange));
        udev_unref(u);
    }
    return std::make_unique<PollingChangeWatch>(std::move(listPaths), std::move(onChange), 1000);
}

}  // namespace platform
