#include "usb/HidDevices.h"

#include "platform/hid_backend.h"
#include "platform/hid_descriptor.h"
#include "tests/support/fake_dialogs.h"
#include "tests/support/fake_hid.h"
#include "tests/support/sim_board_interface.h"
#include "tests/support/wait.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <functional>
#include <thread>

using testing_support::FakeHidBackend;
using testing_support::RecordingHidInterface;
using testing_support::Report;
using testing_support::waitUntil;

namespace {

struct Received {
    THidDevice* sender;
    std::uint8_t id;
    THidData data;
};

class HidDeviceTest : public ::testing::Test {
protected:
    HidDeviceTest()
    {
        board = fake.add("/dev/hidraw0");
        other = fake.add("/dev/hidraw1", 0x046D, 0xC52B);
        list.CHECKHIDDEVICES();
        dev.SETHIDDEVICES(&list);
        dev.OnHidData = [this](THidDevice* s, std::uint8_t id, THidData d, std::size_t) {
            EXPECT_EQ(std::this_thread::get_id(), ui);
            received.push_back({s, id, d});
            handedOver.fetch_add(1);
        };
        dev.OnDisconnect = [this](THidDevice* s) {
            EXPECT_EQ(s, &dev);
            events.push_back("disconnect");
        };
    }

    // The message of the EUSBException `f` raises, or "" for none.
    static std::string raised(const std::function<void()>& f)
    {
        try {
            f();
        } catch (const EUSBException& e) {
            return e.what();
        }
        return {};
    }

    static Report frame(std::uint8_t tag) { return {0, 0x05, tag, 0, 0, 0, 0, 0, tag}; }

    std::vector<std::string> texts() const
    {
        std::vector<std::string> t;
        for (const auto& b : boxes.shown())
            t.push_back(b.text);
        return t;
    }

    bool readersEnded() { return waitUntil([&] { return dev.readerCount() == 0; }); }

