#pragma once
// Small core services: the millisecond wait timer, the version texts, the
// process priority and flags as message numbers.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

// A start mark and an interval on the local time of day of platform::clock().
// It does not run by itself: TIMEOUT compares the clock with the mark when
// asked. One timer belongs to one thread.
//
// Only the time of day is kept and the distance is taken without sign, so a
// timer started before midnight times out at its first poll after it, and a
// change of the local clock times a running timer out at its next poll.
class TWaitTimer {
public:
    // Create: the mark is now.
    explicit TWaitTimer(std::int32_t INTERVAL);
    static std::unique_ptr<TWaitTimer> Create(std::int32_t INTERVAL);

    // A new mark; the interval stays, or is replaced.
    void RESTART();
    void RESTART(std::int32_t INTERVAL);
    // True once INTERVAL ms lie between the mark and now; stays true until RESTART.
    bool TIMEOUT() const;
    // Milliseconds until TIMEOUT turns true; 0 once it has.
    std::int32_t REMAINING() const;

private:
    std::int32_t ELAPSED() const;
    double LAST_TIME;  // local time of day at the mark, as a fraction of a day
    std::int32_t LAST_INTERVAL;
};

// The program's version without its build number ("1.4.0"); PARAM is not used.
std::string GET_FILE_INFO(std::string_view PARAM);
// The build number ("25"); PARAM is not used.
std::string GET_BUILD_INFO(std::string_view PARAM);

std::int32_t BOOLTOINT(bool VAL);

// 1 idle, 2 normal, 3 high, 4 real-time; any other level changes nothing.
// A refused change is not reported.
void SETPRIORITYLEVEL(std::uint8_t P);
