#pragma once
// The commands of the control window: each requests a control state for the
// loop's next cycle, sets the target or the manual speeds, and passes some
// messages on. User-interface thread only; the control window's message
// handlers call them.

#include "core/Signals.h"

#include <cstdint>
#include <memory>

namespace CONTROL {

// Both are the control window's own, user-interface thread only; the loop
// never reads them.
// The state to return to when the direction keys are released.
extern std::int32_t SAVED_CONTROL_STATE;
// The current object: the last point record received or made here.
extern std::shared_ptr<Tpoint_data> OBJ;

// The start state.
std::int32_t GET_INIT_CONTROL(bool UNPARK);

void ONPOINT(const std::shared_ptr<Tpoint_data>& point);
void ONSTOP();
void ONTRACK();
void ONBUTTON(const std::shared_ptr<THWdata>& buttons);
void ONPOWER(std::int64_t power);
void ONCALIBRATE(const std::shared_ptr<Tpoint_data>& point);
void ONIO(const std::shared_ptr<THWdata>& outputs);
void ONPARK();
void ONUNPARK(const std::shared_ptr<Tpoint_data>& point);

// Back to the start (tests).
void RESET_COMMANDS();

}  // namespace CONTROL
