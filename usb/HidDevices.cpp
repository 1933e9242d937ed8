#include "usb/HidDevices.h"

#include "core/text.h"

#include "platform/dialogs.h"
#include "platform/priority.h"

#include <algorithm>

namespace {

const char* const kNotConnected = "The USB device is not connected.";
const char* const kWriteFailed = "Unable to write to the USB device.";
const char* const kShortWrite = "Unable to write all bytes to the USB device.";

// Board frames are a report id and 8 data bytes; fewer did not go out whole.
constexpr int kWholeReport = 9;
constexpr std::size_t kWriteBufferSize = 65;
constexpr std::size_t kReaderStack = 4 * 1024 * 1024;

std::string notAvailable(std::uint16_t n) { return "Device " + text::decimal(n) + " is not available."; }
std::string couldNotOpen(std::uint16_t n) { return "Could not open device " + text::decimal(n); }
std::string couldNotConnect(std::uint16_t n) { return "Could not connect to device " + text::decimal(n); }

void waitForStopRequest(THidThread& reader, std::chrono::nanoseconds left) { reader.waitForStop(left); }
std::atomic<THidThread::IdleWait> g_idleWait{&waitForStopRequest};

// One report through `handle`; nullptr when it went out whole, else the
// failure's text.
const char* writeReport(platform::HidHandle& handle, const platform::HidReportLengths& lengths,
                        std::uint8_t reportId, const THidData& data)
{
    std::array<std::uint8_t, kWriteBufferSize> buf{};
    buf[0] = reportId;
    std::copy(data.begin(), data.begin() + 8, buf.begin() + 1);
    const std::size_t length = std::min<std::size_t>(lengths.output, buf.size());
    const int written = handle.write(std::span(buf).first(length));
    if (written <= 0)
        return kWriteFailed;
    if (written < kWholeReport)
        return kShortWrite;
    return nullptr;
}

}  // namespace

EUSBException::EUSBException(const std::string& message, std::string reason)
    : std::runtime_error(message), reason_(std::move(reason))
{
}

// ---- THidDevices -----------------------------------------------------------

THidDevices::THidDevices(QObject* owner) : QObject(owner)
{
    watch_ = platform::hidBackend().watchChanges([this] { CHECKDEVICECHANGE(); });
}

THidDevices::~THidDevices()
{
    watch_.reset();
    for (THidDevice* d : FHIDDEVICELIST)
        d->FHIDDEVICES = nullptr;
}

std::string THidDevices::changeSource() const { return watch_ ? watch_->source() : std::string(); }

void THidDevices::CHECKHIDDEVICES()
{
    FNUMBEROFHIDDEVICES = 0;
    if (auto found = platform::hidBackend().enumerate()) {
        const std::size_t n = std::min<std::size_t>(found->size(), MAX_DEVICES);
        for (std::size_t i = 0; i < n; ++i)
            HIDDEVICEINFO[i + 1] = std::move((*found)[i]);
        FNUMBEROFHIDDEVICES = static_cast<std::uint32_t>(n);
    }
    // A connection's disconnect handler may hook or unhook connections.
    const std::vector<THidDevice*> hooked = FHIDDEVICELIST;
    for (THidDevice* d : hooked)
        d->DEVICELISTCHANGE();
}

std::vector<std::pair<std::string, std::uint64_t>> THidDevices::sortedNodes() const
{
    std::vector<std::pair<std::string, std::uint64_t>> nodes;
    for (std::uint32_t n = 1; n <= FNUMBEROFHIDDEVICES; ++n)
        nodes.emplace_back(HIDDEVICEINFO[n].path, HIDDEVICEINFO[n].instance);
    std::sort(nodes.begin(), nodes.end());
    return nodes;
}

bool THidDevices::CHECKDEVICECHANGE()
{
    // Nodes, not their number: a board unplugged and back between two
    // reports leaves the count as it was, and under its old name the path too.
    const auto before = sortedNodes();
    // A device that is still settling after the report is caught by a later rescan.
    for (int i = 0; i < 10; ++i)
        CHECKHIDDEVICES();
    if (sortedNodes() != before && OnDeviceChange) {
        OnDeviceChange(this);
        return true;
    }
    return false;
}

