#pragma once
// Stands in for the set-up wizard: a plain window and the values the main
// window reads and writes through the wizard link.

#include "setup/wizard_link.h"

#include <QWidget>

namespace testing_support {

class FakeWizard final : public setup::SetupWizardLink {
public:
    FakeWizard()
    {
        window_.setObjectName("Setup");
        window_.resize(400, 344);
    }

    QWidget* window() override { return &window_; }
    std::int32_t step() const override { return step_; }
    void setStep(std::int32_t step) override { step_ = step; }
    std::int32_t modalResult() const override { return result_; }
    void setModalResult(std::int32_t result) override { result_ = result; }
    double raFactor() const override { return ra_; }
    double deFactor() const override { return de_; }
    bool runInProgress() const override { return running_; }
    void cancelRun() override
    {
        ++cancelled;
        running_ = false;
        window_.hide();
        cancel();
    }
    // A run begun and not yet ended.
    void begin(std::int32_t step)
    {
        step_ = step;
        result_ = NoResult;
        running_ = true;
    }

    // A run that ended with OK at its last step, having measured these factors.
    void finish(double ra, double de)
    {
        ra_ = ra;
        de_ = de;
        step_ = StepFinished;
        result_ = ResultOk;
    }
    void cancel()
    {
        step_ = StepFinished;
        result_ = ResultCancel;
    }

    QWidget window_;
    int cancelled = 0;  // runs ended through cancelRun()

private:
    std::int32_t step_ = StepIdle;
    std::int32_t result_ = NoResult;
    double ra_ = 0.0, de_ = 0.0;
    bool running_ = false;
};

}  // namespace testing_support
