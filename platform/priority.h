#pragma once
// Scheduling class of the whole process, and thread names. Tests install a recording fake
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

// Names the calling thread as process lists and debuggers show it (at most
// 15 bytes are kept).
void nameThisThread(const char* name);

}  // namespace platform
