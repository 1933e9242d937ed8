#include "ui/main_view.h"

#include "board/control.h"
#include "board/hal.h"
#include "core/angles.h"
#include "core/language.h"
#include "core/names.h"
#include "core/params.h"
#include "core/system_init.h"
#include "core/utils.h"
#include "forms/display.h"
#include "forms/image_widget.h"
#include "forms/size.h"
#include "forms/sound.h"
#include "forms/translate.h"
#include "forms/widgets.h"
#include "platform/desktop.h"
#include "platform/dialogs.h"
#include "platform/display_tick.h"
#include "platform/docking.h"
#include "platform/form_activation.h"
#include "setup/encoder_setup.h"
#include "setup/setup_flow.h"
#include "setup/wizard_link.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFontDatabase>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

#include <variant>

namespace {

constexpr const char* kCaption = "Telescope control";
constexpr const char* kBoxTitle = "orla_setup";
constexpr const char* kHelpFile = "Tarnel2_Help.chm";
constexpr const char* kDeviceNotFound = "Device not found";
constexpr const char* kBoardDetected = "Tarnel2 detected";
constexpr const char* kSoundNames[] = {"Sun_Sound", "Horizon_Sound", "Lock_Sound", "Flip_Sound", "No_Flip_Sound"};
constexpr int kDeviceWindowGap = 20;
constexpr int kTimerMs = 10;

// Design client size.
constexpr int kWidth = 440;
constexpr int kHeight = 330;

using forms::named;

// Captions are the design names until the language file gives them.
QAction* item(QMenu* menu, const char* name) { return forms::item(menu, name, name); }
QMenu* submenu(QMenuBar* bar, const char* name) { return forms::submenu(bar, name, name); }

QLabel* label(QWidget* parent, const char* name, const char* text, QRect where,
              Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter)
{
    QLabel* l = forms::label(parent, name, QString::fromLatin1(text), where);
    l->setAlignment(align);
    return l;
}

QFrame* bevel(QWidget* parent, const char* name, QRect where)
{
    QFrame* f = named(new QFrame(parent), name);
    f->setFrameShape(QFrame::StyledPanel);
    f->setFrameShadow(QFrame::Sunken);
    f->setGeometry(where);
    return f;
}

// The board's flags are shown here, not set: a click must not suggest it
// changes the configuration.
QCheckBox* flag(QWidget* parent, const char* name, QRect where)
{
    QCheckBox* c = named(new QCheckBox(parent), name);
    c->setGeometry(where);
    c->setFocusPolicy(Qt::NoFocus);
    c->setAttribute(Qt::WA_TransparentForMouseEvents);
    return c;
}

TImage* lamp(QWidget* parent, const char* name, const QColor& colour, QRect where)
{
    TImage* i = named(new TImage(parent), name);
    i->setPixmap(lampPixmap(colour, where.width()));
    i->setGeometry(where);
    return i;
}

QLineEdit* angleEdit(QWidget* parent, const char* name, const char* text, QRect where)
{
    QLineEdit* e = named(new QLineEdit(QString::fromLatin1(text), parent), name);
    QFont f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    f.setPointSize(14);
    f.setBold(true);
    e->setFont(f);
    e->setReadOnly(true);
    e->setFocusPolicy(Qt::NoFocus);
    e->setGeometry(where);
    return e;
}

QLineEdit* gearEdit(QWidget* parent, const char* name, QRect where)
{
    QLineEdit* e = named(new QLineEdit(QStringLiteral("0"), parent), name);
    e->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    e->setGeometry(where);
    return e;
}

}  // namespace

TMain_View::TMain_View(QWidget* parent) : SignalReceiver<QWidget>(parent)
{
    setObjectName("Main_View");
    setWindowTitle(kCaption);
    resize(kWidth, kHeight);
    buildMenu();
    buildComponents();
    siderial = new platform::DisplayTimer(this);
    siderial->setObjectName("siderial");
    siderial->setInterval(kTimerMs);
    connect(siderial, &platform::DisplayTimer::timeout, this, [this] { siderialTimer(); });
    FormCreate();
    platform::onFormActivate(this, [this] { FormActivate(); });
}