    const std::thread::id ui = std::this_thread::get_id();
    FakeHidBackend fake;
    testing_support::FakeDialogs boxes;
    std::shared_ptr<RecordingHidInterface> board, other;
    THidDevices list;
    std::vector<Received> received;
    std::atomic<int> handedOver{0};  // what a feeder thread may look at
    std::vector<std::string> events;
    THidDevice dev;  // last: goes first, before what it reads
};

TEST_F(HidDeviceTest, ConnectsToTheNumberAndDisconnectsOnce)
{
    dev.CONNECT(2);
    EXPECT_TRUE(dev.GETCONNECTED());
    EXPECT_EQ(dev.GETDEVICEPATH(), "/dev/hidraw1");
    EXPECT_EQ(dev.GETDEVICEINDEX(), 2);
    EXPECT_EQ(other->openHandles(), 2);  // one to write, one for the reader

    dev.CONNECT(1);  // the old connection goes first
    EXPECT_EQ(events, std::vector<std::string>{"disconnect"});
    EXPECT_EQ(dev.GETDEVICEPATH(), "/dev/hidraw0");

    dev.DISCONNECT();
    dev.DISCONNECT();  // not connected: nothing
    EXPECT_EQ(events.size(), 2u);
    EXPECT_FALSE(dev.GETCONNECTED());
    EXPECT_EQ(dev.GETDEVICEPATH(), "");
    EXPECT_EQ(dev.GETDEVICEINDEX(), 0);
    ASSERT_TRUE(readersEnded());
    EXPECT_EQ(board->openHandles(), 0);
    EXPECT_EQ(other->openHandles(), 0);
}

TEST_F(HidDeviceTest, FailedConnectsRaiseTheirTextAndLeaveItDisconnected)
{
    struct Case {
        const char* name;
        std::uint16_t number;
        std::function<void()> script;
        const char* text;
        const char* reason;
    };
    const Case cases[] = {
        {"number 0", 0, [] {}, "Device 0 is not available.", ""},
        {"above the count", 3, [] {}, "Device 3 is not available.", ""},
        {"cannot be opened", 1, [&] { board->openFails = true; }, "Could not open device 1", "Permission denied"},
        {"report lengths unknown", 1, [&] { board->lengthsFail = true; }, "Could not open device 1", nullptr},
        {"write handle refused", 1, [&] { board->allowOpens(1); }, "Could not connect to device 1",
         "Permission denied"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        board->openFails = false;
        board->lengthsFail = false;
        board->allowOpens(-1);
        dev.CONNECT(2);
        events.clear();
        c.script();
        try {
            dev.CONNECT(c.number);
            ADD_FAILURE() << "no exception";
        } catch (const EUSBException& e) {
            EXPECT_STREQ(e.what(), c.text);
            if (c.reason) {
                EXPECT_EQ(e.reason(), c.reason);
            }
        }
        EXPECT_EQ(events, std::vector<std::string>{"disconnect"});  // the old one went first
        EXPECT_FALSE(dev.GETCONNECTED());
        EXPECT_EQ(dev.GETDEVICEPATH(), "");
    }
    EXPECT_EQ(board->openHandles(), 0);  // no handle left open by a failure
}

TEST_F(HidDeviceTest, AnUnhookedConnectionOnlyDisconnects)
{
    dev.CONNECT(1);
    dev.SETHIDDEVICES(nullptr);
    EXPECT_EQ(raised([&] { dev.CONNECT(1); }), "");
    EXPECT_EQ(events, std::vector<std::string>{"disconnect"});
    EXPECT_FALSE(dev.GETCONNECTED());
}

TEST_F(HidDeviceTest, RescanRenumbersTheConnectionAndDropsItWhenItsPathIsGone)
{
    dev.CONNECT(2);
    fake.remove(board);
    list.CHECKHIDDEVICES();
    EXPECT_TRUE(dev.GETCONNECTED());
    EXPECT_EQ(dev.GETDEVICEINDEX(), 1);
    EXPECT_EQ(dev.GETDEVICEPATH(), "/dev/hidraw1");

    dev.CONNECT(1);  // the new number names the same interface
    EXPECT_EQ(dev.GETDEVICEPATH(), "/dev/hidraw1");

    fake.remove(other);
    list.CHECKHIDDEVICES();
    EXPECT_FALSE(dev.GETCONNECTED());
    EXPECT_EQ(events.size(), 2u);
}

TEST_F(HidDeviceTest, SendWritesReportIdAndEightDataBytesAtTheOutputLength)
{
    const THidData data = {0x05, 1, 2, 3, 4, 5, 6, 7, 0xEE};
    struct Case {
        std::uint16_t outputLength;
        std::size_t written;
    };
    for (const Case c : {Case{9, 9}, Case{12, 12}, Case{100, 65}}) {
        board->lengths.output = c.outputLength;
        dev.CONNECT(1);
        EXPECT_TRUE(dev.SENDDATA(0, data));
        Report expected = {0, 0x05, 1, 2, 3, 4, 5, 6, 7};  // element 8 is never sent
        expected.resize(c.written, 0);
        EXPECT_EQ(board->written().back(), expected) << "output length " << c.outputLength;
    }
    board->lengths.output = 9;
    dev.CONNECT(1);
    EXPECT_TRUE(dev.SENDINT64(0x0102030405060708));  // all eight bytes go out
    EXPECT_EQ(board->written().back(), (Report{0, 1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(HidDeviceTest, AFailedSendDisconnectsThenShowsItsBox)
{
    struct Case {
        int writeResult;
        std::uint16_t outputLength;
        const char* text;
    };
    const Case cases[] = {
        {-1, 9, "Unable to write to the USB device."},
        {0, 9, "Unable to write to the USB device."},
        {1, 9, "Unable to write all bytes to the USB device."},
        {8, 9, "Unable to write all bytes to the USB device."},
        {RecordingHidInterface::kWhole, 5, "Unable to write all bytes to the USB device."},
        {RecordingHidInterface::kWhole, 0, "Unable to write to the USB device."},
    };
    bool connectedWhileShown = true;
    boxes.whileShown = [&](const testing_support::FakeDialogs::Box&) { connectedWhileShown = dev.GETCONNECTED(); };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        board->lengths.output = c.outputLength;
        board->setWriteResult(c.writeResult);
        dev.CONNECT(1);
        events.clear();
        const auto before = boxes.shown().size();
        EXPECT_FALSE(dev.SENDDATA(0, THidData{}));
        ASSERT_EQ(boxes.shown().size(), before + 1);
        EXPECT_EQ(boxes.shown().back().title, "USB Error");
        EXPECT_EQ(boxes.shown().back().text, c.text);
        EXPECT_FALSE(connectedWhileShown);
        EXPECT_EQ(events, std::vector<std::string>{"disconnect"});
    }
    board->setWriteResult(9);  // nine or more bytes is whole, whatever the length
    board->lengths.output = 9;
    dev.CONNECT(1);
    EXPECT_TRUE(dev.SENDDATA(0, THidData{}));
}

TEST_F(HidDeviceTest, SendingWhileDisconnectedWritesNothingAndSaysSo)
{
    EXPECT_FALSE(dev.SENDDATA(0, THidData{}));
    EXPECT_EQ(texts(), std::vector<std::string>{"The USB device is not connected."});
    EXPECT_TRUE(board->written().empty());
    EXPECT_TRUE(events.empty());

    dev.CONNECT(1);
    board->unplug();  // a write to a device that is gone fails
    EXPECT_FALSE(dev.SENDDATA(0, THidData{}));
    EXPECT_EQ(texts().back(), "Unable to write to the USB device.");
}

TEST_F(HidDeviceTest, GatedSendsDropSilentlyWithoutABoardButReportFailedWrites)
{
    bool open = true;
    const auto gate = [&] { return open; };
    EXPECT_FALSE(dev.SENDDATA_GATED(0, THidData{}, gate));  // not connected
    dev.CONNECT(1);
    open = false;
    EXPECT_FALSE(dev.SENDDATA_GATED(0, THidData{}, gate));
    EXPECT_TRUE(boxes.shown().empty());
    EXPECT_TRUE(board->written().empty());

    open = true;
    EXPECT_TRUE(dev.SENDDATA_GATED(0, THidData{0x05}, gate));
    EXPECT_EQ(board->written().size(), 1u);
    board->setWriteResult(-1);
    EXPECT_FALSE(dev.SENDDATA_GATED(0, THidData{}, gate));
    EXPECT_EQ(texts(), std::vector<std::string>{"Unable to write to the USB device."});
    EXPECT_FALSE(dev.GETCONNECTED());
}

TEST_F(HidDeviceTest, DeliversEveryReportOnceInOrderOnTheUserInterfaceThread)
{
    dev.CONNECT(1);
    constexpr int kReports = 300;
    std::thread feeder([&] {
        for (int i = 0; i < kReports; ++i) {
            // The platform's buffer holds 64; a feeder must not outrun the test.
            while (i - handedOver.load() >= 32)
                std::this_thread::yield();
            board->pushInput({0, 0x03, static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i >> 8), 4, 5, 6,
                              7, 8, 0x99});
        }
    });
    ASSERT_TRUE(waitUntil([&] { return received.size() >= kReports; }));
    feeder.join();
    dev.DISCONNECT();
    ASSERT_TRUE(readersEnded());
    QCoreApplication::processEvents();
    ASSERT_EQ(received.size(), std::size_t{kReports});
    for (int i = 0; i < kReports; ++i) {
        const Received& r = received[static_cast<std::size_t>(i)];
        EXPECT_EQ(r.sender, &dev);
        EXPECT_EQ(r.id, 0);
        EXPECT_EQ(r.data[1] | (r.data[2] << 8), i);
        EXPECT_EQ(r.data[7], 8);
        EXPECT_EQ(r.data[8], 0);  // beyond the input length of 9
    }
    EXPECT_EQ(board->droppedInputs(), 0u);
}

// As on the platform, each open handle has its own copy of every report, so
// a reader being replaced cannot take one from its successor; a handle only
// written to fills up unseen.
TEST_F(HidDeviceTest, EveryOpenHandleGetsItsOwnCopyOfEachReport)
{
    board->inputCapacity = 4;
    auto writer = platform::hidBackend().open("/dev/hidraw0", nullptr);
    auto oldReader = platform::hidBackend().open("/dev/hidraw0", nullptr);
    auto newReader = platform::hidBackend().open("/dev/hidraw0", nullptr);
    ASSERT_TRUE(writer && oldReader && newReader);
    std::array<std::uint8_t, 9> buf{};
    EXPECT_EQ(oldReader->read(buf, 0), 0);
    EXPECT_EQ(newReader->read(buf, 0), 0);
    for (std::uint8_t i = 1; i <= 3; ++i)
        board->pushInput({0, i});
    ASSERT_EQ(oldReader->read(buf, 0), 2);
    EXPECT_EQ(buf[1], 1);
    oldReader.reset();  // its copies go with it
    for (std::uint8_t i = 1; i <= 3; ++i) {
        ASSERT_EQ(newReader->read(buf, 0), 2);
        EXPECT_EQ(buf[1], i);
    }
    for (std::uint8_t i = 4; i <= 6; ++i)
        board->pushInput({0, i});
    EXPECT_EQ(board->droppedInputs(), 0u) << "the writer's full buffer is nobody's loss";
    for (int i = 0; i < 5; ++i)
        board->pushInput({0, 9});
    EXPECT_EQ(board->droppedInputs(), 4u);
}

// A user-interface thread that takes nothing for a long while (a list
// loading) does not hold up the reader, which goes on reading every report
// and giving it to OnReportRead at once; its hand-offs queue up to a bound.
TEST_F(HidDeviceTest, TheReaderReadsOnWhileTheUserInterfaceThreadTakesNothing)
{
    std::atomic<int> read{0};
    std::atomic<std::uint64_t> readBy{0};
    dev.OnReportRead = [&](std::uint64_t connection, std::uint8_t, const THidData&, std::size_t) {
        readBy = connection;
        read.fetch_add(1);
    };
    constexpr int kBound = THidThread::MAX_QUEUED_HANDOFFS;
    constexpr int kReports = kBound + 100;
    board->inputCapacity = kReports;
    dev.CONNECT(1);
    for (int i = 0; i < kReports; ++i)
        board->pushInput({0, 0x03, static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i >> 8), 0, 0, 0, 0, 0});
    ASSERT_TRUE(waitUntil([&] { return read.load() == kReports; }, false)) << read.load();
    EXPECT_EQ(readBy.load(), dev.CONNECTION());
    EXPECT_EQ(platform::pendingUiCalls(), kBound);
    EXPECT_TRUE(received.empty());

    // Taken now, in order; the reports past the bound were not handed on.
    ASSERT_TRUE(waitUntil([&] { return received.size() == std::size_t{kBound}; }));
    for (int i = 0; i < kBound; ++i)
        ASSERT_EQ(received[static_cast<std::size_t>(i)].data[1] | (received[static_cast<std::size_t>(i)].data[2] << 8), i);
    board->pushInput(frame(7));
    ASSERT_TRUE(waitUntil([&] { return received.size() == std::size_t{kBound} + 1; }));
    EXPECT_EQ(received.back().data[1], 7) << "handed on again once the queue is taken";
    EXPECT_EQ(board->droppedInputs(), 0u);
}

TEST_F(HidDeviceTest, ShortReportsAreFilledWithZeros)
{
    board->lengths.input = 4;
    dev.CONNECT(1);
    board->pushInput({7, 1, 2, 3, 4, 5, 6});
    ASSERT_TRUE(waitUntil([&] { return received.size() == 1; }));
    EXPECT_EQ(received[0].id, 7);
    EXPECT_EQ(received[0].data, (THidData{1, 2, 3, 0, 0, 0, 0, 0, 0}));
}

TEST_F(HidDeviceTest, AHandOverWaitingAtTheStopStillArrivesAndNothingAfterIt)
{
    dev.CONNECT(1);
    board->pushInput(frame(1));
    // Events are held back: the reader now waits inside its hand-over.
    ASSERT_TRUE(waitUntil([] { return platform::pendingUiCalls() == 1; }, false));
    dev.DISCONNECT();
    board->pushInput(frame(2));
    ASSERT_TRUE(readersEnded());
    QCoreApplication::processEvents();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].data[1], 1);
    EXPECT_EQ(board->openHandles(), 0);
}

TEST_F(HidDeviceTest, DestroyingAConnectionDropsItsPendingHandOverWithoutWaitingForIt)
{
    auto doomed = std::make_unique<THidDevice>();
    doomed->SETHIDDEVICES(&list);
    int delivered = 0;
    doomed->OnHidData = [&](THidDevice*, std::uint8_t, THidData, std::size_t) { ++delivered; };
    doomed->CONNECT(1);
    board->pushInput(frame(1));
    ASSERT_TRUE(waitUntil([] { return platform::pendingUiCalls() == 1; }, false));
    doomed.reset();  // must return although the reader waits for this thread
    QCoreApplication::processEvents();
    EXPECT_EQ(delivered, 0);
    EXPECT_EQ(board->openHandles(), 0);
}

TEST_F(HidDeviceTest, AReaderWhoseReadFailsTakesTheConnectionDownOnTheUserInterfaceThread)
{
    // Unplugged, or listed still but failing: no rescan is needed either way.
    dev.CONNECT(1);
    board->unplug();
    ASSERT_TRUE(readersEnded());
    EXPECT_FALSE(dev.GETCONNECTED());
    EXPECT_EQ(events, std::vector<std::string>{"disconnect"});

    list.CHECKHIDDEVICES();
    dev.CONNECT(1);  // the other interface, renumbered by the rescan
    other->failReads(true);
    ASSERT_TRUE(readersEnded());
    EXPECT_FALSE(dev.GETCONNECTED());
    EXPECT_EQ(events.size(), 2u);
    other->failReads(false);
    dev.CONNECT(1);
    EXPECT_TRUE(dev.GETCONNECTED()) << "a board that hiccupped connects again";
    dev.DISCONNECT();
    ASSERT_TRUE(readersEnded());
    EXPECT_EQ(events.size(), 3u) << "a reader asked to stop takes nothing down";

    // A reader that cannot open its own handle leaves the connection without input.
    other->allowOpens(2);
    dev.CONNECT(1);  // the other interface, renumbered by the rescan
    EXPECT_TRUE(dev.GETCONNECTED());
    ASSERT_TRUE(readersEnded());
    EXPECT_TRUE(dev.SENDDATA(0, THidData{}));
}

// A board whose input stalls while its output still works, and one that is
// gone: the last report goes out where it can, and the connection closes.
TEST_F(HidDeviceTest, AFailedReadWritesTheLastReportThroughTheOpenConnectionBeforeItCloses)
{
    const THidData stop = {0x05, 0, 0, 0, 0, 0, 0, 0};
    std::vector<bool> lastSent;
    dev.OnReadFailure = [&](THidDevice* s, bool sent) {
        EXPECT_EQ(s, &dev);
        EXPECT_FALSE(dev.GETCONNECTED()) << "told after the close";
        events.push_back("read failure");
        lastSent.push_back(sent);
    };
    struct Case {
        const char* name;
        bool lastReport;
        bool unplug;
        bool sent;
    };
    const Case cases[] = {
        {"input stalled", true, false, true},
        {"input stalled, no last report asked for", false, false, false},
        {"unplugged", true, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        events.clear();
        lastSent.clear();
        dev.LastReport = nullptr;
        if (c.lastReport)
            dev.LastReport = [&] { return stop; };
        dev.CONNECT(1);
        EXPECT_TRUE(dev.SENDDATA(0, THidData{0x05, 0, 100}));
        const auto before = board->written().size();
        if (c.unplug)
            board->unplug();
        else
            board->failReads(true);
        ASSERT_TRUE(readersEnded());
        EXPECT_EQ(events, (std::vector<std::string>{"disconnect", "read failure"}));
        EXPECT_EQ(lastSent, std::vector<bool>{c.sent});
        const auto written = board->written();
        ASSERT_EQ(written.size(), before + (c.sent ? 1 : 0));
        if (c.sent) {
            EXPECT_EQ(written.back(), (Report{0, 0x05, 0, 0, 0, 0, 0, 0, 0}));
        }
        board->failReads(false);
    }
    EXPECT_TRUE(boxes.shown().empty()) << "a last report that cannot go out is no write error";
}

TEST_F(HidDeviceTest, AnInterfaceThatCanDeliverNoInputReportIsNotConnected)
{
    // A product of the board's vendor: one Input item of Report Count 0, no
    // report ids; its output is the board's.
    const std::vector<std::uint8_t> descriptor = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x75, 0x08,
                                                  0x95, 0x00, 0x09, 0x01, 0x81, 0x02, 0x95, 0x08, 0x09,
                                                  0x01, 0x91, 0x02, 0xC0};
    const auto facts = platform::parseReportDescriptor(descriptor);
    ASSERT_TRUE(facts);
    for (const std::uint16_t input : {facts->lengths.input, std::uint16_t{1}}) {
        SCOPED_TRACE(input);
        board->lengths = {input, facts->lengths.output};
        try {
            dev.CONNECT(1);
            ADD_FAILURE() << "connected";
        } catch (const EUSBException& e) {
            EXPECT_STREQ(e.what(), "Could not open device 1");
            EXPECT_EQ(e.reason(), "the device sends no input reports");
        }
        EXPECT_FALSE(dev.GETCONNECTED());
        EXPECT_EQ(board->openHandles(), 0);
    }
    board->lengths = {2, 9};  // one data byte is enough to be read
    dev.CONNECT(1);
    EXPECT_TRUE(dev.GETCONNECTED());
}

TEST_F(HidDeviceTest, ConcurrentSendsAndReadsGoWholeThroughSeparateHandles)
{
    dev.CONNECT(1);
    constexpr int kPerThread = 400;
    std::atomic<int> failures{0};
    auto sender = [&](std::uint8_t tag) {
        for (int i = 0; i < kPerThread; ++i) {
            THidData d;
            d.fill(tag);
            if (!dev.SENDDATA(0, d))
                ++failures;
        }
    };
    std::atomic<bool> sendersDone{false};
    std::thread a([&] { sender(0xA1); });
    std::thread b([&] { sender(0xB2); });
    std::thread c([&] {
        for (int i = 0; i < 200; ++i)
            board->pushInput(frame(static_cast<std::uint8_t>(i)));
    });
    sender(0xC3);  // the user-interface thread sends too
    std::thread joiner([&] {
        a.join();
        b.join();
        c.join();
        sendersDone = true;
    });
    ASSERT_TRUE(waitUntil([&] { return sendersDone.load(); }));
    joiner.join();
    EXPECT_EQ(failures, 0);
    const auto written = board->written();
    ASSERT_EQ(written.size(), std::size_t{3 * kPerThread});
    for (const Report& r : written) {
        ASSERT_EQ(r.size(), 9u);
        EXPECT_EQ(std::count(r.begin() + 1, r.end(), r[1]), 8) << "a report mixed from two sends";
    }
    EXPECT_EQ(board->concurrentHandleUse(), 0);
}

// The control loop never waits for the operator: its failed send returns
// at once, the sends after it are dropped until the connection is closed,
// and one box follows on the user-interface thread, holding no lock.
TEST_F(HidDeviceTest, AFailedSendOnAnotherThreadReturnsAtOnceAndOneBoxFollowsWhichHoldsNoLock)
{
    dev.CONNECT(1);
    board->setWriteResult(-1);
    std::thread::id boxThread;
    bool connectedWhileShown = true;
    boxes.whileShown = [&](const testing_support::FakeDialogs::Box& box) {
        boxThread = box.thread;
        connectedWhileShown = dev.GETCONNECTED();
        board->setWriteResult(RecordingHidInterface::kWhole);
        dev.CONNECT(1);  // needs the send lock: would hang if the sender held it
        EXPECT_TRUE(dev.SENDDATA(0, THidData{}));
    };
    std::atomic<bool> returned{false};
    std::thread loop([&] {
        for (int i = 0; i < 5; ++i)
            EXPECT_FALSE(dev.SENDDATA(0, THidData{}));
        returned = true;
    });
    // Nothing is handled here meanwhile: a sender that waited for its box would never return.
    ASSERT_TRUE(waitUntil([&] { return returned.load(); }, false));
    loop.join();
    EXPECT_TRUE(boxes.shown().empty());
    EXPECT_EQ(board->written().size(), 1u) << "a send after the failure reached the device";
    ASSERT_TRUE(waitUntil([] { return platform::pendingUiCalls() == 0; }));
    EXPECT_EQ(texts(), std::vector<std::string>{"Unable to write to the USB device."});
    EXPECT_EQ(boxThread, ui);
    EXPECT_FALSE(connectedWhileShown);
    EXPECT_TRUE(dev.GETCONNECTED());
}

// A write that fails for a moment: the device is told its last report once
// more a moment later, through the write handle kept open till then, or
// first thing at the next connect.
TEST_F(HidDeviceTest, AFailedOrShortWriteTriesTheLastReportOnceMoreBeforeTheHandleCloses)
{
    const Report stop = {0, 0x05, 0, 0, 0, 0, 0x21, 0, 0};
    dev.LastReport = [] { return THidData{0x05, 0, 0, 0, 0, 0x21, 0, 0}; };
    struct Case {
        const char* name;
        int failure;
        bool recovers;
        bool connectAgain;
    };
    const Case cases[] = {
        {"failed for a moment", -1, true, false},
        {"one short write", 4, true, false},
        {"still failing", -1, false, false},
        {"failed, then connected again", -1, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dev.CONNECT(1);
        const auto before = board->written().size();
        const auto closedBefore = board->lastWritesOfClosedHandles().size();
        boxes.clear();
        board->setWriteResult(c.failure);
        EXPECT_FALSE(dev.SENDDATA(0, THidData{0x05, 0, 0, 0, 100}));
        EXPECT_FALSE(dev.GETCONNECTED());
        ASSERT_EQ(boxes.shown().size(), 1u);
        EXPECT_EQ(board->written().size(), before + 1) << "tried at once, within the failure";
        if (c.recovers)
            board->setWriteResult(RecordingHidInterface::kWhole);
        if (c.connectAgain) {
            dev.CONNECT(1);
            EXPECT_TRUE(dev.SENDDATA(0, THidData{0x05, 1}));
        }
        const std::size_t expected = before + 2 + (c.connectAgain ? 1 : 0);
        ASSERT_TRUE(waitUntil([&] { return board->written().size() >= expected; }));
        ASSERT_TRUE(waitUntil([&] { return board->openHandles() == (c.connectAgain ? 2 : 0); }));
        const auto written = board->written();
        ASSERT_EQ(written.size(), expected) << "one more try, no other";
        EXPECT_EQ(written[before + 1], stop);
        const auto closed = board->lastWritesOfClosedHandles();
        if (c.recovers) {
            EXPECT_EQ(closed.back(), stop) << "the device's last word from that handle";
        } else {
            EXPECT_EQ(closed.size(), closedBefore) << "nothing went out whole";
        }
        if (c.connectAgain) {
            EXPECT_EQ(written.back(), (Report{0, 0x05, 1, 0, 0, 0, 0, 0, 0})) << "the new connection's after it";
        }
        EXPECT_EQ(boxes.shown().size(), 1u) << "the last report's failure shows no box";
        board->setWriteResult(RecordingHidInterface::kWhole);
        dev.DISCONNECT();
    }
}

// What one connection left queued for the user-interface thread: a failed
// write of another thread's, a report its reader was handing over.
TEST_F(HidDeviceTest, WhatAnEndedConnectionLeftQueuedDoesNotActOnTheNextOne)
{
    dev.CONNECT(1);
    board->setWriteResult(-1);
    std::thread loop([&] { EXPECT_FALSE(dev.SENDDATA(0, THidData{})); });
    ASSERT_TRUE(waitUntil([] { return platform::pendingUiCalls() == 1; }, false));
    board->pushInput(frame(1));
    ASSERT_TRUE(waitUntil([] { return platform::pendingUiCalls() == 2; }, false));
    // The operator's rescan, before the thread's failure is seen.
    board->setWriteResult(RecordingHidInterface::kWhole);
    dev.CONNECT(1);
    events.clear();
    ASSERT_TRUE(waitUntil([&] { return !boxes.shown().empty(); }));
    loop.join();
    EXPECT_EQ(texts(), std::vector<std::string>{"Unable to write to the USB device."});
    EXPECT_TRUE(dev.GETCONNECTED()) << "the failure of the connection before takes this one down";
    EXPECT_TRUE(events.empty());

    board->pushInput(frame(2));
    ASSERT_TRUE(waitUntil([&] { return !received.empty(); }));
    ASSERT_TRUE(waitUntil([] { return platform::pendingUiCalls() == 0; }));
    ASSERT_EQ(received.size(), 1u) << "the ended connection's report reached the new one";
    EXPECT_EQ(received[0].data[1], 2);
}

TEST(HidDeviceOnSimulatedBoard, RequestAndReplyTravelThroughTheRealConnection)
{
    FakeHidBackend fake;
    testing_support::FakeDialogs boxes;
    testing_support::SimBoard board;
    board.motorPower = 0x1234;
    fake.add<testing_support::SimBoardInterface>(board);
    THidDevices list;
    list.CHECKHIDDEVICES();
    THidDevice dev;
    dev.SETHIDDEVICES(&list);
    std::vector<THidData> replies;
    dev.OnHidData = [&](THidDevice*, std::uint8_t, THidData d, std::size_t) { replies.push_back(d); };
    dev.CONNECT(1);

    EXPECT_TRUE(dev.SENDDATA(0, THidData{0xF0, 0, 0, 0, 0, 0, 0, 0xF4}));  // power request
    ASSERT_TRUE(waitUntil([&] { return !replies.empty(); }));
    EXPECT_EQ(replies[0][7], 0xF4);
    EXPECT_EQ(replies[0][5], 0x12);
    EXPECT_EQ(replies[0][6], 0x34);

    board.failWrites = 3;
    EXPECT_FALSE(dev.SENDDATA(0, THidData{0xF0, 0, 0, 0, 0, 0, 0, 0x55}));
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].text, "Unable to write all bytes to the USB device.");
}

