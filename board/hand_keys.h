#pragma once
// The hand controller's direction keys as the connection's reader thread
// last read them, for the control loop. The keys reach the loop through the
// user-interface thread as well (decoder, device window, control window);
// this is the road that never waits for that thread, so a key let go stops
// the mount however busy the windows are. It only ever lets keys go: a press
// still takes the long road.
//
// A key counts as held only while its connection is up, has told its keys in
// an encoder frame, and goes on reporting: a board whose reports stop for
// QUIET lets its keys go.

#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>

namespace HAL {

class HandKeys {
public:
    static constexpr std::chrono::nanoseconds QUIET = std::chrono::seconds(1);

    // Reader thread: a report of connection `connection` read at `at` (the
    // monotonic clock); `keys` is the key byte of an encoder frame, nothing
    // for any other report. A connection numbered above the one known begins
    // there, its keys not yet told; one that has ended counts no more.
    void read(std::uint64_t connection, std::optional<std::uint8_t> keys, std::chrono::nanoseconds at);
    // A connect: `connection` is up from `at` on, its keys not yet told
    // (unless its reader has already been heard from).
    void begin(std::uint64_t connection, std::chrono::nanoseconds at);
    // The connection has ended: nothing it reads counts any more.
    void end();
    // The keys count as released until the next encoder frame.
    void forget();
    // Around a stop of the whole process: nobody reports meanwhile, so the
    // time stopped is no silence of the board.
    void pause();
    void resume(std::chrono::nanoseconds at);

    // Up, not paused, and no report for QUIET.
    bool quiet(std::chrono::nanoseconds now) const;
    // No direction key counts as held now.
    bool released(std::chrono::nanoseconds now) const;

    // Nothing known: connections are numbered afresh (a new device window).
    void reset();

private:
    bool quietLocked(std::chrono::nanoseconds now) const;

    mutable std::mutex m_;
    std::uint64_t connection_ = 0;
    bool up_ = false;
    bool told_ = false;  // an encoder frame of this connection gave keys_
    bool paused_ = false;
    std::uint8_t keys_ = 0;
    std::chrono::nanoseconds last_{0};  // the last report, or the connect
};

// The direction keys' bits in the encoder frame's key byte: left, up, down, right.
inline constexpr std::uint8_t HAND_DIRECTION_BITS = 0x0F;

extern HandKeys HAND_KEYS;

}  // namespace HAL
