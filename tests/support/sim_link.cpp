#include "tests/support/sim_link.h"

#include <algorithm>

namespace testing_support {

SimLink::SimLink(SimBoard& board) : board_(board)
{
    board_.setOutput([this](const SimBoard::Report& r) {
        std::lock_guard lock(mutex_);
        reports_.push_back(r);
    });
    HAL::SET_LINK(this);
}

SimLink::~SimLink()
{
    HAL::SET_LINK(nullptr);
    board_.setOutput(nullptr);
}

void SimLink::writeIfConnected(const HAL::Frame& frame)
{
    if (!connected.load())
        return;
    std::uint8_t report[9] = {0};
    std::copy(frame.begin(), frame.end(), report + 1);
    board_.onWrite(report, sizeof report);
}

std::size_t SimLink::deliver()
{
    std::vector<SimBoard::Report> got;
    {
        std::lock_guard lock(mutex_);
        got.swap(reports_);
    }
    for (const auto& r : got)
        HAL::DECODE(r.data() + 1, r.size() - 1);
    return got.size();
}

}  // namespace testing_support