std::uint16_t THidDevices::GETNUMBEROFHIDDEVICES() const { return static_cast<std::uint16_t>(FNUMBEROFHIDDEVICES); }

std::string THidDevices::GETDEVICEPATH(std::uint16_t DEVICENR) const
{
    return DEVICENR <= FNUMBEROFHIDDEVICES ? HIDDEVICEINFO[DEVICENR].path : std::string();
}

std::uint64_t THidDevices::GETINSTANCE(std::uint16_t DEVICENR) const
{
    return DEVICENR >= 1 && DEVICENR <= FNUMBEROFHIDDEVICES ? HIDDEVICEINFO[DEVICENR].instance : 0;
}

void THidDevices::checkNumber(std::uint16_t n) const
{
    if (n > FNUMBEROFHIDDEVICES)
        throw EUSBException(notAvailable(n));
}

// The ids and strings come from the enumeration, which needs no access to
// the device node: a board the operator may not open is listed all the
// same, and its connect says why it fails.
std::uint16_t THidDevices::GETVENDORID(std::uint16_t DEVICENR) const
{
    checkNumber(DEVICENR);
    return HIDDEVICEINFO[DEVICENR].vendorId;
}

std::uint16_t THidDevices::GETPRODUCTID(std::uint16_t DEVICENR) const
{
    checkNumber(DEVICENR);
    return HIDDEVICEINFO[DEVICENR].productId;
}

std::string THidDevices::GETPRODUCTSTRING(std::uint16_t DEVICENR) const
{
    checkNumber(DEVICENR);
    return HIDDEVICEINFO[DEVICENR].product;
}

std::string THidDevices::GETSERIALNUMBERSTRING(std::uint16_t DEVICENR) const
{
    checkNumber(DEVICENR);
    if (DEVICENR == 0)
        throw EUSBException(couldNotOpen(DEVICENR));
    return HIDDEVICEINFO[DEVICENR].serial;
}

void THidDevices::HOOKHIDDEVICE(THidDevice* HIDDEVICE)
{
    FHIDDEVICELIST.push_back(HIDDEVICE);
    HIDDEVICE->FHIDDEVICES = this;
}

void THidDevices::UNHOOKHIDDEVICE(THidDevice* HIDDEVICE)
{
    HIDDEVICE->FHIDDEVICES = nullptr;
    auto it = std::find(FHIDDEVICELIST.begin(), FHIDDEVICELIST.end(), HIDDEVICE);
    if (it != FHIDDEVICELIST.end())
        FHIDDEVICELIST.erase(it);
}

// ---- THidThread ------------------------------------------------------------

THidThread::THidThread(std::unique_ptr<platform::HidHandle> handle, int dataSize, Target target,
                       platform::UiCallGroup* calls, std::function<void()> onEnded, Target onRead)
    : FHANDLE(std::move(handle)), DATASIZE(std::clamp(dataSize, 0, READ_BUFFER_SIZE)),
      FONHIDDATA(std::move(target)), onRead_(std::move(onRead)), calls_(calls), onEnded_(std::move(onEnded))
{
}

THidThread::~THidThread()
{
    GOAWAY();
    thread_.join();
    FHANDLE.reset();  // only now: the reader may be inside a read until it ends
}

void THidThread::start()
{
    const bool started = thread_.start(kReaderStack, [this] {
        platform::nameThisThread("hid reader");
        EXECUTE();
    });
    if (!started)
        ended_.store(true);  // no reader: the connection goes on without input
}

void THidThread::GOAWAY()
{
    {
        std::lock_guard lock(stopMutex_);
        FABORTREQUEST.store(true);
    }
    stopped_.notify_all();
}

void THidThread::waitForStop(std::chrono::nanoseconds span)
{
    std::unique_lock lock(stopMutex_);
    stopped_.wait_for(lock, span, [this] { return FABORTREQUEST.load(); });
}