TEST_F(HidDeviceTest, ClosingWhileTheUsbErrorBoxIsOpenReleasesTheSenderWhoseBoxItIs)
{
    dev.CONNECT(1);
    board->setWriteResult(-1);
    platform::UiBridge program;  // the one the program shuts down when it closes
    std::atomic<bool> returned{false};
    bool releasedWhileOpen = false;
    boxes.whileShown = [&](const testing_support::FakeDialogs::Box&) {
        program.shutdown();
        releasedWhileOpen = waitUntil([&] { return returned.load(); });
    };
    std::thread loop([&] {
        EXPECT_FALSE(dev.SENDDATA(0, THidData{}));
        returned = true;
    });
    ASSERT_TRUE(waitUntil([&] { return !boxes.shown().empty(); }));
    loop.join();
    EXPECT_TRUE(releasedWhileOpen) << "the sender waited for a box nobody would close";
    EXPECT_FALSE(dev.GETCONNECTED());
}

TEST_F(HidDeviceTest, AtShutdownAFailedSendFromAnotherThreadDoesNotHang)
{
    dev.CONNECT(1);
    board->setWriteResult(-1);
    {
        platform::UiBridge closing;
        closing.shutdown();
        std::thread loop([&] { EXPECT_FALSE(dev.SENDDATA(0, THidData{})); });
        loop.join();
    }
    EXPECT_TRUE(boxes.shown().empty());
}

