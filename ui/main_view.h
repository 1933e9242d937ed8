#pragma once
// The main window "Telescope control": the mount's two axis angles, the
// status line, the motor power and absolute-encoder lamps, the board's
// configuration, the set-up commands and the menus. Its first activation
// starts the mount side; closing it stops the control loop and ends the
// program. Registered on the message bus as "Main_view".
//
// The windows it shows are handed to it after they are created (the device
// window, the manual pad, the set-up wizard, the encoder pulses dialog and,
// once they exist, the graph, the parameter editor, the language chooser and
// the about box); a menu entry whose window is missing stays disabled.

#include "core/Signals.h"

#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class QAction;
class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPushButton;
namespace platform {
class DisplayTimer;
}
class TForm1;
class TImage;
class TSound;

namespace setup {
class SetupWizardLink;
}

class TMain_View final : public SignalReceiver<QWidget> {
    Q_OBJECT
public:
    // Runs FormCreate: records the layout, registers on the bus, starts the
    // parameter store, loads the named sounds and the language file.
    explicit TMain_View(QWidget* parent = nullptr);
    ~TMain_View() override;

    // --- Wiring (none owned) --------------------------------------------
    void setDeviceWindow(QWidget* window);
    void setManualPad(QWidget* pad);
    void setGraphWindow(QWidget* graph);
    void setWizard(setup::SetupWizardLink* wizard);
    void setEncoderDialog(TForm1* dialog);
    // Shows the parameter editor modally; false when it was cancelled.
    void setParameterEditor(std::function<bool()> runModal);
    // Shows the language chooser modally; true when it ended with OK.
    void setLanguageChooser(std::function<bool()> runModal);
    // Shows the about box modally.
    void setAboutBox(std::function<void()> runModal);

    // --- Handlers ---------------------------------------------------------
    void FormActivate();
    void FormResize();
    void FormClose();
    void ONCHANGERA(std::int64_t tenths);
    void ONCHANGEDE(std::int64_t tenths);
    void ONCHANGETCP(std::int64_t on);
    void ONDEMO(std::int64_t param);
    // Whether the connected board goes on reporting.
    void ONSTATUS(std::int64_t param);
    void ONCALIBRATE(std::int64_t param);

    // The set-up flow.
    void FILLCONFIG();
    void Calibrate3Click();  // Init
    void Calibrate2Click();  // Align
    void Calibrate4Click();  // Gear
    void Calibrate1Click();  // clock synchronisation request
    void B_GearClick();      // the set-up query again; no component is bound to it
    void B_saveClick();
    void siderialTimer();

    void Button1Click();
    void Hardware1Click();
    void Parameters1Click();
    void Language1Click();
    void Reset1Click();
    void Reset2Click();
    void Help2Click();
    void About1Click();
    // Hover help of the four set-up buttons; leaving any of them puts the
    // status line back.
    void B_InitMouseEnter();
    void B_AlignMouseEnter();
    void B_GearMouseEnter();
    void B_saveMouseEnter();
    void B_InitMouseLeave();

    // --- State ------------------------------------------------------------
    bool SETUP_DONE = false;  // the first activation has been handled
    std::string INIT_MSG, ALIGN_MSG, GEAR_MSG, SAVE_MSG;
    std::string QUIET_MSG = "The board has stopped reporting";
    std::string SAVE_OBJECT;
    bool hoverShown_ = false;  // the status line holds a help text, SAVE_OBJECT the status
    std::unique_ptr<TSound> PLAYSND;

    // --- Components -------------------------------------------------------
    QMenuBar* MainMenu1;
    QMenu *File2, *File3, *File1, *Help1, *Allign1;
    QAction *Objects1, *Preselect1, *Exit1;
    QAction *Manual1, *Goto1, *Track1, *Stop1, *Park1, *Unpark1, *Flip1, *UnFlip1, *IOCtrl1, *Hardware1;
    QAction *Parameters1, *Language1, *Reset1, *N1, *Calibrate3, *Calibrate2, *Calibrate1, *Reset2, *Park2;
    QAction *DataFile1, *Addentry1, *Calculate1;
    QAction *Help2, *About1;

    QFrame *Bevel1, *Bevel2;
    QLabel* curpos_bev_t;
    QLabel *L_hor, *L_vert;
    QLineEdit* tele_RA;
    QLineEdit* tele_dec;
    QLabel* L_Object;
    QLabel* L_power;
    QLabel* L_Abs;
    TImage *conn_led_off, *conn_led_on, *abs_led_off, *abs_led_on;
    QLabel *L_config, *L_mot_ccw, *L_enc_ccw, *L_mot_enc_cr, *L_gear, *L_ra, *L_de;
    QCheckBox *chk_ra_mot_ccw, *chk_ra_enc_ccw, *chk_ra_mot_enc_cr;
    QCheckBox *chk_de_mot_ccw, *chk_de_enc_ccw, *chk_de_mot_enc_cr;
    QLineEdit *edt_RA_gear, *edt_DE_gear;
    QPushButton *B_Init, *B_Align, *B_Gear, *B_save, *Button1;
    QLabel* Version;
    platform::DisplayTimer* siderial;

protected:
    void onSignal(const SignalEvent& message) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void buildMenu();
    void buildComponents();
    void placeBesideMe(QWidget* window, int gap);
    void setStatus(const std::string& text);
    void showHoverHelp(const std::string& help);
    // Ends a set-up run still in progress as its Cancel does.
    void endRunningSetUp();

    QPointer<QWidget> deviceWindow_;
    QPointer<QWidget> manualPad_;
    QPointer<QWidget> graph_;
    setup::SetupWizardLink* wizard_ = nullptr;
    QPointer<TForm1> encoderDialog_;
    bool askingPulses_ = false;  // the encoder pulses dialog is up
    std::function<bool()> parameterEditor_;
    std::function<bool()> languageChooser_;
    std::function<void()> aboutBox_;
};
