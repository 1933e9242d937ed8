#pragma once
// The operating system's HID services as the program needs them: list the
// present interfaces, open one, read and write reports, hear of device-node
// changes. Tests replace the whole backend (setHidBackend).
//
// Reports cross this boundary as "report id, then data" in both directions,
// also for interfaces without numbered reports, whose id is 0.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace platform {

struct HidInterfaceInfo {
    std::string path;  // the interface's identity
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::string product;  // UTF-8
    std::string serial;   // UTF-8
    // Tells a node from an earlier one under the same path (a board unplugged
    // and plugged back); 0 where it cannot be known.
    std::uint64_t instance = 0;
};

// Longest input and output report in bytes, the report id byte included.
struct HidReportLengths {
    std::uint16_t input = 0;
    std::uint16_t output = 0;
};

// One open interface. Not safe for concurrent calls: each thread that reads
// or writes uses a handle of its own, or callers serialise.
class HidHandle {
public:
    virtual ~HidHandle() = default;  // closes

    virtual std::optional<HidReportLengths> reportLengths() = 0;

    // One input report into `buf` (cut to its size). Returns the bytes stored,
    // 0 when none came within `timeoutMs` (0: do not wait), -1 on failure.
    virtual int read(std::span<std::uint8_t> buf, int timeoutMs) = 0;
    // One output report. Returns the bytes written, or -1 on failure.
    virtual int write(std::span<const std::uint8_t> report) = 0;
};

// Keeps reporting device-node changes while it lives.
class DeviceChangeWatch {
public:
    virtual ~DeviceChangeWatch() = default;
    // Where the reports come from: "udev", "timer", or a test's name.
    virtual std::string source() const = 0;
};

class HidBackend {
public:
    virtual ~HidBackend() = default;

    // Every present HID interface in the platform's order; nullopt when the
    // enumeration failed.
    virtual std::optional<std::vector<HidInterfaceInfo>> enumerate() = 0;
    // Opens an interface for reading and writing; nullptr when it cannot be
    // opened, with the platform's reason in `reason` where one is known.
    virtual std::unique_ptr<HidHandle> open(const std::string& path, std::string* reason) = 0;
    // Calls `onChange` on the user-interface thread once per report that HID
    // device nodes changed, until the watch is destroyed. Made on that thread.
    virtual std::unique_ptr<DeviceChangeWatch> watchChanges(std::function<void()> onChange) = 0;
};

// The backend in force: the real one unless a test installed another.
HidBackend& hidBackend();
// Installs a replacement (not owned); nullptr puts the real backend back.
void setHidBackend(HidBackend* replacement);

}  // namespace platform
