#pragma once
// The encoder pulses dialog: the operator types the pulses per revolution of
// each axis's encoder before the board's direction set-up. The dialog keeps
// no values of its own: the control loop reads both texts whenever it sends
// them, so what was typed stays for the next showing. It installs itself as
// the dialog the loop reads. Its texts are not translated.

#include "board/control_ui.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

class TForm1 final : public QDialog, public CONTROL::EncoderDialog {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    QLabel* Label1;  // "Encoder ppr"
    QLabel* Label2;  // "RA"
    QLabel* Label3;  // "De"
    QLineEdit* edt_RA_enc;
    QLineEdit* edt_DE_enc;
    QPushButton* B_Start;

    // OK: closes the dialog with result 1 when both texts are pulse counts
    // the board takes; otherwise tells the operator and stays open.
    void B_StartClick();

    std::pair<std::string, std::string> texts() override;
    void showWaitForSync() override;
    void showSyncDone() override;

private:
    void showFields(bool on);
};
