#include "platform/dialogs.h"

#include <atomic>

namespace platform {
namespace {

// No window system: every box is answered as a close answers it.
class NoDialogs final : public OperatorDialogs {
public:
    void message(const std::string&, const std::string&) override {}
    bool askYesNo(const std::string&, const std::string&, DefaultButton) override { return false; }
    std::optional<std::string> openFile(const OpenFileRequest&) override { return std::nullopt; }
    std::optional<std::string> saveFile(const SaveFileRequest&) override { return std::nullopt; }
    void closeAll() override {}
};

NoDialogs g_none;

// The real boxes, as the window layer installed them, and a test's
// replacement, which wins while it is set.
std::atomic<OperatorDialogs*> g_real{&g_none};
std::atomic<OperatorDialogs*> g_replacement{nullptr};

}  // namespace

OperatorDialogs& dialogs()
{
    OperatorDialogs* d = g_replacement.load(std::memory_order_acquire);
    return d ? *d : *g_real.load(std::memory_order_acquire);
}

void setDialogs(OperatorDialogs* replacement)
{
    if (!replacement)
        g_real.load(std::memory_order_acquire)->reopen();
    g_replacement.store(replacement, std::memory_order_release);
}

void setRealDialogs(OperatorDialogs* real) { g_real.store(real ? real : &g_none, std::memory_order_release); }

}  // namespace platform
