#include "platform/dialogs.h"

#include <QApplication>
#include <QMessageBox>
#include <QString>

#include <atomic>

namespace platform {
namespace {

class QtDialogs final : public OperatorDialogs {
public:
    void message(const std::string& title, const std::string& text) override
    {
        QMessageBox::information(QApplication::activeWindow(), QString::fromStdString(title),
                                 QString::fromStdString(text));
    }

    bool askYesNo(const std::string& title, const std::string& text) override
    {
        return QMessageBox::question(QApplication::activeWindow(), QString::fromStdString(title),
                                     QString::fromStdString(text),
                                     QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    }
};

QtDialogs g_qt;
std::atomic<OperatorDialogs*> g_current{nullptr};

}  // namespace

OperatorDialogs& dialogs()
{
    OperatorDialogs* d = g_current.load(std::memory_order_acquire);
    return d ? *d : g_qt;
}

void setDialogs(OperatorDialogs* replacement) { g_current.store(replacement, std::memory_order_release); }

}  // namespace platform
