#pragma once
// The about box "About": the program's name and makers, its icon, its
// version and build number, and a link to the README installed beside the
// program, opened with the desktop's program for it. It has no button; the
// title bar closes it.

#include <QDialog>

#include <string>

class QLabel;
class TImage;

class TF_About final : public QDialog {
    Q_OBJECT
public:
    explicit TF_About(QWidget* parent = nullptr);

    // Shows the box modally, centred over `owner` when one is given.
    void ShowModal(QWidget* owner);

    TImage* Image1;
    QLabel* Label1;  // the program and its makers
    QLabel* Label2;  // the link
    QLabel* L_Version;
    QLabel* build;

    // What the link opens: the README beside the program.
    std::string ADDRESS;

    void FormActivate();
    void Label2Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
};

// The program's icon, drawn: a telescope on its mount under a starry sky.
QPixmap aboutIcon(int width, int height);
