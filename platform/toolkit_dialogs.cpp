#include "platform/toolkit_dialogs.h"

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

    bool askYesNo(const std::string& title, const std::string& text, DefaultButton defaultButton) override
    {
        return show(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No,
                    defaultButton == DefaultButton::No ? QMessageBox::No : QMessageBox::Yes) == QMessageBox::Yes;
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
        closing_ = true;
        for (const QPointer<QDialog>& d : open_) {
            if (d)
                d->done(closingAnswer(*d));
        }
    }

    void reopen() override { closing_ = false; }

private:
    int show(QMessageBox::Icon icon, const std::string& title, const std::string& text,
             QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton = QMessageBox::NoButton)
    {
        QMessageBox box(icon, QString::fromStdString(title), QString::fromStdString(text), buttons,
                        QApplication::activeWindow());
        if (defaultButton != QMessageBox::NoButton)
            box.setDefaultButton(defaultButton);
        return run(box);
    }

    std::optional<std::string> chosen(QFileDialog& d)
    {
        if (run(d) != QDialog::Accepted || d.selectedFiles().isEmpty())
            return std::nullopt;
        // The file system's own bytes, as the program opens them.
        return QFile::encodeName(d.selectedFiles().front()).toStdString();
    }

    // What a box answers when the program closes: OK, No for a question,
    // Cancel for a file dialog.
    static int closingAnswer(const QDialog& d)
    {
        if (const auto* box = qobject_cast<const QMessageBox*>(&d))
            return box->standardButtons().testFlag(QMessageBox::No) ? QMessageBox::No : QMessageBox::Ok;
        return QDialog::Rejected;
    }

    int run(QDialog& d)
    {
        // A box of a start-up that a signal ends is not shown at all.
        if (closing_)
            return closingAnswer(d);
        open_.push_back(&d);
        const int answer = d.exec();
        std::erase_if(open_, [&](const QPointer<QDialog>& b) { return !b || b == &d; });
        return answer;
    }

    // User-interface thread only, as every box.
    std::vector<QPointer<QDialog>> open_;
    bool closing_ = false;
};

QtDialogs g_qt;

}  // namespace

void useToolkitDialogs() { setRealDialogs(&g_qt); }

}  // namespace platform
