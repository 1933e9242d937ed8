#include "platform/dialogs.h"

#include <QMessageBox>
#include <QString>

#include <atomic>

namespace platform {
namespace {

class QtDialogs final : public OperatorDialogs {
public:
    void message(const std::string& title, const std::string& text) override
    {
        QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(title), QString::fromStdString(text),
                        QMessageBox::Ok);
        box.exec();
    }

    bool askYesNo(const std::string& title, const std::string& text) override
    {
        QMessageBox box(QMessageBox::Question, QString::fromStdString(title), QString::fromStdString(text),
                        QMessageBox::Yes | QMessageBox::No);
        return box.exec() == QMessageBox::Yes;
    }
};

QtDialogs g_real;
std::atomic<OperatorDialogs*> g_current{nullptr};

}  // namespace

OperatorDialogs& dialogs()
{
    OperatorDialogs* d = g_current.load(std::memory_order_acquire);
    return d ? *d : g_real;
}

void setDialogs(OperatorDialogs* replacement) { g_current.store(replacement, std::memory_order_release); }

}  // namespace platform
