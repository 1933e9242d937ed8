#pragma once
// Scheduling class of the whole process. Tests install a recording fake
// (setScheduler) so a test run never changes its own priority.

namespace platform {

enum class PriorityClass { Idle, Normal, High, Realtime };

class Scheduler {
public:
    virtual ~Scheduler() = default;
    // Best effort: a refused change leaves the process as it was.
    virtual void setProcessPriority(PriorityClass c) = 0;
};

// The scheduler in force: the real one unless a test installed another.
Scheduler& scheduler();
// Installs a replacement (not owned); nullptr puts the real one back.
void setScheduler(Scheduler* replacement);

}  // namespace platform
