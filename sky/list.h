#pragma once
// The object list: the operator picks one sky object from the planets,
// computed for the present moment, from a category of an object list file
// (*.lst), or from the file's objects whose name holds a search text. Rows of
// objects below the horizon can be hidden. The pick is handed back in POINT
// (a row whose coordinates do not read as a place is refused with a box);
// the preselect window's Add shows the window modally in select mode.
//
// The file is the one parameter Object_File names; as that is not a declared
// parameter, the program offers the planets alone.

#include "core/Signals.h"
#include "sky/rows.h"

#include <QDialog>

#include <memory>
#include <string>
#include <vector>

class QAction;
class QComboBox;
class QLineEdit;
class QListWidget;
class QMenu;
class QMenuBar;
class QPushButton;

namespace sky {
// Whether an object at these texts may be listed: false only when
// Hide_NonVisible is set and the object stands below the observer's horizon
// now (Long and Lat as degree texts).
bool HORIZON_TEST(std::string_view RA, std::string_view DEC);
}  // namespace sky

class TF_list final : public QDialog {
    Q_OBJECT
public:
    explicit TF_list(QWidget* parent = nullptr);

    // The objects of the file read last, in file order; kept for the run.
    std::vector<sky::OBJ> OBJECT_LIST;
    // The last pick; the same record for the window's whole life.
    const std::shared_ptr<Tpoint_data> POINT = std::make_shared<Tpoint_data>();
    // Select mode (true) or go-to mode; only Button1's caption differs.
    bool SELECT_FUNCTION = false;

    static constexpr const char* kPlanets = "Planets";

    QPushButton* Button1;  // pick
    QPushButton* Button2;  // cancel
    QPushButton* Button3;  // search
    QPushButton* Button4;  // file
    QComboBox* ComboBox1;
    QLineEdit* SearchStr;
    QListWidget* ListBox1;
    QMenuBar* MainMenu1;
    QMenu* File1;
    QAction* Open1;

    // Reads an object list file into OBJECT_LIST. A file that does not exist
    // is passed over; one that cannot be read keeps what was there and tells
    // the operator. False when nothing was read.
    bool LOAD_FILE(const std::string& FILENAME);
    void FILL_LIST(const QString& TYP);
    bool GET_FILE();
    void RESIZE_WIN();

    void FormActivate();
    void ComboBox1Change();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void Open1Click();
    void ListBox1Click();
    void ListBox1DblClick();
    void SearchStrChange();

private:
    void addRow(const sky::ObjectTexts& texts);
    void clearRows();
};
