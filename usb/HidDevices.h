#pragma once
// The HID transport: the list of the HID interfaces present (THidDevices),
// one connection to an interface of that list (THidDevice) and the reader
// thread that hands the connection's input reports to the user-interface
// thread (THidThread).
//
// Interfaces are numbered from 1 in the platform's enumeration order; 0 names
// none. Everything runs on the user-interface thread except the senders,
// GETCONNECTED and CONNECTION, which any thread may call.

#include "platform/hid_backend.h"
#include "platform/gui_bridge.h"
#include "platform/thread.h"

#include <QObject>
#include <QTimer>

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

// The data bytes of one report, without its report id.
using THidData = std::array<std::uint8_t, 9>;

// Failures of the HID layer to look up, open or connect an interface.
class EUSBException : public std::runtime_error {
public:
    explicit EUSBException(const std::string& message, std::string reason = {});
    // The platform's reason where one is known ("Permission denied"), else empty.
    const std::string& reason() const { return reason_; }

private:
    std::string reason_;
};

class THidDevice;

class THidDevices : public QObject {
public:
    // Paths the list keeps; later interfaces are left out.
    static constexpr std::uint16_t MAX_DEVICES = 127;

    // Does not enumerate: the owner scans right after creating the list.
    explicit THidDevices(QObject* owner = nullptr);
    ~THidDevices() override;

    // Fired after a device-change report that changed the set of interface
    // nodes: one more or fewer, one back under another node name, or one
    // back under its old name (another instance).
    std::function<void(THidDevices* sender)> OnDeviceChange;

    // One rescan; every hooked connection then re-finds its interface.
    void CHECKHIDDEVICES();
    // The platform's report that device nodes changed: ten rescans, then
    // OnDeviceChange when the set of nodes differs from the one before. True
    // when fired.
    bool CHECKDEVICECHANGE();

    std::uint16_t GETNUMBEROFHIDDEVICES() const;
    // Empty for 0 and for numbers above the count; never raises.
    std::string GETDEVICEPATH(std::uint16_t DEVICENR) const;
    // The node's instance under its path (HidInterfaceInfo::instance); 0 for
    // numbers outside the list.
    std::uint64_t GETINSTANCE(std::uint16_t DEVICENR) const;
    // The queries raise "Device n is not available." above the count; they
    // answer from the enumeration, without opening the interface. Number 0
    // gives 0 or the empty text, except the serial number, which raises
    // "Could not open device 0".
    std::uint16_t GETVENDORID(std::uint16_t DEVICENR) const;
    std::uint16_t GETPRODUCTID(std::uint16_t DEVICENR) const;
    std::string GETPRODUCTSTRING(std::uint16_t DEVICENR) const;
    std::string GETSERIALNUMBERSTRING(std::uint16_t DEVICENR) const;

    // Called through THidDevice::SETHIDDEVICES.
    void HOOKHIDDEVICE(THidDevice* HIDDEVICE);
    void UNHOOKHIDDEVICE(THidDevice* HIDDEVICE);

    // Where device-change reports come from ("udev", "timer", ...).
    std::string changeSource() const;

private:
    void checkNumber(std::uint16_t n) const;
    std::vector<std::pair<std::string, std::uint64_t>> sortedNodes() const;

    std::uint32_t FNUMBEROFHIDDEVICES = 0;
    std::vector<THidDevice*> FHIDDEVICELIST;  // not owned
    std::array<platform::HidInterfaceInfo, MAX_DEVICES + 1> HIDDEVICEINFO;  // entry n: interface n
    std::unique_ptr<platform::DeviceChangeWatch> watch_;
};

// Its own thread rather than QThread: the join must be one that thread
// checkers understand, and the stack size one the reader chooses.
class THidThread {
public:
    // `sender` is the reader that read the report. A hand-off may run after
    // its reader has ended and gone: it names the reader, nothing more.
    using Target = std::function<void(THidThread* sender, std::uint8_t reportId, const THidData& data,
                                      std::size_t length)>;

    // A read that waits no longer than this sees a stop request in time.
    static constexpr int READ_TIMEOUT_MS = 50;
    static constexpr int READ_BUFFER_SIZE = 10;
    // Hand-offs queued for a user-interface thread that does not take them;
    // the reports read beyond are not handed on (as the platform's own
    // buffer loses reports for a reader that falls behind), though `onRead`
    // still sees each of them.
    static constexpr int MAX_QUEUED_HANDOFFS = 4096;

