#pragma once
// What the main window needs of the set-up wizard: its window, the step it
// is at, how its last run ended and the two gear correction factors it
// measured. The wizard (or an adapter over its unit variables) implements it;
// everything here runs on the user-interface thread.

#include "board/control.h"

#include <cstdint>

class QWidget;

namespace setup {

// Between the wizard's frame and the pad's, which opens right beside it.
inline constexpr int kPadGap = 10;

class SetupWizardLink {
public:
    // How a run ended, as the wizard's OK and Cancel buttons record it.
    enum : std::int32_t { NoResult = 0, ResultOk = 1, ResultCancel = 2 };
    // The steps the main window sets or looks for.
    enum : std::int32_t {
        StepIdle = 0,
        StepDirections = CONTROL::WIZARD_DIRECTIONS,
        StepGears = 5,
        StepFinished = CONTROL::WIZARD_FINISHED
    };

    virtual ~SetupWizardLink() = default;

    // The wizard's window; the main window places, shows and activates it,
    // and its activation prepares the step.
    virtual QWidget* window() = 0;
    // The step (0 idle, 1 to 8 running, 10 finished or cancelled).
    virtual std::int32_t step() const = 0;
    virtual void setStep(std::int32_t step) = 0;
    // How the last run ended: NoResult, ResultOk or ResultCancel.
    virtual std::int32_t modalResult() const = 0;
    virtual void setModalResult(std::int32_t result) = 0;
    // Raw counts moved during the operator's half turn of each axis divided
    // by half a 24-bit turn (2^23): 1.0 when the board's gear is right; 0.0
    // until a run has measured it.
    virtual double raFactor() const = 0;
    virtual double deFactor() const = 0;
    // A run is in progress: begun at an activation, not yet ended by its
    // last OK or by Cancel.
    virtual bool runInProgress() const = 0;
    // Ends the run in progress as Cancel does: the wizard hidden and what the
    // run changed put back.
    virtual void cancelRun() = 0;
};

}  // namespace setup