TMain_View::~TMain_View() = default;

void TMain_View::buildMenu()
{
    MainMenu1 = named(new QMenuBar(this), "MainMenu1");

    File2 = submenu(MainMenu1, "File2");
    Objects1 = item(File2, "Objects1");
    Preselect1 = item(File2, "Preselect1");
    Exit1 = item(File2, "Exit1");

    File3 = submenu(MainMenu1, "File3");
    Manual1 = item(File3, "Manual1");
    Goto1 = item(File3, "Goto1");
    Track1 = item(File3, "Track1");
    Stop1 = item(File3, "Stop1");
    Park1 = item(File3, "Park1");
    Unpark1 = item(File3, "Unpark1");
    Flip1 = item(File3, "Flip1");
    UnFlip1 = item(File3, "UnFlip1");
    IOCtrl1 = item(File3, "IOCtrl1");
    Hardware1 = item(File3, "Hardware1");

    File1 = submenu(MainMenu1, "File1");
    Parameters1 = item(File1, "Parameters1");
    Language1 = item(File1, "Language1");
    Reset1 = item(File1, "Reset1");
    N1 = File1->addSeparator();
    N1->setObjectName("N1");
    Calibrate3 = item(File1, "Calibrate3");
    Calibrate2 = item(File1, "Calibrate2");
    Calibrate1 = item(File1, "Calibrate1");
    Reset2 = item(File1, "Reset2");
    Park2 = item(File1, "Park2");
    Allign1 = named(File1->addMenu(QStringLiteral("Allign1")), "Allign1");
    Allign1->menuAction()->setObjectName("Allign1");
    DataFile1 = item(Allign1, "DataFile1");
    Addentry1 = item(Allign1, "Addentry1");
    Calculate1 = item(Allign1, "Calculate1");

    Help1 = submenu(MainMenu1, "Help1");
    Help2 = item(Help1, "Help2");
    About1 = item(Help1, "About1");

    for (QAction* hidden : {Objects1, Preselect1, File3->menuAction(), Calibrate1, Park2, Allign1->menuAction()})
        hidden->setVisible(false);
    // Present until their windows exist.
    for (QAction* waiting : {Objects1, Preselect1, Manual1, IOCtrl1, Hardware1, Parameters1, Language1, About1})
        waiting->setEnabled(false);

    connect(Exit1, &QAction::triggered, this, [this] { close(); });
    connect(Manual1, &QAction::triggered, this, [this] {
        if (manualPad_)
            platform::bringToFront(manualPad_);
    });
    connect(Hardware1, &QAction::triggered, this, [this] { Hardware1Click(); });
    connect(Parameters1, &QAction::triggered, this, [this] { Parameters1Click(); });
    connect(Language1, &QAction::triggered, this, [this] { Language1Click(); });
    connect(Reset1, &QAction::triggered, this, [this] { Reset1Click(); });
    connect(Calibrate3, &QAction::triggered, this, [this] { Calibrate3Click(); });
    connect(Calibrate2, &QAction::triggered, this, [this] { Calibrate2Click(); });
    connect(Calibrate1, &QAction::triggered, this, [this] { Calibrate3Click(); });
    connect(Reset2, &QAction::triggered, this, [this] { Reset2Click(); });
    connect(Help2, &QAction::triggered, this, [this] { Help2Click(); });
    connect(About1, &QAction::triggered, this, [this] { About1Click(); });
}

