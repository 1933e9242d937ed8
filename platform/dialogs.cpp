#include "platform/dialogs.h"

#include "platform/replaceable.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QString>

#include <algorithm>
#include <vector>

namespace platform {
namespace {

class QtDialogs final : public OperatorDialogs {
public:
    void message(const std::string& title, const std::string& text) override
    {
        show(QMessageBox::Information, title, text, QMessageBox::Ok);
    }

    bool askYesNo(const std::string& title, const std::string& text) override
    {
        return show(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    }

    void closeAll() override
    {
        for (const QPointer<QMessageBox>& box : open_)
            if (box)
                box->done(box->standardButtons().testFlag(QMessageBox::No) ? QMessageBox::No : QMessageBox::Ok);
    }

private:
    int show(QMessageBox::Icon icon, const std::string& title, const std::string& text,
             QMessageBox::StandardButtons buttons)
    {
        QMessageBox box(icon, QString::fromStdString(title), QString::fromStdString(text), buttons,
                        QApplication::activeWindow());
        open_.push_back(&box);
        const int answer = box.exec();
        std::erase_if(open_, [&](const QPointer<QMessageBox>& b) { return !b || b == &box; });
        return answer;
    }

    // User-interface thread only, as every box.
    std::vector<QPointer<QMessageBox>> open_;
};

QtDialogs g_qt;
Replaceable<OperatorDialogs> g_current(g_qt);

}  // namespace

OperatorDialogs& dialogs() { return g_current.get(); }

void setDialogs(OperatorDialogs* replacement) { g_current.set(replacement); }

}  // namespace platform
