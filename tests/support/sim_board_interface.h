#pragma once
// The simulated board as an interface of the fake HID backend: it takes what
// the program writes and its reports go into the interface's input queue, so
// tests drive the board through the real connection and reader thread.

#include "tests/support/fake_hid.h"

#include "tests/support/sim_board.h"

#include <string>

namespace testing_support {

class SimBoardInterface final : public FakeHidInterface {
public:
    explicit SimBoardInterface(SimBoard& board, std::string nodePath = "/dev/hidraw0")
        : FakeHidInterface(std::move(nodePath)), board_(board)
    {
        board_.setOutput([this](const SimBoard::Report& r) { pushInput(r); });
    }
    ~SimBoardInterface() override { board_.setOutput(nullptr); }

    int onWrite(std::span<const std::uint8_t> report) override
    {
        return board_.onWrite(report.data(), report.size());
    }

private:
    SimBoard& board_;
};

}  // namespace testing_support