void TMain_View::buildComponents()
{
    const int menuH = MainMenu1->sizeHint().height();
    MainMenu1->setGeometry(0, 0, kWidth, menuH);
    const int y0 = menuH + 8;

    // Position.
    Bevel1 = bevel(this, "Bevel1", {8, y0, 262, 96});
    curpos_bev_t = label(this, "curpos_bev_t", "Mount position", {18, y0 + 4, 240, 20});
    L_hor = label(this, "L_hor", "RA", {18, y0 + 30, 30, 26});
    tele_RA = angleEdit(this, "tele_RA", "0h00m00.0s", {50, y0 + 30, 210, 28});
    L_vert = label(this, "L_vert", "De", {18, y0 + 62, 30, 26});
    tele_dec = angleEdit(this, "tele_dec", "0d00'00.0\"", {50, y0 + 62, 210, 28});

    // Lamps: each "on" image lies over its "off" image.
    conn_led_off = lamp(this, "conn_led_off", QColor(120, 120, 120), {282, y0 + 22, 20, 20});
    conn_led_on = lamp(this, "conn_led_on", QColor(40, 200, 60), {282, y0 + 22, 20, 20});
    conn_led_on->hide();
    L_power = label(this, "L_power", "Motor power", {310, y0 + 22, 124, 20});
    abs_led_off = lamp(this, "abs_led_off", QColor(120, 120, 120), {282, y0 + 56, 20, 20});
    abs_led_on = lamp(this, "abs_led_on", QColor(40, 200, 60), {282, y0 + 56, 20, 20});
    abs_led_on->hide();
    L_Abs = label(this, "L_Abs", "Absolute encoders", {310, y0 + 56, 124, 20});

    // Status line.
    L_Object = named(new QLabel(this), "L_Object");
    L_Object->setGeometry(8, y0 + 104, kWidth - 16, 24);
    L_Object->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    L_Object->setIndent(4);

    // Board configuration: a column per flag, a row per axis.
    const int cy = y0 + 136;
    Bevel2 = bevel(this, "Bevel2", {8, cy, kWidth - 16, 96});
    const auto center = Qt::AlignHCenter | Qt::AlignVCenter;
    L_config = label(this, "L_config", "Board configuration", {18, cy + 4, 160, 20});
    L_mot_ccw = label(this, "L_mot_ccw", "Mot ccw", {60, cy + 22, 80, 20}, center);
    L_enc_ccw = label(this, "L_enc_ccw", "Enc ccw", {140, cy + 22, 80, 20}, center);
    L_mot_enc_cr = label(this, "L_mot_enc_cr", "Mot/enc align", {220, cy + 22, 100, 20}, center);
    L_gear = label(this, "L_gear", "Gear", {328, cy + 22, 96, 20}, center);
    L_ra = label(this, "L_ra", "RA", {18, cy + 44, 40, 22});
    L_de = label(this, "L_de", "De", {18, cy + 68, 40, 22});
    chk_ra_mot_ccw = flag(this, "chk_ra_mot_ccw", {91, cy + 44, 20, 22});
    chk_ra_enc_ccw = flag(this, "chk_ra_enc_ccw", {171, cy + 44, 20, 22});
    chk_ra_mot_enc_cr = flag(this, "chk_ra_mot_enc_cr", {261, cy + 44, 20, 22});
    chk_de_mot_ccw = flag(this, "chk_de_mot_ccw", {91, cy + 68, 20, 22});
    chk_de_enc_ccw = flag(this, "chk_de_enc_ccw", {171, cy + 68, 20, 22});
    chk_de_mot_enc_cr = flag(this, "chk_de_mot_enc_cr", {261, cy + 68, 20, 22});
    edt_RA_gear = gearEdit(this, "edt_RA_gear", {328, cy + 44, 96, 22});
    edt_DE_gear = gearEdit(this, "edt_DE_gear", {328, cy + 68, 96, 22});

    // Commands.
    const int by = cy + 106;
    B_Init = forms::button(this, "B_Init", "Init", {8, by, 80, 28});
    B_Align = forms::button(this, "B_Align", "Align", {94, by, 80, 28});
    B_Gear = forms::button(this, "B_Gear", "Gear", {180, by, 80, 28});
    B_save = forms::button(this, "B_save", "Save", {266, by, 80, 28});
    Button1 = forms::button(this, "Button1", "Comp", {352, by, 80, 28});
    for (QPushButton* b : {B_Align, B_Gear, B_save})
        b->setEnabled(false);
    for (QPushButton* b : {B_Init, B_Align, B_Gear, B_save})
        b->installEventFilter(this);
    // A set-up begins at Init: it has the focus at the start, and Enter
    // presses the command button that has it. A gear field with the focus
    // would have its caret blink (and repaint) all the time the window is idle.
    for (QPushButton* b : {B_Init, B_Align, B_Gear, B_save, Button1})
        b->setAutoDefault(true);
    B_Init->setFocus();
    connect(B_Init, &QPushButton::clicked, this, [this] { Calibrate3Click(); });
    connect(B_Align, &QPushButton::clicked, this, [this] { Calibrate2Click(); });
    connect(B_Gear, &QPushButton::clicked, this, [this] { Calibrate4Click(); });
    connect(B_save, &QPushButton::clicked, this, [this] { B_saveClick(); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });

    Version = label(this, "Version", "Version", {8, kHeight - 20, 300, 18});
    QFont small = Version->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    Version->setFont(small);
}