// Reads that come back empty at once, without waiting for their time-out,
// as hidraw's do for reports that carry no data.
class EmptyAtOnceBackend final : public platform::HidBackend {
public:
    EmptyAtOnceBackend() { platform::setHidBackend(this); }
    ~EmptyAtOnceBackend() override { platform::setHidBackend(nullptr); }

    std::optional<std::vector<platform::HidInterfaceInfo>> enumerate() override
    {
        return std::vector<platform::HidInterfaceInfo>{{"/dev/hidraw0", 0x04D8, 0x0001, "Tarnel2", "0001"}};
    }
    std::unique_ptr<platform::HidHandle> open(const std::string&, std::string*) override
    {
        return std::make_unique<Handle>(reads);
    }
    std::unique_ptr<platform::DeviceChangeWatch> watchChanges(std::function<void()>) override { return nullptr; }

    std::atomic<int> reads{0};

private:
    class Handle final : public platform::HidHandle {
    public:
        explicit Handle(std::atomic<int>& reads) : reads_(reads) {}
        std::optional<platform::HidReportLengths> reportLengths() override { return platform::HidReportLengths{9, 9}; }
        int read(std::span<std::uint8_t>, int) override
        {
            reads_.fetch_add(1);
            return 0;
        }
        int write(std::span<const std::uint8_t> r) override { return static_cast<int>(r.size()); }

