#pragma once
// The main window's side of the mount set-up, without the window: what the
// board's configuration shows, the requests behind the Init, Align and Gear
// commands, where the set-up wizard starts, the gear correction of a finished
// run and the check of the gear texts before they go to the board.
//
// User-interface thread only. The requests reach the control loop through
// the control module's flags, which its loop polls.

#include "setup/wizard_link.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace setup_flow {

// Status texts of the flow; written as they stand, never translated.
inline constexpr const char* kDetectBoardSetup = "Detect board setup";
inline constexpr const char* kConfigurationDone = "Configuration done";
inline constexpr const char* kSetupDone = "Setup done";
// What the gear edits show for a board with absolute encoders.
inline constexpr const char* kAbsEnc = "Abs enc";

// The board's configuration as last read, as the main window shows it.
struct BoardConfig {
    std::string raGear, deGear;  // signed decimal texts
    bool raMotCcw = false, raEncCcw = false, deMotCcw = false, deEncCcw = false;
    bool raMotEncCr = false, deMotEncCr = false;
};
BoardConfig boardConfig();

// Init: the power and configuration are read, then the set-up query runs.
void requestBoardSetup();
// Align: the set-up query runs and the wizard starts from its direction part.
void requestAlignment();
// The set-up query once more, from a fresh retry count and an empty mailbox.
void repeatSetupQuery();
// The loop's clock synchronisation.
void requestClockSync();
// The encoder pulses per revolution go to the board, read from the encoder
// pulses dialog by the loop.
void requestEncoderValues();

// How the Gear command goes on, decided from the board state.
struct GearPlan {
    bool askPulses = false;      // the board's direction set-up is not done: ask first
    bool directionPart = false;  // the wizard runs from its direction part
};
// Reads the board's direction set-up and parameter Setup_align.
GearPlan planGear();
// The step the wizard starts at, `current` being the step Gear set from the
// control module's STATE. Starting the direction part also switches
// Setup_align off, so the next Gear goes by STATE alone.
std::int32_t startStep(const GearPlan& plan, std::int32_t current);

// A finished run (step 10 ended by OK) as the main window completes it.
struct FinishedRun {
    // The directions as the wizard left them.
    bool raMotCcw = false, raEncCcw = false, deMotCcw = false, deEncCcw = false;
    // The corrected gear texts; nullopt leaves an edit as it is.
    std::optional<std::string> raGear, deGear;
    bool saveAllowed = false;  // incremental encoders only
};
// When the wizard has finished a run with OK: marks the run completed (step
// 0, no result) and returns what to show; otherwise nothing, so each run is
// completed once and a cancelled run not at all.
std::optional<FinishedRun> takeFinishedRun(setup::SetupWizardLink& wizard);

// The gear the measured factor asks for: |round(gear × factor)|, halves to
// even; nothing when the product is not a finite number that fits.
std::optional<std::int64_t> correctedGear(std::int32_t gear, double factor);

struct GearValues {
    std::int32_t ra = 0, de = 0;
};
// Both gear texts as the board takes them (whole numbers from 1 to
// 2147483647), or the message telling the operator which one is wrong.
std::variant<GearValues, std::string> parseGearTexts(std::string_view ra, std::string_view de);

}  // namespace setup_flow
