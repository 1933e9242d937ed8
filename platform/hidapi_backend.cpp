#include "platform/hidapi_backend.h"

#include "platform/hid_change_watch.h"
#include "platform/hid_descriptor.h"

#include <QString>

#include <hidapi/hidapi.h>

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace platform {
namespace {

std::string toUtf8(const wchar_t* s)
{
    return s ? QString::fromWCharArray(s).toStdString() : std::string();
}

// hidraw hands the kernel's report descriptor to anyone through sysfs, no
// permission on the node needed.
std::optional<HidDescriptorFacts> descriptorFacts(const std::string& devicePath)
{
    const std::string node = std::filesystem::path(devicePath).filename().string();
    std::ifstream in("/sys/class/hidraw/" + node + "/device/report_descriptor", std::ios::binary);
    if (!in)
        return std::nullopt;
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return parseReportDescriptor(bytes);
}

// hidapi keeps no errno for a failed open, so the open is tried once more
// for the reason alone.
std::string openFailureReason(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd >= 0) {
        ::close(fd);
        return {};
    }
    return std::error_code(errno, std::generic_category()).message();
}

// Every plugging in makes a new node, with a new inode, even under the old
// name; its times are no help, as a permission change alters them too.
std::uint64_t nodeInstance(const char* path)
{
    struct stat st {};
    return ::stat(path, &st) == 0 ? static_cast<std::uint64_t>(st.st_ino) : 0;
}

class HidapiHandle final : public HidHandle {
public:
    HidapiHandle(hid_device* dev, std::optional<HidDescriptorFacts> facts) : dev_(dev), facts_(facts) {}
    ~HidapiHandle() override { hid_close(dev_); }

    std::optional<HidReportLengths> reportLengths() override
    {
        if (!facts_)
            return std::nullopt;
        return facts_->lengths;
    }

    int read(std::span<std::uint8_t> buf, int timeoutMs) override
    {
        if (buf.empty())
            return 0;
        if (numbered())
            return hid_read_timeout(dev_, buf.data(), buf.size(), timeoutMs);
        // Without numbered reports hidraw gives the data alone; the rest of
        // the program expects the id in front.
        buf[0] = 0;
        if (buf.size() == 1)
            return 0;
        const int n = hid_read_timeout(dev_, buf.data() + 1, buf.size() - 1, timeoutMs);
        return n > 0 ? n + 1 : n;
    }

    int write(std::span<const std::uint8_t> report) override
    {
        if (report.empty())
            return 0;
        return hid_write(dev_, report.data(), report.size());
    }

private:
    bool numbered() const { return facts_ && facts_->numberedReports; }

    hid_device* dev_;
    std::optional<HidDescriptorFacts> facts_;
};

class HidapiBackend final : public HidBackend {
public:
    HidapiBackend() : ready_(hid_init() == 0) {}
    ~HidapiBackend() override
    {
        if (ready_)
            hid_exit();
    }

    std::optional<std::vector<HidInterfaceInfo>> enumerate() override
    {
        if (!ready_)
            return std::nullopt;
        std::vector<HidInterfaceInfo> found;
        std::set<std::string> seen;
        hid_device_info* list = hid_enumerate(0, 0);
        // hidapi lists a node once per top-level usage; the path names the
        // interface, so it counts once.
        for (const hid_device_info* d = list; d; d = d->next) {
            if (!d->path || !seen.insert(d->path).second)
                continue;
            found.push_back({d->path, d->vendor_id, d->product_id, toUtf8(d->product_string),
                             toUtf8(d->serial_number), nodeInstance(d->path)});
        }
        hid_free_enumeration(list);
        return found;
    }

    std::unique_ptr<HidHandle> open(const std::string& path, std::string* reason) override
    {
        hid_device* dev = ready_ && !path.empty() ? hid_open_path(path.c_str()) : nullptr;
        if (!dev) {
            if (reason)
                *reason = openFailureReason(path);
            return nullptr;
        }
        return std::make_unique<HidapiHandle>(dev, descriptorFacts(path));
    }

    std::unique_ptr<DeviceChangeWatch> watchChanges(std::function<void()> onChange) override
    {
        // A node back under its old name between two looks counts as a change.
        auto listPaths = [this] {
            std::set<std::string> nodes;
            if (auto list = enumerate())
                for (auto& i : *list)
                    nodes.insert(std::move(i.path) + '\n' + std::to_string(i.instance));
            return nodes;
        };
        return makeDeviceChangeWatch(listPaths, std::move(onChange));
    }

private:
    bool ready_;
};

}  // namespace

HidBackend& hidapiBackend()
{
    // Never destroyed: the program's end may still use it after exit()
    // has begun destroying statics.
    static HidapiBackend& backend = *new HidapiBackend;
    return backend;
}

}  // namespace platform