    // How a reader waits out the rest of a read time-out after a read that
    // came back empty early; a stop request ends the wait at once. Tests
    // install their own; nullptr puts the real wait (waitForStop) back.
    using IdleWait = void (*)(THidThread& reader, std::chrono::nanoseconds left);
    static void SET_IDLE_WAIT(IdleWait wait);

    // Reads `dataSize` bytes a report (cut to the buffer) from `handle`, which
    // it owns; no handle ends the reader at once. Each report goes to
    // `onRead` on this reader's thread as soon as it is read, then to
    // `target` on the user-interface thread: handed off there in `calls`,
    // in the order read, without waiting for it to be taken. `onEnded` runs
    // in `calls` too, after the last hand-off, once the reader ended.
    THidThread(std::unique_ptr<platform::HidHandle> handle, int dataSize, Target target,
               platform::UiCallGroup* calls, std::function<void()> onEnded, Target onRead = {});
    // Stops the reader, waits for it, then closes its handle.
    ~THidThread();
    THidThread(const THidThread&) = delete;
    THidThread& operator=(const THidThread&) = delete;

    void start();
    // The stop request; never cleared.
    void GOAWAY();
    // Waits `span`, or until the stop request.
    void waitForStop(std::chrono::nanoseconds span);
    bool ended() const { return ended_.load(); }
    // Ended because a read failed, not because it was asked to stop.
    bool failed() const { return failed_.load(); }

private:
    void EXECUTE();

    std::unique_ptr<platform::HidHandle> FHANDLE;
    const int DATASIZE;
    const Target FONHIDDATA;
    const Target onRead_;
    // Hand-offs not yet taken; shared with them, as they may outlive the reader.
    const std::shared_ptr<std::atomic<int>> queued_ = std::make_shared<std::atomic<int>>(0);
    platform::UiCallGroup* const calls_;
    const std::function<void()> onEnded_;
    std::atomic<bool> FABORTREQUEST{false};
    std::mutex stopMutex_;  // with stopped_: a stop request ends waitForStop
    std::condition_variable stopped_;
    std::atomic<bool> ended_{false};
    std::atomic<bool> failed_{false};
    platform::SizedThread thread_;
};

class THidDevice : public QObject {
public:
    explicit THidDevice(QObject* owner = nullptr);
    // Disconnects, unhooks, drops queued hand-offs and joins every reader
    // (at most one read time-out). Not from inside its own OnHidData.
    ~THidDevice() override;

    // After every disconnect: asked for, after a failed write, after a failed
    // read, or because a rescan no longer finds the interface.
    std::function<void(THidDevice* sender)> OnDisconnect;
    // Every disconnect (asked for, a connect to another interface or the
    // same again, a failed read, a rescan without the interface) first writes
    // the report of id 0 this gives, when set and not empty, through the
    // still open connection, with no other send in between: a device let go
    // of, or whose input stalled, may still take it. After a failed or short
    // write it is tried once more, LAST_TRY_DELAY_MS later, the write handle
    // staying open till then (or till the next connect, which tries it
    // first): a device whose writes failed for a moment takes it then. A
    // failed write of it shows no box.
    std::function<std::optional<THidData>()> LastReport;
    static constexpr int LAST_TRY_DELAY_MS = 250;
    // Then, after OnDisconnect: `lastSent` tells whether that report went out whole.
    std::function<void(THidDevice* sender, bool lastSent)> OnReadFailure;
    // Every input report, on the user-interface thread, in the order read.
    // Length: the data bytes the report carried (the rest of Data is 0). A
    // hand-off of an ended connection still arrives until the next connect,
    // never after it.
    std::function<void(THidDevice* sender, std::uint8_t ReportId, THidData Data, std::size_t Length)> OnHidData;
    // Every input report once more, as soon as its reader has read it, on
    // the reader's thread: for what must not wait for the user-interface
    // thread. `connection` is GETCONNECTION of the connection that read it.
    // Taken by each connect; it must be quick and safe on any thread.
    std::function<void(std::uint64_t connection, std::uint8_t ReportId, const THidData& Data, std::size_t Length)>
        OnReportRead;

    THidDevices* HidDevices() const { return FHIDDEVICES; }
    void SETHIDDEVICES(THidDevices* list);

