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

private:
    std::int32_t step_ = StepIdle;
    std::int32_t result_ = NoResult;
    double ra_ = 0.0, de_ = 0.0;
};

}  // namespace testing_support