void TMain_View::FormCreate()
{
    SETUP_DONE = false;
    winsize::GET_OBJECTS(this);
    winsize::ADD_NONRESIZE("Version");
    // Numbers are written and read by locale-independent code throughout,
    // so there is no process number format to set.
    ADD_HANDLE(bus::Main_View, this);
    system_init::INIT();
    PLAYSND = TSound::CREATE();
    for (const char* name : kSoundNames)
        PLAYSND->ADD(name, GET_PARAM(name));
    LANGUAGE::INIT("orla_setup.lng." + GET_PARAM(param::Language));
    siderial->start();
}

// --- Wiring ----------------------------------------------------------------

void TMain_View::setDeviceWindow(QWidget* window)
{
    deviceWindow_ = window;
    Hardware1->setEnabled(window != nullptr);
}

void TMain_View::setManualPad(QWidget* pad)
{
    manualPad_ = pad;
    Manual1->setEnabled(pad != nullptr);
}

void TMain_View::setGraphWindow(QWidget* graph) { graph_ = graph; }

void TMain_View::setWizard(setup::SetupWizardLink* wizard) { wizard_ = wizard; }

void TMain_View::setEncoderDialog(TForm1* dialog) { encoderDialog_ = dialog; }

void TMain_View::setParameterEditor(std::function<bool()> runModal)
{
    parameterEditor_ = std::move(runModal);
    Parameters1->setEnabled(static_cast<bool>(parameterEditor_));
}

void TMain_View::setLanguageChooser(std::function<bool()> runModal)
{
    languageChooser_ = std::move(runModal);
    Language1->setEnabled(static_cast<bool>(languageChooser_));
}

void TMain_View::setAboutBox(std::function<void()> runModal)
{
    aboutBox_ = std::move(runModal);
    About1->setEnabled(static_cast<bool>(aboutBox_));
}

// --- Window events -----------------------------------------------------------

void TMain_View::FormActivate()
{
    // The language file's caption of the status line is a status: with a help
    // text shown it goes to the saved line, and the help stays.
    const QString help = L_Object->text();
    if (hoverShown_)
        L_Object->setText(forms::qstr(SAVE_OBJECT));
    LANGUAGE::SETALL(this);
    if (hoverShown_) {
        SAVE_OBJECT = L_Object->text().toStdString();
        L_Object->setText(help);
    }
    LANGUAGE::SETSTRING("Main_View", "Init_msg", INIT_MSG);
    LANGUAGE::SETSTRING("Main_View", "Align_msg", ALIGN_MSG);
    LANGUAGE::SETSTRING("Main_View", "Gear_msg", GEAR_MSG);
    LANGUAGE::SETSTRING("Main_View", "Save_msg", SAVE_MSG);
    LANGUAGE::SETSTRING("Main_View", "Quiet_msg", QUIET_MSG);
    // Once per failed load: closing the box activates this window again.
    LANGUAGE::REPORT_MISSING();
    if (!SETUP_DONE) {
        CONTROL::INIT();
        SETPRIORITYLEVEL(static_cast<std::uint8_t>(GET_IPARAM(param::Run_Priority) & 0xFF));
        Version->setText(forms::qstr("Version " + GET_FILE_INFO("") + " by Loridan"));
        SETUP_DONE = true;
        if (deviceWindow_)
            placeBesideMe(deviceWindow_, kDeviceWindowGap);
    }
    winsize::ADD_NONRESIZE("Version");
}

