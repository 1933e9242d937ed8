#include "platform/dialogs.h"

#include "platform/replaceable.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QString>
#include <QStringList>

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

private:
    static std::optional<std::string> chosen(QFileDialog& d)
    {
        if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty())
            return std::nullopt;
        // The file system's own bytes, as the program opens them.
        return QFile::encodeName(d.selectedFiles().front()).toStdString();
    }
};

QtDialogs g_qt;
Replaceable<OperatorDialogs> g_current(g_qt);

}  // namespace

OperatorDialogs& dialogs() { return g_current.get(); }

void setDialogs(OperatorDialogs* replacement) { g_current.set(replacement); }

}  // namespace platform
