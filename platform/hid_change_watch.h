#pragma once
// Device-node change reports on Linux: a udev monitor of subsystem hidraw
// when udev runs, else a one-second re-enumeration that reports when the set
// of interface nodes (their paths and instances) changed.

#include "platform/hid_backend.h"

#include <QTimer>

#include <functional>
#include <memory>
#include <set>
#include <string>

namespace platform {

std::unique_ptr<DeviceChangeWatch> makeDeviceChangeWatch(std::function<std::set<std::string>()> listPaths,
                                                          std::function<void()> onChange);

class PollingChangeWatch final : public DeviceChangeWatch {
public:
    PollingChangeWatch(std::function<std::set<std::string>()> listPaths, std::function<void()> onChange,
                       int intervalMs);
    std::string source() const override { return "timer"; }
    // One look at the paths; reports when they differ from the last look.
    void poll();

private:
    std::function<std::set<std::string>()> listPaths_;
    std::function<void()> onChange_;
    std::set<std::string> paths_;
    QTimer timer_;
};

}  // namespace platform
