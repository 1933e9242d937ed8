#pragma once
// What one run of the program keeps, put back to its start for a test.

#include "board/hal.h"
#include "core/params.h"
#include "core/system_init.h"

namespace testing_support {

// The declared parameters at their defaults, the board values at their
// start, the dummy device off, the digital outputs at 0 and frames let
// through.
inline void freshBoardRun()
{
    PARAM_CLEAR();
    system_init::INIT_PARAM();
    HAL::RESET_BOARD_VALUES();
    HAL::DUMMY_SELECT = false;
    HAL::DIGIO = 0;
    HAL::UNSEAL();
}

}  // namespace testing_support
