#include "board/hand_keys.h"

namespace HAL {

HandKeys HAND_KEYS;

void HandKeys::read(std::uint64_t connection, std::optional<std::uint8_t> keys, std::chrono::nanoseconds at)
{
    std::lock_guard lock(m_);
    if (connection < connection_ || (connection == connection_ && !up_))
        return;
    if (connection > connection_) {
        // Its reader may be heard from before the connect has been told.
        connection_ = connection;
        up_ = true;
        told_ = false;
    }
    last_ = at;
    if (keys) {
        keys_ = *keys;
        told_ = true;
    }
}

void HandKeys::begin(std::uint64_t connection, std::chrono::nanoseconds at)
{
    std::lock_guard lock(m_);
    if (connection <= connection_)
        return;  // its reader was first, or it has ended already
    connection_ = connection;
    up_ = true;
    told_ = false;
    last_ = at;
}

void HandKeys::end()
{
    std::lock_guard lock(m_);
    up_ = false;
    told_ = false;
}

void HandKeys::forget()
{
    std::lock_guard lock(m_);
    told_ = false;
}

void HandKeys::pause()
{
    std::lock_guard lock(m_);
    paused_ = true;
}

void HandKeys::resume(std::chrono::nanoseconds at)
{
    std::lock_guard lock(m_);
    paused_ = false;
    last_ = at;
}

bool HandKeys::quietLocked(std::chrono::nanoseconds now) const
{
    return up_ && !paused_ && now - last_ >= QUIET;
}

bool HandKeys::quiet(std::chrono::nanoseconds now) const
{
    std::lock_guard lock(m_);
    return quietLocked(now);
}

bool HandKeys::released(std::chrono::nanoseconds now) const
{
    std::lock_guard lock(m_);
    return !up_ || !told_ || (keys_ & HAND_DIRECTION_BITS) == 0 || quietLocked(now);
}

void HandKeys::reset()
{
    std::lock_guard lock(m_);
    connection_ = 0;
    up_ = told_ = paused_ = false;
    keys_ = 0;
    last_ = {};
}

}  // namespace HAL
