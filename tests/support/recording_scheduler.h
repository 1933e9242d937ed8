#pragma once
// Records the priority changes asked for instead of making them. Installs
// itself as the process scheduler while it lives.

#include "platform/priority.h"

#include <mutex>
#include <vector>

namespace testing_support {

class RecordingScheduler final : public platform::Scheduler {
public:
    RecordingScheduler() { platform::setScheduler(this); }
    ~RecordingScheduler() override { platform::setScheduler(nullptr); }
    RecordingScheduler(const RecordingScheduler&) = delete;
    RecordingScheduler& operator=(const RecordingScheduler&) = delete;

    void setProcessPriority(platform::PriorityClass c) override
    {
        std::lock_guard lock(mutex_);
        calls_.push_back(c);
    }
    std::vector<platform::PriorityClass> calls() const
    {
        std::lock_guard lock(mutex_);
        return calls_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<platform::PriorityClass> calls_;
};

}  // namespace testing_support
