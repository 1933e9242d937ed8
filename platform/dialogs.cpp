#include "platform/dialogs.h"

#include "platform/replaceable.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <QStringList>

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

    std::optional<std::string> openFile(const OpenFileRequest& request) override
    {
        QFileDialog d(QApplication::activeWindow(), QString::fromStdString(request.title),
                      QString::fromStdString(request.folder));
        d.setAcceptMode(QFileDialog::AcceptOpen);
        d.setFileMode(request.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
        d.setNameFilters(QString::fromStdString(request.filter).split(QStringLiteral(";;")));
        return chosen(d);
    }

    std::optional<std::string> saveFile(const SaveFileRequest& request) override
    {
        QFileDialog d(QApplication::activeWindow(), QString::fromStdString(request.title));
        d.setAcceptMode(QFileDialog::AcceptSave);
        d.setFileMode(QFileDialog::AnyFile);
        d.setOption(QFileDialog::DontConfirmOverwrite);
        d.setDefaultSuffix(QString::fromStdString(request.defaultSuffix));
        if (!request.proposedName.empty())
            d.selectFile(QString::fromStdString(request.proposedName));
        return chosen(d);
    }

    void closeAll() override
    {
        for (const QPointer<QDialog>& d : open_) {
            if (!d)
                continue;
            if (auto* box = qobject_cast<QMessageBox*>(d.data()))
                box->done(box->standardButtons().testFlag(QMessageBox::No) ? QMessageBox::No : QMessageBox::Ok);
            else
                d->reject();
        }
    }

private:
    int show(QMessageBox::Icon icon, const std::string& title, const std::string& text,
             QMessageBox::StandardButtons buttons)
    {
        QMessageBox box(icon, QString::fromStdString(title), QString::fromStdString(text), buttons,
                        QApplication::activeWindow());
        return run(box);
    }

    std::optional<std::string> chosen(QFileDialog& d)
    {
        if (run(d) != QDialog::Accepted || d.selectedFiles().isEmpty())
            return std::nullopt;
        // The file system's own bytes, as the program opens them.
        return QFile::encodeName(d.selectedFiles().front()).toStdString();
    }

    int run(QDialog& d)
    {
        open_.push_back(&d);
        const int answer = d.exec();
        std::erase_if(open_, [&](const QPointer<QDialog>& b) { return !b || b == &d; });
        return answer;
    }

    // User-interface thread only, as every box.
    std::vector<QPointer<QDialog>> open_;
};

QtDialogs g_qt;
Replaceable<OperatorDialogs> g_current(g_qt);

}  // namespace

OperatorDialogs& dialogs() { return g_current.get(); }

void setDialogs(OperatorDialogs* replacement) { g_current.set(replacement); }

}  // namespace platform