void TMain_View::FormResize()
{
    // Window_Scale is not a declared parameter: this reads false.
    if (GET_BPARAM(param::Window_Scale))
        winsize::PUBLISH_SCALE(this);
    Version->move(Version->x(), height() - (Version->height() + 2));
}

void TMain_View::FormClose()
{
    // Joins the loop (bounded), so its last frame goes out before the end.
    CONTROL::CTRL_CLOSE();
}

void TMain_View::resizeEvent(QResizeEvent* event)
{
    SignalReceiver<QWidget>::resizeEvent(event);
    MainMenu1->resize(width(), MainMenu1->height());
    FormResize();
}

void TMain_View::closeEvent(QCloseEvent* event)
{
    FormClose();
    event->accept();
    // The main window's close ends the program, whichever windows are open.
    QCoreApplication::quit();
}

void TMain_View::onSignal(const SignalEvent& message)
{
    switch (message.message()) {
    case WM_RA_MESSAGE: ONCHANGERA(message.param()); break;
    case WM_DE_MESSAGE: ONCHANGEDE(message.param()); break;
    case WM_TCP_MESSAGE: ONCHANGETCP(message.param()); break;
    case WM_DEMO_MESSAGE: ONDEMO(message.param()); break;
    case WM_STATUS_MESSAGE: ONSTATUS(message.param()); break;
    case WM_CAL_MESSAGE: ONCALIBRATE(message.param()); break;
    default: break;  // state, point and unpark reports have no use here
    }
}

bool TMain_View::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Enter) {
        if (watched == B_Init)
            B_InitMouseEnter();
        else if (watched == B_Align)
            B_AlignMouseEnter();
        else if (watched == B_Gear)
            B_GearMouseEnter();
        else if (watched == B_save)
            B_saveMouseEnter();
    } else if (event->type() == QEvent::Leave) {
        if (watched == B_Init || watched == B_Align || watched == B_Gear || watched == B_save)
            B_InitMouseLeave();
    }
    return SignalReceiver<QWidget>::eventFilter(watched, event);
}

// --- Messages ------------------------------------------------------------------

void TMain_View::ONCHANGERA(std::int64_t tenths)
{
    tele_RA->setText(forms::qstr(REALTOHOUR(static_cast<double>(tenths) / 10.0)));
}

void TMain_View::ONCHANGEDE(std::int64_t tenths)
{
    tele_dec->setText(forms::qstr(REALTODEG(static_cast<double>(tenths) / 10.0)));
}

void TMain_View::ONCHANGETCP(std::int64_t on)
{
    // TCP_Show is not a declared parameter and nothing posts this message.
    if (GET_BPARAM(param::TCP_Show)) {
        conn_led_off->show();
        conn_led_on->setVisible(on != 0);
    } else {
        conn_led_off->hide();
    }
}

void TMain_View::ONDEMO(std::int64_t param)
{
    if ((param & 0xFF) != 0) {
        setStatus(kDeviceNotFound);
        CONTROL::ABS_ENC = false;
        // No board, no motor power: the lamp must not say otherwise.
        CONTROL::BOARD_DISCONNECTED();
    } else {
        setStatus(kBoardDetected);
        CONTROL::GET_POWER = true;
    }
}

void TMain_View::ONSTATUS(std::int64_t param)
{
    setStatus(param == STATUS_BOARD_QUIET ? QUIET_MSG : kBoardDetected);
}

