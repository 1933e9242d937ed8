#pragma once
// The language chooser "Language": offers the languages whose files lie next
// to the program, each under the name the current language gives its code.
// OK loads the chosen language and keeps its code in parameter Language for
// the run; the settings file is never written.

#include <QDialog>

#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QPushButton;

class TF_Language final : public QDialog {
    Q_OBJECT
public:
    explicit TF_Language(QWidget* parent = nullptr);

    static constexpr int mrOk = 1;
    static constexpr int mrCancel = 2;

    // Shows the window modally: mrOk when a language was applied, mrCancel
    // otherwise (Cancel, the title bar, Escape, or OK without a language).
    int ShowModal();

    // The codes of the listed languages, parallel to ComboBox1's items.
    std::vector<std::string> LANGLIST;

    QComboBox* ComboBox1;
    QLabel* L_select;
    QPushButton* B_OK;
    QPushButton* B_Cancel;

    void FormActivate();
    void B_OKClick();
    void B_CancelClick();
};
