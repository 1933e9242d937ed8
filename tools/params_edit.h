#pragma once
// The parameter editor "param_view": one tab per visible section, a row per
// parameter with its name, its value in an edit or a choice box, and its
// unit. Exit takes the edited values for the run and closes, Save takes them
// and moves the settings file's backup names up one generation, Cancel
// closes without taking anything. No settings file is ever written.
//
// Only the rows the operator changed since the window was last activated are
// taken: an untouched row never overwrites a value the control loop or the
// set-up wizard changed meanwhile, and a value its choice box cannot show
// ("TRUE" for "Yes;No") keeps its meaning. Rows of hidden sections are never
// taken.

#include "core/params.h"

#include <QDialog>

#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QTabBar;

class Tparam_view final : public QDialog {
    Q_OBJECT
public:
    explicit Tparam_view(QWidget* parent = nullptr);

    // Modal results.
    static constexpr int mrExit = 1;
    static constexpr int mrCancel = 2;

    // Shows the window modally: mrExit after Exit, mrCancel after Cancel or
    // when closed by the title bar or Escape.
    int ShowModal();

    // One row, under its parameter's index.
    struct FORM_PARAM_T {
        QLabel* LAB = nullptr;
        QLineEdit* EDT = nullptr;
        QComboBox* CMB = nullptr;
        QLabel* UNT = nullptr;
        std::string SEC;
        bool CBOX = false;     // the choice box is the row's input, else the edit
        std::string SHOWN;     // the text the row showed when last refreshed or taken
    };

    std::vector<FORM_PARAM_T> FORM_LIST;
    std::vector<PARAM_T> SHADOW_LIST;  // the parameters at the latest activation
    bool FORM_FILLED = false;

    QTabBar* TabControl1;
    QScrollArea* ScrollBox1;
    QPushButton* Exit_Button;
    QPushButton* Save_Button;
    QPushButton* Cancel_Button;

    void FormActivate();
    void TabControl1Change();
    void Exit_ButtonClick();
    void Save_ButtonClick();
    void Cancel_ButtonClick();

    FORM_PARAM_T VIEW_PARAM_ADD(const std::string& NAME, const std::string& VALUE, const std::string& POS_VAL,
                                const std::string& UNITS, int TOP, int LEFT);
    void FILL();
    void FORM_UPDATE();
    void SELECT_SECTION();
    void COMMIT_CHANGES();

    // The text a row's input holds.
    static std::string rowText(const FORM_PARAM_T& row);

private:
    void FormCreate();
    bool visibleSection(const std::string& section) const;

    QWidget* rows_;  // the scroll box's contents
};