void TMain_View::ONCALIBRATE(std::int64_t param)
{
    const auto value = static_cast<std::int32_t>(static_cast<std::uint32_t>(param));
    if (value == 0)
        FILLCONFIG();
    else if (value == 4)
        Calibrate4Click();
    else
        Calibrate1Click();
}

// --- Set-up flow ---------------------------------------------------------------

void TMain_View::FILLCONFIG()
{
    const setup_flow::BoardConfig c = setup_flow::boardConfig();
    edt_RA_gear->setText(forms::qstr(c.raGear));
    edt_DE_gear->setText(forms::qstr(c.deGear));
    chk_ra_mot_ccw->setChecked(c.raMotCcw);
    chk_ra_enc_ccw->setChecked(c.raEncCcw);
    chk_de_mot_ccw->setChecked(c.deMotCcw);
    chk_de_enc_ccw->setChecked(c.deEncCcw);
    chk_ra_mot_enc_cr->setChecked(c.raMotEncCr);
    chk_de_mot_enc_cr->setChecked(c.deMotEncCr);
}

// A new Init, Align or Gear starts afresh: a run left going would go on from
// directions it has half learnt, or be completed with half turns it never
// measured.
void TMain_View::endRunningSetUp()
{
    if (wizard_ && wizard_->runInProgress())
        wizard_->cancelRun();
}

void TMain_View::Calibrate3Click()
{
    endRunningSetUp();
    setStatus(setup_flow::kDetectBoardSetup);
    setup_flow::requestBoardSetup();
}

void TMain_View::Calibrate2Click()
{
    endRunningSetUp();
    setup_flow::requestAlignment();
}

void TMain_View::Calibrate4Click()
{
    QWidget* wizard = wizard_ ? wizard_->window() : nullptr;
    if (!wizard)
        return;
    // A second set-up query's answer while the operator types the pulses: the
    // Gear waiting on the dialog goes on once it is closed.
    if (askingPulses_)
        return;
    endRunningSetUp();
    wizard_->setStep(CONTROL::STATE.load());
    SIGNAL(bus::Control, WM_STOP_MESSAGE, 0);
    const int wizardWidth = platform::frameSize(wizard, this).width();
    platform::placeOnScreen(wizard, {x() + frameGeometry().width() / 2 - wizardWidth / 2, y()}, this);
    FILLCONFIG();

    const setup_flow::GearPlan plan = setup_flow::planGear();
    if (plan.askPulses) {
        if (encoderDialog_) {
            platform::centreOn(encoderDialog_, this);
            askingPulses_ = true;
            encoderDialog_->exec();  // OK or the title bar: both go on alike
            askingPulses_ = false;
        }
        setup_flow::requestEncoderValues();
    }
    const std::int32_t step = setup_flow::startStep(plan, wizard_->step());
    wizard_->setStep(step);
    if (plan.directionPart) {
        setStatus(ALIGN_MSG);
        B_Align->setEnabled(true);
    }
    if (step < setup::SetupWizardLink::StepFinished) {
        // The wizard and the pad are one row, so neither covers the other:
        // a hidden pad opens there at the wizard's activation, an open one
        // moves there now.
        platform::dockBeside(this, 0, {wizard, manualPad_}, setup::kPadGap);
        wizard->show();
        wizard->repaint();
        wizard->raise();
        wizard->activateWindow();
    } else {
        if (CONTROL::ABS_ENC.load()) {
            edt_RA_gear->setText(setup_flow::kAbsEnc);
            edt_DE_gear->setText(setup_flow::kAbsEnc);
        }
        setStatus(setup_flow::kConfigurationDone);
    }
}

void TMain_View::Calibrate1Click() { setup_flow::requestClockSync(); }

void TMain_View::B_GearClick() { setup_flow::repeatSetupQuery(); }

