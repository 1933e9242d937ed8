#include "platform/dialogs.h"

#include "platform/replaceable.h"

#include <QApplication>
#include <QMessageBox>
#include <QString>

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
Replaceable<OperatorDialogs> g_current(g_qt);

}  // namespace

OperatorDialogs& dialogs() { return g_current.get(); }

void setDialogs(OperatorDialogs* replacement) { g_current.set(replacement); }

}  // namespace platform
