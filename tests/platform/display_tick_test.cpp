#include "platform/display_tick.h"

#include <gtest/gtest.h>

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

}  // namespace