void TMain_View::B_saveClick()
{
    const auto gears =
        setup_flow::parseGearTexts(edt_RA_gear->text().toStdString(), edt_DE_gear->text().toStdString());
    if (const std::string* wrong = std::get_if<std::string>(&gears)) {
        platform::dialogs().message(kBoxTitle, *wrong);
        return;
    }
    const auto& v = std::get<setup_flow::GearValues>(gears);
    CONTROL::SAVE_GEAR(v.ra, v.de);
}

void TMain_View::siderialTimer()
{
    display::setShown(conn_led_on, CONTROL::POWER_ON.load());
    if (CONTROL::DIR_INIT_DONE.load()) {
        display::setEnabled(B_Align, true);
        display::setEnabled(B_Gear, !CONTROL::ABS_ENC.load());
    }
    display::setShown(abs_led_on, CONTROL::ABS_ENC.load());
    if (!wizard_)
        return;
    if (const auto run = setup_flow::takeFinishedRun(*wizard_)) {
        chk_ra_mot_ccw->setChecked(run->raMotCcw);
        chk_ra_enc_ccw->setChecked(run->raEncCcw);
        chk_de_mot_ccw->setChecked(run->deMotCcw);
        chk_de_enc_ccw->setChecked(run->deEncCcw);
        if (run->raGear)
            edt_RA_gear->setText(forms::qstr(*run->raGear));
        if (run->deGear)
            edt_DE_gear->setText(forms::qstr(*run->deGear));
        setStatus(setup_flow::kSetupDone);
        if (run->saveAllowed)
            B_save->setEnabled(true);
    }
}

// --- Commands ------------------------------------------------------------------

void TMain_View::Button1Click()
{
    // Both come to the front whether or not they were open, the pad last.
    if (graph_)
        platform::bringToFront(graph_);
    if (manualPad_)
        platform::bringToFront(manualPad_);
}

void TMain_View::Hardware1Click()
{
    if (!deviceWindow_)
        return;
    placeBesideMe(deviceWindow_, kDeviceWindowGap);
    deviceWindow_->show();
}

void TMain_View::Parameters1Click()
{
    if (!parameterEditor_ || !parameterEditor_())
        return;
    CONTROL::ACTIVATE_PARAM_LIST();
    activateWindow();
    FormActivate();
}

void TMain_View::Language1Click()
{
    if (languageChooser_ && languageChooser_())
        FormActivate();
}

void TMain_View::Reset1Click() { system_init::INIT_PARAM(); }

void TMain_View::Reset2Click() { HAL::SEND_MASTER_RESET(); }

void TMain_View::Help2Click() { platform::desktop().openDocument(kHelpFile); }

void TMain_View::About1Click()
{
    if (aboutBox_)
        aboutBox_();
}

void TMain_View::B_InitMouseEnter() { showHoverHelp(INIT_MSG); }

void TMain_View::B_AlignMouseEnter() { showHoverHelp(ALIGN_MSG); }

void TMain_View::B_GearMouseEnter() { showHoverHelp(GEAR_MSG); }

void TMain_View::B_saveMouseEnter() { showHoverHelp(SAVE_MSG); }

void TMain_View::B_InitMouseLeave()
{
    if (hoverShown_)  // else a status set meanwhile is already the line
        setStatus(SAVE_OBJECT);
}

void TMain_View::showHoverHelp(const std::string& help)
{
    // The four buttons share the one saved text. An enter whose leave never
    // came (a menu or a box took the pointer) would otherwise save a help text
    // as the status, to stay there for good.
    if (!hoverShown_)
        SAVE_OBJECT = L_Object->text().toStdString();
    L_Object->setText(forms::qstr(help));
    hoverShown_ = true;
}

void TMain_View::placeBesideMe(QWidget* window, int gap)
{
    platform::dockBeside(this, gap, {window});
}

void TMain_View::setStatus(const std::string& text)
{
    // What the program says replaces a help text and is what a leave keeps.
    hoverShown_ = false;
    L_Object->setText(forms::qstr(text));
}