void THidThread::SET_IDLE_WAIT(IdleWait wait) { g_idleWait.store(wait ? wait : &waitForStopRequest); }

void THidThread::EXECUTE()
{
    // Blocks in the read until a report comes: no sleep after a hand-off, so
    // the next report is taken as soon as it is there. The read's finite
    // time-out is what lets a stop request be seen.
    while (FHANDLE && DATASIZE > 0 && !FABORTREQUEST.load()) {
        std::array<std::uint8_t, READ_BUFFER_SIZE> buf{};
        const auto began = std::chrono::steady_clock::now();
        const int n = FHANDLE->read(std::span(buf).first(static_cast<std::size_t>(DATASIZE)), READ_TIMEOUT_MS);
        if (n < 0) {
            // Device gone or failing: the connection is dropped on the
            // user-interface thread (reapReaders), so no key it reported
            // last stays held.
            failed_.store(!FABORTREQUEST.load());
            break;
        }
        if (n == 0) {
            // An empty read that did not wait (a device whose reports carry
            // no data) would have this loop spin: the rest of its time-out
            // is waited out here.
            const auto left = std::chrono::milliseconds(READ_TIMEOUT_MS) - (std::chrono::steady_clock::now() - began);
            if (left > std::chrono::nanoseconds::zero() && !FABORTREQUEST.load())
                g_idleWait.load()(*this, left);
            continue;
        }
        if (FABORTREQUEST.load())
            continue;
        THidData data{};
        std::copy(buf.begin() + 1, buf.end(), data.begin());
        const std::uint8_t reportId = buf[0];
        const auto length = static_cast<std::size_t>(n - 1);
        if (onRead_)
            onRead_(this, reportId, data, length);
        if (!FONHIDDATA)
            continue;
        // Not waited for: a busy user-interface thread must not keep this
        // reader from the next report. Everything by value, as the hand-off
        // may run after this reader has gone.
        if (queued_->load() >= MAX_QUEUED_HANDOFFS)
            continue;
        queued_->fetch_add(1);
        if (!platform::postToUiThread(
                [target = FONHIDDATA, self = this, reportId, data, length, queued = queued_] {
                    queued->fetch_sub(1);
                    target(self, reportId, data, length);
                },
                calls_))
            break;  // the connection is going away, or the program is closing
    }
    ended_.store(true);
    if (onEnded_)
        platform::postToUiThread(onEnded_, calls_);
}

// ---- THidDevice ------------------------------------------------------------

THidDevice::THidDevice(QObject* owner) : QObject(owner)
{
    lastTryTimer_.setSingleShot(true);
    QObject::connect(&lastTryTimer_, &QTimer::timeout, this, [this] { finishLastTry(); });
}

THidDevice::~THidDevice()
{
    DISCONNECT();
    finishLastTry();
    if (FHIDDEVICES)
        FHIDDEVICES->UNHOOKHIDDEVICE(this);
    calls_.cancel();
    readers_.clear();
}

void THidDevice::SETHIDDEVICES(THidDevices* list)
{
    if (FHIDDEVICES)
        FHIDDEVICES->UNHOOKHIDDEVICE(this);
    if (list)
        list->HOOKHIDDEVICE(this);
}

platform::HidReportLengths THidDevice::GETCAPABILITIES(std::uint16_t DEVICENR)
{
    if (!FHIDDEVICES || DEVICENR > FHIDDEVICES->GETNUMBEROFHIDDEVICES())
        throw EUSBException(notAvailable(DEVICENR));
    std::string reason;
    auto h = platform::hidBackend().open(FHIDDEVICES->GETDEVICEPATH(DEVICENR), &reason);
    if (!h)
        throw EUSBException(couldNotOpen(DEVICENR), reason);
    // Without its report lengths an interface cannot be read or written safely.
    const auto lengths = h->reportLengths();
    if (!lengths)
        throw EUSBException(couldNotOpen(DEVICENR), "the report lengths cannot be read");
    // Nothing to read but the report id: such a device never answers.
    if (lengths->input < 2)
        throw EUSBException(couldNotOpen(DEVICENR), "the device sends no input reports");
    return *lengths;
}

