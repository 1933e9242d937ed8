// The device window against the fake HID backend and the simulated board,
// through the real connection and reader thread.

#include "board/control.h"
#include "board/dev_int.h"
#include "board/frames.h"
#include "board/hand_keys.h"
#include "core/params.h"
#include "core/system_init.h"
#include "tests/support/allocations.h"
#include "tests/support/bus_recorder.h"
#include "tests/support/fake_dialogs.h"
#include "tests/support/fake_hid.h"
#include "platform/end_signals.h"
#include "tests/support/sim_board_interface.h"
#include "tests/support/test_clock.h"
#include "tests/support/wait.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include <csignal>
#include <list>
#include <memory>

namespace {

using testing_support::BusRecorder;
using testing_support::SimBoard;
using testing_support::SimBoardInterface;
using testing_support::waitUntil;

class DeviceWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        CLEAR_HANDLES();
        PARAM_CLEAR();
        system_init::INIT_PARAM();
        HAL::RESET_BOARD_VALUES();
        HAL::DUMMY_SELECT = false;
        CONTROL::POWER_ON = false;
        main.listenAs("Main_view");
        control.listenAs("Control");
    }
    void TearDown() override
    {
        window.reset();
        CLEAR_HANDLES();
    }

    SimBoard& newBoard() { return boards.emplace_back(); }
    std::shared_ptr<SimBoardInterface> addBoard(SimBoard& b, const std::string& path, std::uint16_t pid = 0x0001)
    {
        auto i = fake.add<SimBoardInterface>(b, path);
        i->productId = pid;
        return i;
    }
    void open()
    {
        window = std::make_unique<Tdev_int>();
        QCoreApplication::processEvents();
    }
    std::vector<std::int64_t> demo()
    {
        QCoreApplication::processEvents();
        return main.params(WM_DEMO_MESSAGE);
    }
    std::vector<std::string> entries() const
    {
        std::vector<std::string> out;
        for (int i = 0; i < window->ComboBox1->count(); ++i)
            out.push_back(window->ComboBox1->itemText(i).toStdString());
        return out;
    }
    std::vector<std::int32_t> buttonMasks()
    {
        QCoreApplication::processEvents();
        std::vector<std::int32_t> out;
        for (const auto& m : control.received)
            if (m.number == WM_BUTTON_MESSAGE)
                out.push_back(m.hw->BUTTONS);
        return out;
    }
    // One tick after the reader handed the board's next encoder frame over.
    void tickAfterFrame(SimBoard& b)
    {
        b.step();
        ASSERT_TRUE(waitUntil([&] { return HAL::POS_RECEIVED.load() && HAL::DIG_IN_R == b.handBits.load(); }));
        window->Timer1Timer();
        QCoreApplication::processEvents();
    }

    // Before the backend: its interfaces refer to them until it is gone.
    std::list<SimBoard> boards;
    testing_support::FakeHidBackend fake;
    testing_support::FakeDialogs boxes;
    BusRecorder main, control;
    std::unique_ptr<Tdev_int> window;
};

TEST_F(DeviceWindow, NoBoardSelectsTheDummyDevice)
{
    fake.add("/dev/hidraw0", 0x1234, 0x5678);  // another vendor's device
    open();
    EXPECT_EQ(entries(), std::vector<std::string>{"dummy usb device 1"});
    EXPECT_TRUE(HAL::DUMMY_SELECT);
    EXPECT_FALSE(window->HidDevice1->GETCONNECTED());
    EXPECT_EQ(demo(), std::vector<std::int64_t>{1});
    EXPECT_EQ(window->B_Connect->text(), "Disconnect");
    window->Timer1Timer();
    EXPECT_FALSE(window->isVisible());
}

// Counts the repaints a window asks for.
struct UpdateCounter final : QObject {
    int updates = 0;
    bool eventFilter(QObject*, QEvent* e) override
    {
        updates += e->type() == QEvent::UpdateRequest || e->type() == QEvent::Paint;
        return false;
    }
};

