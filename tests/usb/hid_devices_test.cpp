#include "usb/HidDevices.h"

#include "tests/support/fake_dialogs.h"
#include "tests/support/fake_hid.h"

#include <gtest/gtest.h>

#include <functional>

using testing_support::FakeHidBackend;
using testing_support::RecordingHidInterface;

namespace {

class HidDevicesTest : public ::testing::Test {
protected:
    FakeHidBackend fake;
    testing_support::FakeDialogs boxes;
    THidDevices list;
};

// The message an EUSBException carries, or "" when none is raised.
std::string raised(const std::function<void()>& f)
{
    try {
        f();
    } catch (const EUSBException& e) {
        return e.what();
    }
    return {};
}

TEST_F(HidDevicesTest, NumbersEveryInterfaceInEnumerationOrderAndAnswersQueries)
{
    auto board = fake.add("/dev/hidraw0", 0x04D8, 0x00F3);
    board->product = "Tarnel2 \xC3\xA9";  // UTF-8 passes unchanged
    board->serial = "2.1";
    auto mouse = fake.add("/dev/hidraw1", 0x046D, 0xC52B);
    mouse->product = "Mouse";
    auto locked = fake.add("/dev/hidraw2");
    locked->openFails = true;
    auto mute = fake.add("/dev/hidraw3", 0x1234, 0x5678);

    EXPECT_EQ(list.GETNUMBEROFHIDDEVICES(), 0);  // nothing before the first scan
    list.CHECKHIDDEVICES();
    ASSERT_EQ(list.GETNUMBEROFHIDDEVICES(), 4);
    EXPECT_EQ(list.GETDEVICEPATH(1), "/dev/hidraw0");
    EXPECT_EQ(list.GETDEVICEPATH(4), "/dev/hidraw3");

    EXPECT_EQ(list.GETVENDORID(1), 0x04D8);
    EXPECT_EQ(list.GETPRODUCTID(1), 0x00F3);
    EXPECT_EQ(list.GETPRODUCTSTRING(1), "Tarnel2 \xC3\xA9");
    EXPECT_EQ(list.GETSERIALNUMBERSTRING(1), "2.1");
    EXPECT_EQ(list.GETVENDORID(2), 0x046D);  // every vendor is listed
    EXPECT_EQ(list.GETPRODUCTSTRING(2), "Mouse");

    // The enumeration tells without opening: an interface the user may not
    // open is listed as it is.
    EXPECT_EQ(list.GETVENDORID(3), 0x04D8);
    EXPECT_EQ(list.GETPRODUCTID(3), 0x0001);
    EXPECT_EQ(list.GETPRODUCTSTRING(3), "Tarnel2");
    EXPECT_EQ(list.GETSERIALNUMBERSTRING(3), "0001");
    EXPECT_EQ(list.GETVENDORID(4), 0x1234);
    EXPECT_EQ(list.GETPRODUCTID(4), 0x5678);
    EXPECT_EQ(board->openHandles() + locked->openHandles() + mute->openHandles(), 0);
}

TEST_F(HidDevicesTest, NumberZeroNamesNoneAndNumbersAboveTheCountAreNotAvailable)
{
    fake.add("/dev/hidraw0");
    fake.add("/dev/hidraw1");
    list.CHECKHIDDEVICES();

    EXPECT_EQ(list.GETDEVICEPATH(0), "");
    EXPECT_EQ(list.GETVENDORID(0), 0);
    EXPECT_EQ(list.GETPRODUCTID(0), 0);
    EXPECT_EQ(list.GETPRODUCTSTRING(0), "");
    EXPECT_EQ(raised([&] { list.GETSERIALNUMBERSTRING(0); }), "Could not open device 0");

    EXPECT_EQ(list.GETDEVICEPATH(3), "");
    const std::function<void()> queries[] = {
        [&] { list.GETVENDORID(3); },
        [&] { list.GETPRODUCTID(3); },
        [&] { list.GETPRODUCTSTRING(3); },
        [&] { list.GETSERIALNUMBERSTRING(3); },
    };
    for (const auto& q : queries)
        EXPECT_EQ(raised(q), "Device 3 is not available.");
    EXPECT_EQ(raised([&] { list.GETVENDORID(65535); }), "Device 65535 is not available.");
}

TEST_F(HidDevicesTest, AFailedEnumerationLeavesNoInterfaceAndDropsTheConnection)
{
    fake.add("/dev/hidraw0");
    auto broken = fake.add("/dev/hidraw1");
    fake.add("/dev/hidraw2");
    list.CHECKHIDDEVICES();
    THidDevice dev;
    dev.SETHIDDEVICES(&list);
    dev.CONNECT(1);
    ASSERT_TRUE(dev.GETCONNECTED());

    broken->detailFails = true;
    list.CHECKHIDDEVICES();
    EXPECT_EQ(list.GETNUMBEROFHIDDEVICES(), 0);  // not the one read before the failure
    EXPECT_EQ(list.GETDEVICEPATH(1), "");
    EXPECT_FALSE(dev.GETCONNECTED());
}

TEST_F(HidDevicesTest, KeepsAtMostItsTableOfPaths)
{
    for (int i = 0; i < 130; ++i)
        fake.add("/dev/hidraw" + std::to_string(i));
    list.CHECKHIDDEVICES();
    EXPECT_EQ(list.GETNUMBEROFHIDDEVICES(), THidDevices::MAX_DEVICES);
    EXPECT_EQ(list.GETDEVICEPATH(127), "/dev/hidraw126");
    EXPECT_EQ(raised([&] { list.GETVENDORID(128); }), "Device 128 is not available.");
}

TEST_F(HidDevicesTest, ChangeReportRescansTenTimesAndFiresOnlyWhenThePathsChanged)
{
    int fired = 0;
    list.OnDeviceChange = [&](THidDevices* sender) {
        EXPECT_EQ(sender, &list);
        ++fired;
    };
    auto a = fake.add("/dev/hidraw0");
    list.CHECKHIDDEVICES();
    THidDevice dev;
    dev.SETHIDDEVICES(&list);
    dev.CONNECT(1);

    const int before = fake.enumerations();
    fake.fireChange();  // nothing changed
    EXPECT_EQ(fake.enumerations() - before, 10);
    EXPECT_EQ(fired, 0);

    auto one = fake.add("/dev/hidraw1");
    fake.fireChange();
    EXPECT_EQ(fired, 1);
    fake.fireChange();  // the same report seen a second time finds nothing new
    EXPECT_EQ(fired, 1);

    // One leaves, another comes: the count stays, but the paths changed (a
    // board back under another node name); the connection to the one that
    // left is dropped.
    a->unplug();
    fake.add("/dev/hidraw2");
    fake.fireChange();
    EXPECT_EQ(fired, 2);
    EXPECT_FALSE(dev.GETCONNECTED());

    // The same paths in another order are the same interfaces.
    fake.moveToEnd(one);
    fake.fireChange();
    EXPECT_EQ(fired, 2);

    list.OnDeviceChange = nullptr;  // rescans go on without an event
    fake.add("/dev/hidraw3");
    EXPECT_FALSE(list.CHECKDEVICECHANGE());
    EXPECT_EQ(list.GETNUMBEROFHIDDEVICES(), 3);
}

TEST_F(HidDevicesTest, ADeviceSettlingAfterTheReportCountsWhenPresentByTheTenthRescan)
{
    int fired = 0;
    list.OnDeviceChange = [&](THidDevices*) { ++fired; };
    auto late = fake.add("/dev/hidraw0");
    late->hiddenEnumerations = 9;
    fake.fireChange();
    EXPECT_EQ(fired, 1);

    auto later = fake.add("/dev/hidraw1");
    later->hiddenEnumerations = 10;
    fake.fireChange();
    EXPECT_EQ(fired, 1);
    EXPECT_EQ(list.GETNUMBEROFHIDDEVICES(), 1);
}

// No udev daemon, a 1 s poll: the board is unplugged and back as the same
// node name before the next look, or both reports come in one burst.
TEST_F(HidDevicesTest, ABoardBackUnderItsOldNodeNameIsAChangeAndItsOldConnectionEnds)
{
    int fired = 0;
    list.OnDeviceChange = [&](THidDevices*) { ++fired; };
    auto board = fake.add("/dev/hidraw0");
    list.CHECKHIDDEVICES();
    THidDevice dev;
    dev.SETHIDDEVICES(&list);
    dev.CONNECT(1);

    board->unplug();
    board->replug();
    fake.fireChange();
    EXPECT_EQ(fired, 1);
    EXPECT_FALSE(dev.GETCONNECTED()) << "its node is gone, whatever the new one is called";
    fake.fireChange();
    EXPECT_EQ(fired, 1) << "the new node seen a second time is no news";

    // A board whose reads fail while it stays plugged in keeps its node:
    // nothing to connect again.
    dev.CONNECT(1);
    board->failReads(true);
    fake.fireChange();
    EXPECT_EQ(fired, 1);
    EXPECT_TRUE(dev.GETCONNECTED()) << "no rescan takes it down while its node stays";
    board->failReads(false);
}

TEST_F(HidDevicesTest, HooksFollowTheConnectionsAndOutliveNeither)
{
    fake.add("/dev/hidraw0");
    THidDevice dev;
    {
        THidDevices other;
        dev.SETHIDDEVICES(&list);
        EXPECT_EQ(dev.HidDevices(), &list);
        dev.SETHIDDEVICES(&other);  // moves, leaving the first list
        EXPECT_EQ(dev.HidDevices(), &other);
        other.CHECKHIDDEVICES();
        dev.CONNECT(1);
        list.CHECKHIDDEVICES();  // list holds no hook of it any more: nothing changes
        EXPECT_TRUE(dev.GETCONNECTED());
    }
    // The list went first: the connection stays up, unhooked.
    EXPECT_EQ(dev.HidDevices(), nullptr);
    EXPECT_TRUE(dev.GETCONNECTED());
    {
        auto gone = std::make_unique<THidDevice>();
        gone->SETHIDDEVICES(&list);
    }
    list.CHECKHIDDEVICES();  // the destroyed connection left the hook list
}

}  // namespace
