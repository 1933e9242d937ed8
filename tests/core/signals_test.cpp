#include "core/Signals.h"

#include <QCoreApplication>
#include <QThread>
#include <QWidget>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <limits>
#include <thread>
#include <vector>

namespace {

// What a handler saw, read when it ran.
struct Seen {
    std::uint32_t message = 0;
    std::int64_t param = 0;
    bool hasPoint = false;
    std::string pointName;
    std::int32_t buttons = -1;
    bool onGuiThread = false;
};

class Recorder : public SignalReceiver<QObject> {
public:
    std::vector<Seen> seen;

protected:
    void onSignal(const SignalEvent& e) override
    {
        Seen s;
        s.message = e.message();
        s.param = e.param();
        if (e.point()) {
            s.hasPoint = true;
            s.pointName = e.point()->NAME;
        }
        if (e.hw())
            s.buttons = e.hw()->BUTTONS;
        s.onGuiThread = QThread::currentThread() == QCoreApplication::instance()->thread();
        seen.push_back(s);
    }
};

// A window as the program declares one.
class TestWindow : public SignalReceiver<QWidget> {
    Q_OBJECT
public:
    std::vector<std::int64_t> params;

protected:
    void onSignal(const SignalEvent& e) override { params.push_back(e.param()); }
};

class Bus : public ::testing::Test {
protected:
    void SetUp() override { CLEAR_HANDLES(); }
    void TearDown() override
    {
        QCoreApplication::processEvents();
        CLEAR_HANDLES();
    }
    static void deliver() { QCoreApplication::processEvents(); }
};

TEST_F(Bus, NamesMatchWithoutLetterCaseAndTheLaterRegistrationWins)
{
    EXPECT_EQ(HANDLE("Control"), nullptr);  // empty registry

    TestWindow main;
    Recorder first, second;
    ADD_HANDLE("Main_view", &main);
    ADD_HANDLE("Control", &first);
    ADD_HANDLE("CONTROL", &second);
    EXPECT_EQ(HANDLE("main_VIEW"), &main);

    SIGNAL("Main_View", WM_CAL_MESSAGE, 4);
    SIGNAL("control", WM_STOP_MESSAGE, 0);
    deliver();

    EXPECT_EQ(main.params, std::vector<std::int64_t>{4});
    EXPECT_TRUE(first.seen.empty());
    ASSERT_EQ(second.seen.size(), 1u);
    EXPECT_EQ(second.seen[0].message, WM_STOP_MESSAGE);
}

TEST_F(Bus, OnlyTheLettersAToZAreFolded)
{
    Recorder r;
    ADD_HANDLE("F_\xC3\xA9t\xC3\xA9", &r);  // "F_été"
    EXPECT_EQ(HANDLE("f_\xC3\xA9T\xC3\xA9"), &r);
    EXPECT_EQ(HANDLE("F_\xC3\x89t\xC3\x89"), nullptr);  // "F_ÉtÉ": not the same name
}

TEST_F(Bus, LongNamesAreCutAlikeOnBothSides)
{
    Recorder r;
    const std::string name(300, 'x');
    ADD_HANDLE(name, &r);
    EXPECT_EQ(HANDLE(std::string(255, 'X')), &r);
    EXPECT_EQ(HANDLE(std::string(254, 'x')), nullptr);
}

TEST_F(Bus, AnUnknownNameDropsThePostAndItsRecord)
{
    Recorder control;
    ADD_HANDLE("Control", &control);
    auto record = std::make_shared<Tpoint_data>();
    SIGNAL("Calibration", WM_POINT_MESSAGE, record);
    deliver();
    EXPECT_TRUE(control.seen.empty());
    EXPECT_EQ(record.use_count(), 1);  // nothing holds it any more
}

TEST_F(Bus, DeliveryIsLaterAndInOrderWithTheSignIntact)
{
    Recorder main;
    ADD_HANDLE("Main_view", &main);
    const std::vector<std::int64_t> params{-1, -6480000, std::numeric_limits<std::int64_t>::min(),
                                           std::numeric_limits<std::int64_t>::max(), 0, 12960000};
    for (std::int64_t p : params)
        SIGNAL("Main_view", WM_DE_MESSAGE, p);
    EXPECT_TRUE(main.seen.empty());  // the post returns before any handler runs
    deliver();

    ASSERT_EQ(main.seen.size(), params.size());
    for (std::size_t i = 0; i < params.size(); ++i) {
        EXPECT_EQ(main.seen[i].message, WM_DE_MESSAGE);
        EXPECT_EQ(main.seen[i].param, params[i]);
        EXPECT_FALSE(main.seen[i].hasPoint);
        EXPECT_EQ(main.seen[i].buttons, -1);
    }
}

TEST_F(Bus, PostsFromOtherThreadsArriveInTheirOrderOnTheGuiThread)
{
    Recorder main;
    ADD_HANDLE("Main_view", &main);
    constexpr int kPerThread = 500;
    auto sender = [](std::uint32_t message) {
        for (int i = 0; i < kPerThread; ++i)
            SIGNAL("Main_View", message, -i);
    };
    std::thread ra(sender, WM_RA_MESSAGE), de(sender, WM_DE_MESSAGE);
    ra.join();
    de.join();
    deliver();

    ASSERT_EQ(main.seen.size(), 2u * kPerThread);
    std::int64_t nextRa = 0, nextDe = 0;
    for (const Seen& s : main.seen) {
        EXPECT_TRUE(s.onGuiThread);
        std::int64_t& next = s.message == WM_RA_MESSAGE ? nextRa : nextDe;
        EXPECT_EQ(s.param, next--);
    }
    EXPECT_EQ(nextRa, -kPerThread);
    EXPECT_EQ(nextDe, -kPerThread);
}

TEST_F(Bus, AReusedRecordIsReadWhenTheMessageIsHandled)
{
    Recorder control, manual;
    ADD_HANDLE("Control", &control);
    ADD_HANDLE("F_Manual", &manual);
    auto pad = std::make_shared<THWdata>();
    pad->BUTTONS = BUP;
    SIGNAL("Control", WM_BUTTON_MESSAGE, pad);
    pad->BUTTONS = BUP | BLEFT;  // changed again before the receiver ran
    SIGNAL("F_Manual", WM_BUTTON_MESSAGE, pad);
    deliver();

    ASSERT_EQ(control.seen.size(), 1u);
    EXPECT_EQ(control.seen[0].buttons, BUP | BLEFT);
    ASSERT_EQ(manual.seen.size(), 1u);
    EXPECT_EQ(manual.seen[0].buttons, BUP | BLEFT);
    EXPECT_EQ(pad.use_count(), 1);
}

TEST_F(Bus, ARecordOutlivesItsSenderUntilHandled)
{
    Recorder control;
    ADD_HANDLE("Control", &control);
    {
        auto park = std::make_shared<Tpoint_data>();
        park->NAME = "Park";
        park->STATUS = 8;
        SIGNAL("Control", WM_POINT_MESSAGE, std::move(park));
    }
    deliver();
    ASSERT_EQ(control.seen.size(), 1u);
    EXPECT_TRUE(control.seen[0].hasPoint);
    EXPECT_EQ(control.seen[0].pointName, "Park");
}

TEST_F(Bus, ADestroyedWindowStopsReceivingEvenWhilePostsRace)
{
    auto* doomed = new Recorder;
    ADD_HANDLE("Control", doomed);
    std::atomic<int> posted{0};
    std::atomic<bool> stop{false};
    std::thread loop([&] {
        while (!stop.load()) {
            SIGNAL("Control", WM_BUTTON_MESSAGE, std::make_shared<THWdata>());
            posted.fetch_add(1);
        }
    });
    while (posted.load() < 100)
        std::this_thread::yield();
    delete doomed;
    const int before = posted.load();
    while (posted.load() < before + 100)
        std::this_thread::yield();
    stop.store(true);
    loop.join();
    deliver();
    EXPECT_EQ(HANDLE("Control"), nullptr);
}

}  // namespace

#include "signals_test.moc"