TEST_F(DeviceWindow, TheTickRedrawsOnlyWhatChangedAndAHiddenWindowNotAtAll)
{
    open();  // no board: the dummy device, and the window hides
    HAL::MOVE(-250, 7);
    window->Timer1Timer();
    EXPECT_NE(window->E_An1_R->text(), "-250") << "a hidden window's fields wait";
    window->show();
    EXPECT_EQ(window->E_An1_R->text(), "-250") << "and are up to date once it shows";
    EXPECT_EQ(window->E_An1_D->text(), "   7");

    QCoreApplication::processEvents();
    UpdateCounter counter;
    window->installEventFilter(&counter);
    for (int i = 0; i < 5; ++i) {
        window->Timer1Timer();
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(counter.updates, 0) << "nothing changed, nothing redrawn";
    HAL::MOVE(30, 7);
    window->Timer1Timer();
    QCoreApplication::processEvents();
    EXPECT_EQ(window->E_An1_R->text(), "  30");
    EXPECT_GT(counter.updates, 0);
}

// The tick runs a hundred times a second all the time, the window mostly hidden.
TEST_F(DeviceWindow, AHiddenTickWhereNothingChangedAllocatesNothing)
{
    if (!testing_support::allocationsCounted())
        GTEST_SKIP() << "a sanitizer owns the allocator";
    SimBoard& board = newBoard();
    auto plugged = addBoard(board, "/dev/hidraw0");
    for (const char* state : {"the dummy device", "a board connected"}) {
        SCOPED_TRACE(state);
        if (std::string(state) == "the dummy device") {
            fake.remove(plugged);
            open();
            ASSERT_TRUE(HAL::DUMMY_SELECT);
        } else {
            plugged = addBoard(board, "/dev/hidraw0");
            open();
            ASSERT_TRUE(window->HidDevice1->GETCONNECTED());
        }
        window->Timer1Timer();
        window->hide();
        QCoreApplication::processEvents();
        long made = 0;
        {
            const testing_support::AllocationCount count;
            for (int i = 0; i < 50; ++i)
                window->Timer1Timer();
            made = count.made();
        }
        EXPECT_EQ(made, 0);
    }
}

TEST_F(DeviceWindow, OneBoardIsListedConnectedAndTheWindowHides)
{
    SimBoard& board = newBoard();
    addBoard(board, "/dev/hidraw3", 0x00AF);
    open();
    EXPECT_EQ(entries(), (std::vector<std::string>{"Tarnel2 ver.0001 VID 04D8:00AF", "dummy usb device 1"}));
    EXPECT_TRUE(window->HidDevice1->GETCONNECTED());
    EXPECT_FALSE(HAL::DUMMY_SELECT);
    EXPECT_EQ(demo(), std::vector<std::int64_t>{0});
    EXPECT_FALSE(window->isVisible());

    // Frames travel both ways through the connection.
    HAL::SEND_POWER_REQUEST();
    ASSERT_TRUE(waitUntil([] { return HAL::HW_CONFIG_RECEIVED == 0xF4u; }));
    EXPECT_EQ(HAL::HW_MOTOR_POWER, 12000);
}

TEST_F(DeviceWindow, OfTwoBoardsTheLastIsConnectedAndAHandChoiceIsHonoured)
{
    SimBoard& first = newBoard();
    SimBoard& second = newBoard();
    addBoard(first, "/dev/hidraw1", 0x0001);
    addBoard(second, "/dev/hidraw2", 0x0002);
    open();
    EXPECT_EQ(window->HidDevice1->GETDEVICEPATH(), "/dev/hidraw2");

    window->B_ConnectClick();  // disconnect
    window->ComboBox1->setCurrentIndex(0);
    window->B_ConnectClick();
    EXPECT_EQ(window->HidDevice1->GETDEVICEPATH(), "/dev/hidraw1") << "the entry the operator chose";
    EXPECT_EQ(demo(), (std::vector<std::int64_t>{0, 1, 0}));
}

TEST_F(DeviceWindow, AFailedConnectIsShownAndDoesNotClaimABoard)
{
    SimBoard& board = newBoard();
    addBoard(board, "/dev/hidraw0")->lengthsFail = true;
    open();
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].text, "Could not open device 1\nthe report lengths cannot be read");
    EXPECT_EQ(demo(), (std::vector<std::int64_t>{0, 1}));
    EXPECT_FALSE(window->HidDevice1->GETCONNECTED());
    EXPECT_EQ(window->B_Connect->text(), "Connect");
    window->Timer1Timer();
    EXPECT_TRUE(window->isVisible()) << "shown, so the operator can try again";
}

TEST_F(DeviceWindow, ABoardTheOperatorMayNotOpenIsListedAndItsConnectSaysWhy)
{
    SimBoard& board = newBoard();
    addBoard(board, "/dev/hidraw0")->openFails = true;
    open();
    EXPECT_EQ(entries(), (std::vector<std::string>{"Tarnel2 ver.0001 VID 04D8:0001", "dummy usb device 1"}));
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].text, "Could not open device 1\nPermission denied");
    EXPECT_EQ(demo(), (std::vector<std::int64_t>{0, 1}));

    window->B_ConnectClick();  // the operator tries again
    ASSERT_EQ(boxes.shown().size(), 2u);
    EXPECT_EQ(boxes.shown()[1].text, "Could not open device 1\nPermission denied");
    EXPECT_EQ(demo().back(), 1);
    EXPECT_FALSE(window->HidDevice1->GETCONNECTED());
}

