#pragma once
// The entry dialog: one sky object typed in by name, right ascension and
// declination. Each coordinate edit turns red while its text does not fit
// its template or lies past its bounds (24 hours, the poles); OK closes the
// dialog only when the name is not empty and both coordinates fit. It keeps nothing but its three edits' texts, which
// the preselect window fills before a showing and reads after an OK.

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

class TF_presel_add final : public QDialog {
    Q_OBJECT
public:
    explicit TF_presel_add(QWidget* parent = nullptr);

    // The colours of a checked edit.
    static QColor fitColour();
    static QColor misfitColour();

    QPushButton* B_save;
    QPushButton* B_cancel;
    QLineEdit* Object_Name;
    QLineEdit* Object_RA;
    QLineEdit* Object_Decl;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;

    void FormActivate();
    void Object_RAChange();
    void Object_DeclChange();
    void B_saveClick();
    void B_cancelClick();
};