void THidDevice::CONNECT(std::uint16_t DEVICEINDEX)
{
    DISCONNECT();
    // What the device before was still to be told goes first.
    finishLastTry();
    if (!FHIDDEVICES)
        return;
    if (DEVICEINDEX == 0 || DEVICEINDEX > FHIDDEVICES->GETNUMBEROFHIDDEVICES())
        throw EUSBException(notAvailable(DEVICEINDEX));
    const platform::HidReportLengths caps = GETCAPABILITIES(DEVICEINDEX);
    const std::string path = FHIDDEVICES->GETDEVICEPATH(DEVICEINDEX);

    std::string reason;
    auto writeHandle = platform::hidBackend().open(path, &reason);
    if (!writeHandle)
        throw EUSBException(couldNotConnect(DEVICEINDEX), reason);
    // The reader gets a handle of its own: one handle must not be used by two
    // threads at once. Without one it ends at once, as a reader that cannot
    // open its device does.
    auto readHandle = platform::hidBackend().open(path, nullptr);

    reapReaders();
    FDEVICEINDEX = DEVICEINDEX;
    FDEVICEPATH = path;
    FINSTANCE = FHIDDEVICES->GETINSTANCE(DEVICEINDEX);
    const std::uint64_t connection = connection_.load() + 1;
    THidThread::Target onRead;
    if (OnReportRead)
        onRead = [hook = OnReportRead, connection](THidThread*, std::uint8_t id, const THidData& data,
                                                  std::size_t length) { hook(connection, id, data, length); };
    auto reader = std::make_unique<THidThread>(
        std::move(readHandle), caps.input,
        [this, connection](THidThread* sender, std::uint8_t id, const THidData& data, std::size_t length) {
            if (connection == connection_.load())
                NEWHIDDATA(sender, id, data, length);
        },
        &calls_, [this] { reapReaders(); }, std::move(onRead));
    FREADTHREAD = reader.get();
    readers_.push_back(std::move(reader));
    FREADTHREAD->start();

    std::lock_guard lock(sendMutex_);
    FHANDLE = std::move(writeHandle);
    CAPABILITIES = caps;
    connection_.store(connection);
    FCONNECTED.store(true);
}

void THidDevice::DISCONNECT() { disconnect(); }

bool THidDevice::disconnect(bool writeFailed)
{
    if (!FCONNECTED.load())
        return false;
    const std::optional<THidData> last = LastReport ? LastReport() : std::nullopt;
    // The reader is not waited for: it may be handing a report to this very
    // thread. It is joined once it has ended (reapReaders).
    if (FREADTHREAD) {
        FREADTHREAD->GOAWAY();
        FREADTHREAD = nullptr;
    }
    FDEVICEPATH.clear();
    FDEVICEINDEX = 0;
    bool sent = false;
    bool tryLater = false;
    {
        std::lock_guard lock(sendMutex_);
        // Right after a failed write the device most likely fails this one
        // too; a moment later it may take it.
        if (last && writeFailed) {
            lastTry_ = {std::move(FHANDLE), CAPABILITIES, *last};
            tryLater = true;
        } else if (last) {
            sent = writeLocked(0, *last) == nullptr;
        }
        FHANDLE.reset();
        FCONNECTED.store(false);
    }
    if (tryLater)
        lastTryTimer_.start(LAST_TRY_DELAY_MS);
    if (OnDisconnect)
        OnDisconnect(this);
    return sent;
}

void THidDevice::finishLastTry()
{
    lastTryTimer_.stop();
    std::lock_guard lock(sendMutex_);
    if (lastTry_.handle)
        writeReport(*lastTry_.handle, lastTry_.lengths, 0, lastTry_.report);
    lastTry_.handle.reset();
}

