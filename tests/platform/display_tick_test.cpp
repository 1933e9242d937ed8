#include "platform/display_tick.h"

#include "tests/support/allocations.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

namespace {

using platform::DisplayTick;
using platform::DisplayTimer;

// Which timers fired in which tick.
struct Log {
    int tick = 0;
    std::vector<std::pair<int, char>> fired;

    DisplayTimer* timer(int ms, char name, QObject* owner)
    {
        auto* t = new DisplayTimer(owner);
        t->setInterval(ms);
        QObject::connect(t, &DisplayTimer::timeout, t, [this, name] { fired.emplace_back(tick, name); });
        return t;
    }
    void run(int ticks)
    {
        for (int i = 0; i < ticks; ++i) {
            ++tick;
            DisplayTick::instance().tick();
        }
    }
    std::vector<int> ticksOf(char name) const
    {
        std::vector<int> out;
        for (const auto& [t, n] : fired)
            if (n == name)
                out.push_back(t);
        return out;
    }
};

TEST(DisplayTick, TimersOfOneTickFallDueTogetherEachOnItsOwnInterval)
{
    QObject owner;
    Log log;
    DisplayTimer* display = log.timer(10, 'd', &owner);
    DisplayTimer* graph = log.timer(100, 'g', &owner);
    EXPECT_EQ(graph->interval(), 100);
    EXPECT_EQ(log.timer(15, 'x', &owner)->interval(), 20);  // whole ticks, rounded up
    EXPECT_FALSE(DisplayTick::instance().running());

    display->start();
    graph->start();
    EXPECT_TRUE(DisplayTick::instance().running());
    log.run(30);
    EXPECT_EQ(log.ticksOf('d').size(), 30u);
    EXPECT_EQ(log.ticksOf('g'), (std::vector<int>{10, 20, 30}));

    // A timer started later counts its interval from its start.
    DisplayTimer* late = log.timer(300, 'l', &owner);
    log.run(5);
    late->start();
    log.run(60);
    EXPECT_EQ(log.ticksOf('l'), (std::vector<int>{65, 95}));
    EXPECT_EQ(log.ticksOf('g').back(), 90);

    display->stop();
    graph->stop();
    late->stop();
    EXPECT_FALSE(DisplayTick::instance().running());
    log.run(10);
    EXPECT_EQ(log.ticksOf('d').size(), 95u);
}

TEST(DisplayTick, AHandlerMayStopOrDestroyAnyTimerItsOwnIncluded)
{
    QObject owner;
    Log log;
    DisplayTimer* first = log.timer(10, 'a', &owner);
    auto second = std::unique_ptr<DisplayTimer>(log.timer(10, 'b', nullptr));
    DisplayTimer* third = log.timer(10, 'c', &owner);
    QObject::connect(first, &DisplayTimer::timeout, &owner, [&] {
        if (log.tick == 2)
            second.reset();
        if (log.tick == 3) {
            third->stop();
            first->stop();
        }
    });
    first->start();
    second->start();
    third->start();
    log.run(5);
    EXPECT_EQ(log.ticksOf('a'), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(log.ticksOf('b'), (std::vector<int>{1}));
    EXPECT_EQ(log.ticksOf('c'), (std::vector<int>{1, 2}));
    EXPECT_FALSE(DisplayTick::instance().running());
}

// Whatever a handler does to the list of timers, every other timer fires on
// each of its ticks, once, and a timer started meanwhile counts from the next.
TEST(DisplayTick, ChangesToTheListDuringATickLeaveEveryOtherTimerOnItsTicks)
{
    struct Case {
        const char* what;
        // Run by the handler of b at tick 2, with the timers a b c d in list order.
        std::function<void(std::vector<DisplayTimer*>& t, DisplayTimer*& fresh, Log& log, QObject& owner)> change;
        std::vector<int> a, b, c, d, fresh;
    };
    const std::vector<int> all{1, 2, 3, 4};
    const Case cases[] = {
        {"stops the one before", [](auto& t, auto&, auto&, auto&) { t[0]->stop(); }, {1, 2}, all, all, all, {}},
        {"stops the one after", [](auto& t, auto&, auto&, auto&) { t[2]->stop(); }, all, all, {1}, all, {}},
        {"destroys the one after", [](auto& t, auto&, auto&, auto&) { delete t[2]; t[2] = nullptr; }, all, all, {1}, all, {}},
        {"stops itself and the one before", [](auto& t, auto&, auto&, auto&) { t[1]->stop(); t[0]->stop(); },
         {1, 2}, {1, 2}, all, all, {}},
        {"starts a new one",
         [](auto&, auto& fresh, auto& log, auto& owner) { fresh = log.timer(10, 'f', &owner); fresh->start(); },
         all, all, all, all, {3, 4}},
        {"stops and starts the one after", [](auto& t, auto&, auto&, auto&) { t[2]->stop(); t[2]->start(); },
         all, all, {1, 3, 4}, all, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QObject owner;
        Log log;
        std::vector<DisplayTimer*> t;
        for (char name : {'a', 'b', 'c', 'd'})
            t.push_back(log.timer(10, name, &owner));
        DisplayTimer* fresh = nullptr;
        QObject::connect(t[1], &DisplayTimer::timeout, &owner, [&] {
            if (log.tick == 2)
                c.change(t, fresh, log, owner);
        });
        for (DisplayTimer* timer : t)
            timer->start();
        log.run(4);
        EXPECT_EQ(log.ticksOf('a'), c.a);
        EXPECT_EQ(log.ticksOf('b'), c.b);
        EXPECT_EQ(log.ticksOf('c'), c.c);
        EXPECT_EQ(log.ticksOf('d'), c.d);
        EXPECT_EQ(log.ticksOf('f'), c.fresh);
        for (DisplayTimer* timer : t)
            if (timer)
                timer->stop();
        if (fresh)
            fresh->stop();
        EXPECT_FALSE(DisplayTick::instance().running());
    }
}

// It runs a hundred times a second for as long as the program runs.
TEST(DisplayTick, ATickAllocatesNothing)
{
    if (!testing_support::allocationsCounted())
        GTEST_SKIP() << "a sanitizer owns the allocator";
    QObject owner;
    Log log;
    log.fired.reserve(1000);
    for (auto [ms, name] : {std::pair{10, 'a'}, std::pair{30, 'b'}, std::pair{100, 'c'}})
        log.timer(ms, name, &owner)->start();
    log.run(1);
    long made = 0;
    {
        const testing_support::AllocationCount count;
        log.run(100);
        made = count.made();
    }
    EXPECT_EQ(made, 0);
    EXPECT_EQ(log.ticksOf('a').size(), 101u);
    EXPECT_EQ(log.ticksOf('c').size(), 10u);
    for (DisplayTimer* t : owner.findChildren<DisplayTimer*>())
        t->stop();
}

}  // namespace
