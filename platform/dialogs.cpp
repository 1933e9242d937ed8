#include "platform/dialogs.h"

#include "platform/replaceable.h"

#include <atomic>

namespace platform {
namespace {

// No window system: every box is answered as a close answers it.
class NoDialogs final : public OperatorDialogs {
public:
    void message(const std::string&, const std::string&) override {}
    bool askYesNo(const std::string&, const std::string&) override { return false; }
    std::optional<std::string> openFile(const OpenFileRequest&) override { return std::nullopt; }
    std::optional<std::string> saveFile(const SaveFileRequest&) override { return std::nullopt; }
    void closeAll() override {}
};

NoDialogs g_none;

// The real boxes, as the window layer installed them.
class RealDialogs final : public OperatorDialogs {
public:
    void message(const std::string& title, const std::string& text) override { get().message(title, text); }
    bool askYesNo(const std::string& title, const std::string& text) override { return get().askYesNo(title, text); }
    std::optional<std::string> openFile(const OpenFileRequest& r) override { return get().openFile(r); }
    std::optional<std::string> saveFile(const SaveFileRequest& r) override { return get().saveFile(r); }
    void closeAll() override { get().closeAll(); }
    void reopen() override { get().reopen(); }

    std::atomic<OperatorDialogs*> real{&g_none};

private:
    OperatorDialogs& get() const { return *real.load(std::memory_order_acquire); }
};

RealDialogs g_real;
Replaceable<OperatorDialogs> g_current(g_real);

}  // namespace

OperatorDialogs& dialogs() { return g_current.get(); }

void setDialogs(OperatorDialogs* replacement)
{
    if (!replacement)
        g_real.reopen();
    g_current.set(replacement);
}

void setRealDialogs(OperatorDialogs* real) { g_real.real.store(real ? real : &g_none, std::memory_order_release); }

}  // namespace platform
