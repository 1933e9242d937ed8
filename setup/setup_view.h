#pragma once
// The set-up wizard's window. It guides the operator through the direction
// part (slew with the pad until both axes are learnt) and the gear part
// (turn each axis half a turn), docks the manual pad beside itself, and
// shows the mount sketch while an axis is to be turned. The run itself is a
// setup::SetupRun; this window feeds it its 10 ms timer, its activations and
// its buttons, and shows what the run says.
//
// The main window's set-up flow reaches it as a setup::SetupWizardLink: it
// sets the step (1 or 5) before showing it, and completes a run that ended at
// step 10 with result 1 from the two gear factors.
//
// User-interface thread only.

#include "setup/setup_run.h"
#include "setup/wizard_link.h"

#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <memory>

class QLabel;
class QPushButton;
class QTimer;

namespace setup {

// A tick mark: painted, not a label, so translating the window never wipes it.
class TickMark final : public QWidget {
    Q_OBJECT
public:
    explicit TickMark(QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
};

// The paint box that draws the mount sketch for the current pose.
class SketchBox final : public QWidget {
    Q_OBJECT
public:
    explicit SketchBox(QWidget* parent);
    void setPose(double HROT, double VROT);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double hrot_ = 0.0, vrot_ = 0.0;
};

}  // namespace setup

class TSetup final : public QWidget, public setup::SetupWizardLink, private setup::SetupRun::Window {
    Q_OBJECT
public:
    // Runs the parameter store's start-up again and reads "orla_setup.ini"
    // from the working folder over it.
    explicit TSetup(QWidget* parent = nullptr, setup::SetupMount& mount = setup::controlMount());
    ~TSetup() override;

    // --- What the main window's set-up flow uses ------------------------------
    QWidget* window() override { return this; }
    std::int32_t step() const override { return run_->STATE; }
    void setStep(std::int32_t step) override { run_->STATE = step; }
    std::int32_t modalResult() const override { return run_->ModalResult; }
    void setModalResult(std::int32_t result) override { run_->ModalResult = result; }
    double raFactor() const override { return run_->RA_DIFF; }
    double deFactor() const override { return run_->DE_DIFF; }
    bool runInProgress() const override { return run_->running(); }
    void cancelRun() override { B_CancelClick(); }

    // The manual pad docked beside the wizard; not owned.
    void setPad(QWidget* pad) { pad_ = pad; }

    setup::SetupRun& run() { return *run_; }
    const setup::SetupRun& run() const { return *run_; }

    // Handlers.
    void FormActivate();
    void Timer1Timer();
    void B_OKClick();
    void B_CancelClick();

    // Tests drive Timer1Timer themselves: the real timers then stay idle.
    void setManualTicks(bool manual);

    QLabel* L_mv_hor;
    setup::TickMark* chk_mvhor;
    QLabel* L_mv_ver;
    setup::TickMark* chk_mvver;
    QLabel* message1;
    setup::SketchBox* PaintBox1;
    QPushButton* B_OK;
    QPushButton* B_Cancel;
    QTimer* Timer1;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void hideWizard() override;
    void hidePad() override;
    void showLook();
    void syncTimers();
    void writerTimer();

    std::unique_ptr<setup::SetupRun> run_;
    setup::SetupTexts texts_;
    QPointer<QWidget> pad_;
    QTimer* writer_;  // hands a configuration still waiting after the run to the loop
    bool manualTicks_ = false;
};