    // Raises EUSBException: "Device n is not available.", "Could not open
    // device n", "Could not connect to device n". Not hooked: disconnects only.
    // An interface whose input reports carry no data byte is not connected.
    void CONNECT(std::uint16_t DEVICEINDEX);
    void DISCONNECT();
    bool GETCONNECTED() const { return FCONNECTED.load(); }
    // The number of the connection up now, counting the connects from 1; 0
    // while none is up. Any thread.
    std::uint64_t CONNECTION() const { return FCONNECTED.load() ? connection_.load() : 0; }
    std::string GETDEVICEPATH() const { return FDEVICEPATH; }
    std::uint16_t GETDEVICEINDEX() const { return FDEVICEINDEX; }

    // Writes report id and DATA elements 0 to 7; true when all went out. A
    // failure disconnects and shows the "USB Error" box on the user-interface
    // thread: at once when sent from there; a caller on another thread does
    // not wait for it. Until that disconnect, later sends of the connection
    // whose write failed are dropped without a box of their own.
    bool SENDDATA(std::uint8_t REPORTID, const THidData& DATA);
    // For senders that drop a frame without a word when there is no board:
    // `gate` is asked under the send lock, so no disconnect or connect can
    // slip in between; false, or no connection, drops the frame silently. A
    // failed write is reported as by SENDDATA.
    bool SENDDATA_GATED(std::uint8_t REPORTID, const THidData& DATA, const std::function<bool()>& gate);
    // The value's eight bytes, most significant first, as one report of id 0.
    bool SENDINT64(std::int64_t DATA);

    // Run by the device list after each rescan.
    void DEVICELISTCHANGE();
    // The readers' hand-off target.
    void NEWHIDDATA(THidThread* SENDER, std::uint8_t REPORTID, const THidData& DATA, std::size_t LENGTH);
    // Report lengths of a listed interface; raises as CONNECT does, also for
    // an interface that can deliver no input report.
    platform::HidReportLengths GETCAPABILITIES(std::uint16_t DEVICENR);

    // Readers not yet ended and joined (the current one and stopped ones).
    int readerCount() const { return static_cast<int>(readers_.size()); }

private:
    friend class THidDevices;

    bool send(std::uint8_t reportId, const THidData& data, const std::function<bool()>* gate);
    // One report through the write handle; nullptr when it went out whole,
    // else the failure's text. sendMutex_ held, connected.
    const char* writeLocked(std::uint8_t reportId, const THidData& data);
    // DISCONNECT, writing LastReport's report just before the handle closes;
    // true when it went out whole. After a failed write the report is tried
    // later instead (finishLastTry), and false is returned.
    bool disconnect(bool writeFailed = false);
    // The delayed try of the last report after a failed write, now; then
    // the handle it kept open closes.
    void finishLastTry();
    // Shows the failure and ends the connection `connection` (an earlier
    // connection's failure leaves a later one alone).
    void USB_ERROR(const char* MSG, std::uint64_t connection);
    void reapReaders();

    THidDevices* FHIDDEVICES = nullptr;
    std::atomic<bool> FCONNECTED{false};
    std::uint16_t FDEVICEINDEX = 0;
    std::string FDEVICEPATH;
    std::uint64_t FINSTANCE = 0;
    // Counts the connects, so that what one connection left queued for the
    // user-interface thread does not act on the next.
    std::atomic<std::uint64_t> connection_{0};
    THidThread* FREADTHREAD = nullptr;
    std::vector<std::unique_ptr<THidThread>> readers_;

    // Sends are serialised with each other and with connect and disconnect,
    // so no write meets a handle that is being closed.
    std::mutex sendMutex_;
    std::unique_ptr<platform::HidHandle> FHANDLE;  // write handle; sendMutex_
    platform::HidReportLengths CAPABILITIES;       // sendMutex_
    // The connection whose write failed, until its disconnect; sendMutex_.
    std::uint64_t failedConnection_ = 0;
    // A write handle kept open after a failed write for one more try of the
    // last report, with what it is to write; sendMutex_.
    struct LastTry {
        std::unique_ptr<platform::HidHandle> handle;
        platform::HidReportLengths lengths;
        THidData report{};
    };
    LastTry lastTry_;
    QTimer lastTryTimer_;  // user-interface thread

    platform::UiCallGroup calls_;  // hand-offs and error boxes of this connection
};