TEST_F(DeviceWindow, UnplugAndReplug)
{
    SimBoard& board = newBoard();
    auto node = addBoard(board, "/dev/hidraw0");
    open();
    ASSERT_TRUE(window->HidDevice1->GETCONNECTED());
    CONTROL::POWER_ON = true;

    node->unplug();
    fake.remove(node);
    fake.fireChange();
    QCoreApplication::processEvents();
    EXPECT_FALSE(window->HidDevice1->GETCONNECTED());
    EXPECT_FALSE(CONTROL::POWER_ON) << "no power lamp without a board";
    // Once for the lost connection, once for the change that found no board.
    EXPECT_EQ(demo(), (std::vector<std::int64_t>{0, 1, 1}));
    window->Timer1Timer();
    EXPECT_TRUE(window->isVisible());

    // The next change finds no board either: the dummy device is selected.
    fake.fireChange();
    QCoreApplication::processEvents();
    SimBoard& again = newBoard();
    addBoard(again, "/dev/hidraw5");
    fake.fireChange();
    QCoreApplication::processEvents();
    EXPECT_TRUE(window->HidDevice1->GETCONNECTED());
    EXPECT_EQ(window->HidDevice1->GETDEVICEPATH(), "/dev/hidraw5");
    EXPECT_FALSE(HAL::DUMMY_SELECT);
    EXPECT_EQ(demo().back(), 0);
    EXPECT_FALSE(window->isVisible());
}

TEST_F(DeviceWindow, ABoardBackUnderAnotherNodeNameBetweenTwoReportsIsConnectedAgain)
{
    SimBoard& board = newBoard();
    auto node = addBoard(board, "/dev/hidraw0");
    open();
    ASSERT_TRUE(window->HidDevice1->GETCONNECTED());

    node->unplug();  // its reader's failure takes the connection down first
    ASSERT_TRUE(waitUntil([&] { return !window->HidDevice1->GETCONNECTED(); }));
    fake.remove(node);
    SimBoard& again = newBoard();
    addBoard(again, "/dev/hidraw1");
    fake.fireChange();  // one report for both: as many interfaces as before
    QCoreApplication::processEvents();
    EXPECT_TRUE(window->HidDevice1->GETCONNECTED());
    EXPECT_EQ(window->HidDevice1->GETDEVICEPATH(), "/dev/hidraw1");
    EXPECT_EQ(demo().back(), 0);
    EXPECT_TRUE(boxes.shown().empty()) << "a board that is gone was told nothing";
}

TEST_F(DeviceWindow, HandControllerBitsBecomeButtonMessages)
{
    SimBoard& board = newBoard();
    addBoard(board, "/dev/hidraw0");
    open();
    window->Timer1Timer();
    QCoreApplication::processEvents();
    EXPECT_EQ(control.params(WM_POWER_MESSAGE), std::vector<std::int64_t>{1});

    for (int bits : {0x02, 0x02, 0x03, 0x00, 0xF0, 0x0C}) {
        board.handBits = static_cast<std::uint8_t>(bits);
        tickAfterFrame(board);
    }
    EXPECT_EQ(buttonMasks(), (std::vector<std::int32_t>{BUP, BUP | BLEFT, 0, BDOWN | BRIGHT}));
    EXPECT_EQ(control.params(WM_POWER_MESSAGE).size(), 1u) << "posted at the first tick only";
    for (const auto& m : control.received) {
        if (m.number == WM_BUTTON_MESSAGE) {
            EXPECT_EQ(m.hw->SPEED, 1);
        }
    }
    window->show();  // the operator opens the window from the menu
    EXPECT_TRUE(window->Down_button->isChecked());
    EXPECT_EQ(window->E_Pos_R->text(), "0");

    // A key held when the board goes away is released.
    window->B_ConnectClick();
    window->Timer1Timer();
    QCoreApplication::processEvents();
    EXPECT_EQ(buttonMasks().back(), 0);
}

TEST_F(DeviceWindow, AFailedReadReleasesAHeldKeyAndTheRescanConnectsAgain)
{
    SimBoard& board = newBoard();
    auto node = addBoard(board, "/dev/hidraw0");
    open();
    board.handBits = 0x02;
    tickAfterFrame(board);
    ASSERT_EQ(buttonMasks().back(), BUP);

    // The board stays listed, so no device change tells of it.
    node->failReads(true);
    ASSERT_TRUE(waitUntil([&] {
        QCoreApplication::processEvents();
        return !window->HidDevice1->GETCONNECTED();
    }));
    EXPECT_EQ(demo().back(), 1) << "the status line no longer claims a board";
    window->Timer1Timer();
    EXPECT_EQ(buttonMasks().back(), 0) << "the key held at the failure is released";
    EXPECT_TRUE(window->isVisible());

    node->failReads(false);
    window->HidDevices1DeviceChange();  // the window's rescan
    EXPECT_TRUE(window->HidDevice1->GETCONNECTED());
    EXPECT_EQ(demo().back(), 0);
}

