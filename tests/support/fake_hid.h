#pragma once
// A HID backend for tests with scripted interfaces. Each interface's device
// side is a FakeHidInterface: it receives every report written to it and
// queues input reports, from any thread, as the platform does: every open
// handle gets its own copy of each report. A simulated board derives from it.

#include "platform/hid_backend.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <pthread.h>
#include <span>
#include <string>
#include <vector>

namespace testing_support {

using Report = std::vector<std::uint8_t>;

class FakeHidInterface {
public:
    explicit FakeHidInterface(std::string path, std::uint16_t vendorId = 0x04D8, std::uint16_t productId = 0x0001);
    virtual ~FakeHidInterface() = default;
    FakeHidInterface(const FakeHidInterface&) = delete;
    FakeHidInterface& operator=(const FakeHidInterface&) = delete;

    // What the platform tells about the interface. Set before it is listed;
    // read on the user-interface thread only.
    std::string path;
    std::uint16_t vendorId;
    std::uint16_t productId;
    std::string product = "Tarnel2";
    std::string serial = "0001";
    platform::HidReportLengths lengths{9, 9};
    bool openFails = false;      // every open fails with "Permission denied"
    bool lengthsFail = false;    // nor its report lengths
    bool detailFails = false;    // an enumeration that reaches it fails as a whole
    int hiddenEnumerations = 0;  // left out of that many enumerations first
    // Reports the platform keeps per handle for a reader that falls behind;
    // later ones are lost to that handle.
    std::size_t inputCapacity = 64;

    // Device side, any thread.
    // Every output report written, report id first: the bytes taken, or -1.
    virtual int onWrite(std::span<const std::uint8_t> report) = 0;
    // Queues an input report, report id first, to every open handle. Dropped
    // while no handle is open, and for a handle whose buffer is full.
    void pushInput(Report report);
    // Gone: no longer listed, opens fail, reads and writes on open handles fail.
    void unplug();
    // Plugged back as a new node under the same path: listed again with
    // another instance, opens succeed; handles opened before stay dead.
    void replug();
    std::uint64_t instance() const { return instance_.load(); }
    // Opens that still succeed before every further one fails; -1: no limit.
    void allowOpens(int n);
    // Reads on open handles fail while set; the interface stays listed and
    // can be opened again (a board that hiccups rather than goes).
    void failReads(bool on);

    bool plugged() const { return plugged_.load(); }
    int openHandles() const;
    // Reports lost to handles that have been read from, also before their
    // first read; a handle only written to fills up and loses its copies
    // unseen, as on the platform.
    std::uint64_t droppedInputs() const;
    // Calls that met another call on the same handle: hidapi handles must not
    // be shared between threads without a lock.
    int concurrentHandleUse() const { return concurrent_.load(); }
    // For each handle closed after it wrote, its last report written whole,
    // in the order they closed: what the device was told last by each.
    std::vector<Report> lastWritesOfClosedHandles() const;
    // Reads that have returned, and the thread of the last one.
    int readsDone() const;
    pthread_t lastReader() const;

    // For a test's signal handler (async-signal-safe): the read under way on
    // this thread fails, as a read whose poll a signal interrupted does.
    static void signalHandledOnThisThread();

private:
    friend class FakeHidBackend;
    friend class FakeHidHandle;

    // What the platform keeps for one open handle.
    struct Queue {
        std::deque<Report> inputs;
        bool read = false;
        bool gone = false;  // its node was unplugged
        Report lastWritten;
        std::uint64_t dropped = 0;
    };

    std::shared_ptr<Queue> tryOpen();
    bool gone(const Queue& q) const;
    void wrote(Queue& q, std::span<const std::uint8_t> report);
    void closed(const std::shared_ptr<Queue>& q);
    int read(Queue& q, std::span<std::uint8_t> buf, int timeoutMs);

    mutable std::mutex m_;
    std::condition_variable cv_;
    std::vector<std::shared_ptr<Queue>> queues_;
    int handles_ = 0;
    int opensLeft_ = -1;
    std::atomic<bool> plugged_{true};
    std::atomic<std::uint64_t> instance_;
    int readsDone_ = 0;
    pthread_t lastReader_{};
    std::atomic<bool> failReads_{false};
    std::uint64_t droppedClosed_ = 0;  // by handles closed since
    std::vector<Report> closedLast_;
    std::atomic<int> concurrent_{0};
};

// Records every write and answers with a scripted result.
class RecordingHidInterface final : public FakeHidInterface {
public:
    using FakeHidInterface::FakeHidInterface;
    static constexpr int kWhole = -2;

    // kWhole: every byte is taken; -1: the write fails; n: n bytes are taken.
    void setWriteResult(int result) { writeResult_.store(result); }
    int onWrite(std::span<const std::uint8_t> report) override;
    std::vector<Report> written() const;

private:
    std::atomic<int> writeResult_{kWhole};
    mutable std::mutex m_;
    std::vector<Report> written_;
};

class FakeHidBackend final : public platform::HidBackend {
public:
    FakeHidBackend();   // installs itself
    ~FakeHidBackend() override;

    // Appends an interface to the platform's order.
    template <class T = RecordingHidInterface, class... A>
    std::shared_ptr<T> add(A&&... args)
    {
        auto i = std::make_shared<T>(std::forward<A>(args)...);
        interfaces_.push_back(i);
        return i;
    }
    // Takes an interface out of the list without unplugging its open handles.
    void remove(const std::shared_ptr<FakeHidInterface>& i);
    // The same interface, the same node, last in the platform's order.
    void moveToEnd(const std::shared_ptr<FakeHidInterface>& i);
    // The platform's report that device nodes changed, to every watch.
    void fireChange();
    int enumerations() const { return enumerations_; }

    std::optional<std::vector<platform::HidInterfaceInfo>> enumerate() override;
    std::unique_ptr<platform::HidHandle> open(const std::string& path, std::string* reason) override;
    std::unique_ptr<platform::DeviceChangeWatch> watchChanges(std::function<void()> onChange) override;

private:
    class Watch;
    std::vector<std::shared_ptr<FakeHidInterface>> interfaces_;
    std::vector<Watch*> watches_;
    int enumerations_ = 0;
};

}  // namespace testing_support