void THidDevice::DEVICELISTCHANGE()
{
    if (!FCONNECTED.load())
        return;
    const std::uint16_t count = FHIDDEVICES ? FHIDDEVICES->GETNUMBEROFHIDDEVICES() : 0;
    // A node under the old name with another instance is a board plugged
    // back: the connection's own node is gone.
    for (std::uint16_t n = 1; n <= count; ++n) {
        if (FHIDDEVICES->GETDEVICEPATH(n) == FDEVICEPATH && FHIDDEVICES->GETINSTANCE(n) == FINSTANCE) {
            FDEVICEINDEX = n;
            return;
        }
    }
    DISCONNECT();
}

bool THidDevice::SENDDATA(std::uint8_t REPORTID, const THidData& DATA) { return send(REPORTID, DATA, nullptr); }

bool THidDevice::SENDDATA_GATED(std::uint8_t REPORTID, const THidData& DATA, const std::function<bool()>& gate)
{
    return send(REPORTID, DATA, &gate);
}

bool THidDevice::send(std::uint8_t reportId, const THidData& data, const std::function<bool()>* gate)
{
    const char* failure = nullptr;
    std::uint64_t connection = 0;
    {
        std::lock_guard lock(sendMutex_);
        if (gate && (!FCONNECTED.load() || !(*gate)()))
            return false;
        connection = connection_.load();
        // Its failure is on its way to the user-interface thread, which
        // closes it; one box tells it.
        if (FCONNECTED.load() && failedConnection_ == connection)
            return false;
        failure = FCONNECTED.load() ? writeLocked(reportId, data) : kNotConnected;
        if (failure && FCONNECTED.load())
            failedConnection_ = connection;
    }
    if (!failure)
        return true;
    // The lock is released first: the box may wait for the operator as long
    // as it likes, and the disconnect it runs needs the lock.
    USB_ERROR(failure, connection);
    return false;
}

const char* THidDevice::writeLocked(std::uint8_t reportId, const THidData& data)
{
    return writeReport(*FHANDLE, CAPABILITIES, reportId, data);
}

bool THidDevice::SENDINT64(std::int64_t DATA)
{
    // Elements 0 to 7, the ones that go out, so that no byte of the value is lost.
    THidData d{};
    auto v = static_cast<std::uint64_t>(DATA);
    for (int i = 7; i >= 0; --i, v >>= 8)
        d[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v & 0xFF);
    return SENDDATA(0, d);
}

void THidDevice::USB_ERROR(const char* MSG, std::uint64_t connection)
{
    // MSG is a constant text; the device lives until the program has ended.
    const auto fail = [this, MSG, connection] {
        if (connection == connection_.load())
            disconnect(/*writeFailed=*/true);
        platform::dialogs().message("USB Error", MSG);
    };
    // The box waits for the operator; a sender on another thread (the
    // control loop) goes on meanwhile, and drives a device connected again
    // while the box is up.
    if (platform::onUiThread())
        platform::runOnUiThread(fail, &calls_);
    else
        platform::postToUiThread(fail, &calls_);
}

void THidDevice::NEWHIDDATA(THidThread*, std::uint8_t REPORTID, const THidData& DATA, std::size_t LENGTH)
{
    const THidData copy = DATA;
    if (OnHidData)
        OnHidData(this, REPORTID, copy, LENGTH);
}

void THidDevice::reapReaders()
{
    bool readFailed = false;
    std::erase_if(readers_, [this, &readFailed](const std::unique_ptr<THidThread>& r) {
        if (!r->ended())
            return false;
        if (r.get() == FREADTHREAD) {
            // A reader that could not even start leaves the connection up
            // without input; one whose read failed takes it down.
            FREADTHREAD = nullptr;
            readFailed = r->failed();
        }
        return true;
    });
    if (!readFailed)
        return;
    // Writes may still work where reads stopped: the device gets its last
    // report before the connection closes.
    const bool lastSent = disconnect();
    if (OnReadFailure)
        OnReadFailure(this, lastSent);
}
