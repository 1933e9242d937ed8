#pragma once
// The preselect window: an ordered list of sky objects chosen in advance,
// filled from the object list, typed in with the entry dialog or loaded from
// a preselect list file (*.psl), edited, reordered and saved. GoTo sends the
// selected entry to the control window as a go-to request; Next, and the
// control window's next-object request (a second point key of the hand
// controller), steps to the following entry and sends that. Registered on
// the message bus as "F_preselect"; its message handlers act only while it
// is shown.

#include "core/Signals.h"
#include "sky/rows.h"

#include <QPointer>
#include <QWidget>

#include <memory>
#include <string>

class QAction;
class QListWidget;
class QMenu;
class QMenuBar;
class QPushButton;
class TF_list;
class TF_presel_add;

namespace sky {

// The go-to request of an entry: planets by name are computed for the
// present moment, any other entry is sent at its own coordinates. No point
// when a planet cannot be computed (the operator has been told) or when a
// coordinate cannot be read or lies past its bounds (then `problem` says
// which, for the operator).
struct GotoRequest {
    std::string name, ra, dec;  // the texts the request was made from
    std::shared_ptr<Tpoint_data> point;
    std::string problem;
};
GotoRequest GOTO_REQUEST(const ObjectTexts& entry);

// The entry after `selected` in a list of `count`, wrapping; the first when
// none is selected; -1 for an empty list.
int NEXT_INDEX(int selected, int count);

}  // namespace sky


class TF_preselect final : public SignalReceiver<QWidget> {
    Q_OBJECT
public:
    explicit TF_preselect(QWidget* parent = nullptr);

    // The windows it shows modally (not owned).
    void setObjectList(TF_list* list);
    void setEntryDialog(TF_presel_add* dialog);

    // The file last chosen with Load; Save proposes it.
    std::string PRESELECTLIST;
    // The texts and the record of the last go-to request.
    std::string OBJ_NAME, OBJ_RA, OBJ_DEC;
    std::shared_ptr<Tpoint_data> POSPOINT;

    QPushButton* B_Left;   // GoTo
    QPushButton* B_Right;  // Next
    QListWidget* ListBox1;
    QMenuBar* MainMenu1;
    QMenu* File1;
    QMenu* Edit1;
    QAction *Load1, *Save1, *Exit1;
    QAction *Add1, *Delete1, *Upmove1, *Downmove1, *ManualAdd1;

    void SENDGOTO();
    void SENDNEXT();
    void ADDITEM();
    void DELITEM();
    bool SELECT_FILE();
    void PRESEL_MAN_ADD(const std::string& NAME, const std::string& RA, const std::string& DEC);
    // Appends an entry to the list.
    void addEntry(const sky::ObjectTexts& entry);

    void FormActivate();
    void B_LeftClick();
    void B_RightClick();
    void Load1Click();
    void Save1Click();
    void Exit1Click();
    void Add1Click();
    void Delete1Click();
    void Upmove1Click();
    void Downmove1Click();
    void ManualAdd1Click();
    void ListBox1DblClick();
    void ONNEXT();
    void ONPOINT(const std::shared_ptr<Tpoint_data>& point);

protected:
    void onSignal(const SignalEvent& message) override;

private:
    void moveSelected(int by);
    void setDialogTexts(const sky::ObjectTexts& texts);
    sky::ObjectTexts dialogTexts() const;

    QPointer<TF_list> list_;
    QPointer<TF_presel_add> entryDialog_;
};

