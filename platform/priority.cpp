#include "platform/priority.h"

#include "platform/replaceable.h"

#include <charconv>
#include <cstring>
#include <filesystem>
#include <string>
#include <pthread.h>
#include <sys/resource.h>

namespace platform {
namespace {

int niceValue(PriorityClass c)
{
    switch (c) {
    case PriorityClass::Idle: return 19;
    case PriorityClass::Normal: return 0;
    case PriorityClass::High: return -10;
    case PriorityClass::Realtime: return -20;
    }
    return 0;
}

class RealScheduler final : public Scheduler {
public:
    void setProcessPriority(PriorityClass c) override
    {
        // A nice value belongs to one thread on Linux, so every thread of the
        // process gets it; threads started later inherit it from their creator.
        // A real-time policy is not used: a busy loop under it can starve the
        // whole machine.
        const int nice = niceValue(c);
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator("/proc/self/task", ec)) {
            const std::string name = entry.path().filename().string();
            id_t tid = 0;
            auto [ptr, err] = std::from_chars(name.data(), name.data() + name.size(), tid);
            if (err == std::errc() && ptr == name.data() + name.size())
                (void)::setpriority(PRIO_PROCESS, tid, nice);
        }
    }
};

RealScheduler g_real;
Replaceable<Scheduler> g_current(g_real);

}  // namespace

Scheduler& scheduler() { return g_current.get(); }

void setScheduler(Scheduler* replacement) { g_current.set(replacement); }

void nameThisThread(const char* name)
{
    char cut[16] = {};
    std::strncpy(cut, name, sizeof cut - 1);
    pthread_setname_np(pthread_self(), cut);
}

}  // namespace platform