// The board's reports on the test's clock: seconds of silence pass at once.
class QuietBoard : public DeviceWindow {
protected:
    void SetUp() override
    {
        DeviceWindow::SetUp();
        node = addBoard(board, "/dev/hidraw0");
        open();
    }
    // The reader reads the clock: it goes first.
    void TearDown() override { DeviceWindow::TearDown(); }

    // One encoder frame, told apart from the one before by its count, read
    // at the clock's time and decoded; then one tick of the window.
    void frame()
    {
        board.setCounts(++tag, 0);
        board.step();
        ASSERT_TRUE(waitUntil([&] { return HAL::TEL_POS.load().RA == tag; }));
        tick();
    }
    void tick()
    {
        window->Timer1Timer();
        QCoreApplication::processEvents();
    }
    std::vector<std::int64_t> status()
    {
        QCoreApplication::processEvents();
        return main.params(WM_STATUS_MESSAGE);
    }

    testing_support::TestClock clock;
    SimBoard board;
    std::shared_ptr<SimBoardInterface> node;
    std::int32_t tag = 0;
};

TEST_F(QuietBoard, ASecondWithoutReportsLetsTheKeysGoAndTheNextEncoderFrameTellsThemAgain)
{
    board.handBits = 0x02;
    frame();
    ASSERT_EQ(buttonMasks().back(), BUP);

    // Twice a second, or at any pace up to a second, is reporting.
    for (const int gapMs : {500, 500, 999, 1, 998}) {
        clock.advance(gapMs);
        frame();
    }
    clock.advance(999);
    tick();
    EXPECT_EQ(buttonMasks(), std::vector<std::int32_t>{BUP});
    EXPECT_TRUE(status().empty());
    EXPECT_FALSE(HAL::HAND_KEYS.released(clock.monotonic()));

    clock.advance(1);
    tick();
    EXPECT_EQ(buttonMasks().back(), 0) << "a second of silence releases the key";
    EXPECT_EQ(status(), std::vector<std::int64_t>{STATUS_BOARD_QUIET});
    EXPECT_TRUE(window->HidDevice1->GETCONNECTED()) << "its writes may still work: the connection stays";
    EXPECT_TRUE(HAL::HAND_KEYS.released(clock.monotonic()));
    EXPECT_TRUE(boxes.shown().empty());
    clock.advance(5000);
    tick();
    EXPECT_EQ(status().size(), 1u) << "said once";

    // A reply is no encoder frame: the keys stay let go.
    board.sendReport({0, 0xF0, 0, 0, 0, 0, 0, 0, 0x55});
    ASSERT_TRUE(waitUntil([&] { return !HAL::HAND_KEYS.quiet(clock.monotonic()); }));
    tick();
    EXPECT_EQ(buttonMasks().back(), 0);
    EXPECT_TRUE(HAL::HAND_KEYS.released(clock.monotonic()));

    frame();
    EXPECT_EQ(buttonMasks().back(), BUP) << "the key still held counts again";
    EXPECT_EQ(status(), (std::vector<std::int64_t>{STATUS_BOARD_QUIET, STATUS_BOARD_REPORTING}));
    EXPECT_FALSE(HAL::HAND_KEYS.released(clock.monotonic()));
}

TEST_F(QuietBoard, ABoardSilentFromItsConnectIsTold)
{
    clock.advance(1000);
    tick();
    EXPECT_EQ(status(), std::vector<std::int64_t>{STATUS_BOARD_QUIET});
    EXPECT_TRUE(buttonMasks().empty()) << "no key had been told";
    frame();
    EXPECT_EQ(status(), (std::vector<std::int64_t>{STATUS_BOARD_QUIET, STATUS_BOARD_REPORTING}));
}

// What the board kept while the process stood still comes first after the
// continue and tells of keys held when it stopped.
void noStop(int) {}

TEST_F(QuietBoard, AKeyHeldWhenTheProcessStoppedCountsAsReleasedUntilLetGo)
{
    platform::catchEndSignals();
    platform::setStopAction(&noStop);
    board.handBits = 0x02;
    frame();
    ASSERT_EQ(buttonMasks().back(), BUP);

    platform::stopProcess(SIGTSTP);
    tick();
    EXPECT_EQ(buttonMasks().back(), 0);
    frame();
    frame();
    EXPECT_EQ(buttonMasks(), (std::vector<std::int32_t>{BUP, 0})) << "the key reported held does not press";

    board.handBits = 0x00;
    frame();
    board.handBits = 0x02;
    frame();
    EXPECT_EQ(buttonMasks(), (std::vector<std::int32_t>{BUP, 0, BUP})) << "pressed again, it counts";
    platform::setStopAction(nullptr);
}

}  // namespace
