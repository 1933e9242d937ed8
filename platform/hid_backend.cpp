#include "platform/hid_backend.h"

#include "platform/hidapi_backend.h"

#include <atomic>

namespace platform {
namespace {
std::atomic<HidBackend*> g_current{nullptr};
}

HidBackend& hidBackend()
{
    HidBackend* b = g_current.load(std::memory_order_acquire);
    return b ? *b : hidapiBackend();
}

void setHidBackend(HidBackend* replacement) { g_current.store(replacement, std::memory_order_release); }

}  // namespace platform