    private:
        std::atomic<int>& reads_;
    };
};

std::atomic<int> g_idleWaits{0};
std::atomic<std::int64_t> g_longestIdleNs{0};

void recordIdleWait(THidThread&, std::chrono::nanoseconds left)
{
    g_idleWaits.fetch_add(1);
    if (left.count() > g_longestIdleNs.load())
        g_longestIdleNs.store(left.count());
}

TEST(HidReader, AReadThatComesBackEmptyAtOnceWaitsOutItsTimeOut)
{
    EmptyAtOnceBackend backend;
    THidDevices list;
    list.CHECKHIDDEVICES();
    THidDevice dev;
    dev.SETHIDDEVICES(&list);
    THidThread::SET_IDLE_WAIT(&recordIdleWait);
    dev.CONNECT(1);
    ASSERT_TRUE(waitUntil([&] { return backend.reads.load() >= 20; }));
    dev.DISCONNECT();
    ASSERT_TRUE(waitUntil([&] { return dev.readerCount() == 0; }));
    THidThread::SET_IDLE_WAIT(nullptr);
    // Each but one the stop may have met waited out (nearly) a whole time-out.
    EXPECT_GE(g_idleWaits.load(), backend.reads.load() - 1);
    EXPECT_GT(std::chrono::nanoseconds(g_longestIdleNs.load()),
              std::chrono::milliseconds(THidThread::READ_TIMEOUT_MS) * 4 / 5);

    // The real wait is one a stop request ends at once, however long it is.
    THidThread idle(nullptr, 9, {}, nullptr, {});
    std::thread waiter([&] { idle.waitForStop(std::chrono::hours(1)); });
    idle.GOAWAY();
    waiter.join();
}

}  // namespace
