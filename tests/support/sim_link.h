#pragma once
// Wires the board senders straight to a simulated board, without the HID
// layer: frames written from any thread reach the board, and its reports
// wait in a queue until the test hands them to the decoder on its own (the
// user-interface) thread with deliver().

#include "board/hal.h"
#include "tests/support/sim_board.h"

#include <atomic>
#include <cstddef>
#include <mutex>
#include <vector>

namespace testing_support {

class SimLink final : public HAL::Link {
public:
    // Installs itself as the senders' link while it lives.
    explicit SimLink(SimBoard& board);
    ~SimLink() override;
    SimLink(const SimLink&) = delete;
    SimLink& operator=(const SimLink&) = delete;

    void writeIfConnected(const HAL::Frame& frame) override;
    HAL::Connection connection() const override { return number.load(); }

    // Decodes every report received so far; returns how many.
    std::size_t deliver();

    // False drops every frame, as an unplugged board does.
    std::atomic<bool> connected{true};
    // The connection it stands for; another number is another board's.
    std::atomic<HAL::Connection> number{1};

private:
    SimBoard& board_;
    std::mutex mutex_;
    std::vector<SimBoard::Report> reports_;
};

}  // namespace testing_support
