#include "setup/setup_flow.h"

#include "board/control.h"
#include "board/frames.h"
#include "core/names.h"
#include "core/params.h"
#include "core/rounding.h"
#include "core/text.h"

#include <cmath>

namespace setup_flow {
namespace {

using setup::SetupWizardLink;

std::optional<std::int32_t> boardGear(std::string_view text)
{
    // A number beyond 32 bits is refused, not cut to its low bits.
    const std::optional<std::int32_t> v = param_text::toInt32(text);
    if (!v || *v < 1)
        return std::nullopt;
    return v;
}

std::optional<std::string> correctedText(std::int32_t gear, double factor)
{
    if (const std::optional<std::int64_t> g = correctedGear(gear, factor))
        return text::decimal(*g);
    return std::nullopt;
}

}  // namespace

BoardConfig boardConfig()
{
    BoardConfig c;
    c.raGear = text::decimal(CONTROL::HW_RA_GEAR.load());
    c.deGear = text::decimal(CONTROL::HW_DE_GEAR.load());
    c.raMotCcw = CONTROL::RA_MOT_CCW.load();
    c.raEncCcw = CONTROL::RA_ENC_CCW.load();
    c.deMotCcw = CONTROL::DE_MOT_CCW.load();
    c.deEncCcw = CONTROL::DE_ENC_CCW.load();
    c.raMotEncCr = CONTROL::RA_MOT_ENC_CR.load();
    c.deMotEncCr = CONTROL::DE_MOT_ENC_CR.load();
    return c;
}

void requestBoardSetup()
{
    CONTROL::SETUP_COMMAND = CONTROL::INIT_CMD;
    CONTROL::GET_POWER = true;
}

void requestAlignment()
{
    SET_PARAM(param::Setup_align, true);
    CONTROL::GET_INIT = true;
    CONTROL::STATE = SetupWizardLink::StepGears;
}

void repeatSetupQuery()
{
    CONTROL::GET_INIT_COUNT = 0;
    CONTROL::GET_INIT = true;
    HAL::HW_CONFIG_RECEIVED = 0;
}

void requestClockSync() { CONTROL::SET_TIME_SYNC = true; }

void requestEncoderValues()
{
    CONTROL::GET_INIT_COUNT = 0;
    HAL::HW_CONFIG_RECEIVED = 0;
    CONTROL::SET_ENC_VAL = true;
}

GearPlan planGear()
{
    GearPlan p;
    p.askPulses = !CONTROL::DIR_INIT_DONE.load();
    p.directionPart = p.askPulses || GET_BPARAM(param::Setup_align);
    return p;
}

std::int32_t startStep(const GearPlan& plan, std::int32_t current)
{
    if (plan.directionPart) {
        SET_PARAM(param::Setup_done, false);
        SET_PARAM(param::Setup_align, false);
        return SetupWizardLink::StepDirections;
    }
    // Setup_done is not a declared parameter, so this reads false.
    return GET_BPARAM(param::Setup_done) ? SetupWizardLink::StepFinished : current;
}

std::optional<FinishedRun> takeFinishedRun(SetupWizardLink& wizard)
{
    if (wizard.step() != SetupWizardLink::StepFinished || wizard.modalResult() != SetupWizardLink::ResultOk)
        return std::nullopt;
    wizard.setModalResult(SetupWizardLink::NoResult);
    wizard.setStep(SetupWizardLink::StepIdle);
    SET_PARAM(param::Setup_done, true);

    FinishedRun run;
    run.raMotCcw = CONTROL::RA_MOT_CCW.load();
    run.raEncCcw = CONTROL::RA_ENC_CCW.load();
    run.deMotCcw = CONTROL::DE_MOT_CCW.load();
    run.deEncCcw = CONTROL::DE_ENC_CCW.load();
    if (CONTROL::ABS_ENC.load()) {
        // Absolute encoders measure no half turns; there is no gear to correct.
        run.raGear = run.deGear = kAbsEnc;
    } else {
        run.raGear = correctedText(CONTROL::HW_RA_GEAR.load(), wizard.raFactor());
        run.deGear = correctedText(CONTROL::HW_DE_GEAR.load(), wizard.deFactor());
        run.saveAllowed = true;
    }
    return run;
}

std::optional<std::int64_t> correctedGear(std::int32_t gear, double factor)
{
    // The sign only tells which way the axis was turned.
    return num::roundHalfEven<std::int64_t>(std::fabs(static_cast<double>(gear) * factor));
}

std::variant<GearValues, std::string> parseGearTexts(std::string_view ra, std::string_view de)
{
    const std::optional<std::int32_t> r = boardGear(ra);
    const std::optional<std::int32_t> d = boardGear(de);
    if (r && d)
        return GearValues{*r, *d};
    const char* which = !r && !d ? "The RA and Dec gears must be whole numbers"
                        : !r     ? "The RA gear must be a whole number"
                                 : "The Dec gear must be a whole number";
    return std::string(which) + " from 1 to 2147483647. Nothing was written to the board.";
}

}  // namespace setup_flow
