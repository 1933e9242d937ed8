#pragma once
// The names the code looks up, written once: the windows the bus posts to,
// as they register, and the parameters, as the declaration spells them (or,
// for the ones not declared, as the settings files are expected to). Lookups
// ignore letter case, so a second spelling would read the same value; one
// spelling keeps a typo from reading 0 without anyone noticing.

#include <string_view>

namespace bus {

inline constexpr std::string_view Main_View = "Main_View";
inline constexpr std::string_view Control = "Control";
inline constexpr std::string_view F_Manual = "F_Manual";
inline constexpr std::string_view F_preselect = "F_preselect";
inline constexpr std::string_view Calibration = "Calibration";

}  // namespace bus

namespace param {

inline constexpr std::string_view Cycle_Time = "Cycle_Time";
inline constexpr std::string_view DE_enc_CCW = "DE_enc_CCW";
inline constexpr std::string_view DE_mot_CCW = "DE_mot_CCW";
inline constexpr std::string_view DEC_CAL = "DEC_CAL";
inline constexpr std::string_view Dec_resolution = "Dec_resolution";
inline constexpr std::string_view Enc_swap = "Enc_swap";
inline constexpr std::string_view Equatorial = "Equatorial";
inline constexpr std::string_view Free_lock = "Free_lock";
inline constexpr std::string_view GetStar = "GetStar";
inline constexpr std::string_view Hide_NonVisible = "Hide_NonVisible";
inline constexpr std::string_view INIT_STATE = "INIT_STATE";
inline constexpr std::string_view Language = "Language";
inline constexpr std::string_view Lat = "Lat";
inline constexpr std::string_view Lock_Sound = "Lock_Sound";
inline constexpr std::string_view Long = "Long";
inline constexpr std::string_view Man_auto_speed = "Man_auto_speed";
inline constexpr std::string_view man_ramp_up = "man_ramp_up";
inline constexpr std::string_view Manual_speed = "Manual_speed";
inline constexpr std::string_view Merid_Flip_Enable = "Merid_Flip_Enable";
inline constexpr std::string_view Object_File = "Object_File";
inline constexpr std::string_view Park_Alt = "Park_Alt";
inline constexpr std::string_view Park_Az = "Park_Az";
inline constexpr std::string_view Parked = "Parked";
inline constexpr std::string_view Power_check = "Power_check";
inline constexpr std::string_view RA_CAL = "RA_CAL";
inline constexpr std::string_view RA_enc_CCW = "RA_enc_CCW";
inline constexpr std::string_view RA_mot_CCW = "RA_mot_CCW";
inline constexpr std::string_view RA_resolution = "RA_resolution";
inline constexpr std::string_view Run_Priority = "Run_Priority";
inline constexpr std::string_view save_hpos = "save_hpos";
inline constexpr std::string_view save_vpos = "save_vpos";
inline constexpr std::string_view Setup_align = "Setup_align";
inline constexpr std::string_view Setup_done = "Setup_done";
inline constexpr std::string_view Setup_Range = "Setup_Range";
inline constexpr std::string_view ST4_Enable = "ST4_Enable";
inline constexpr std::string_view ST4_Hor_Speed = "ST4_Hor_Speed";
inline constexpr std::string_view ST4_Vert_Speed = "ST4_Vert_Speed";
inline constexpr std::string_view TCP_Show = "TCP_Show";
inline constexpr std::string_view TrackSpeed = "TrackSpeed";
inline constexpr std::string_view USB_DEV = "USB_DEV";
inline constexpr std::string_view USB_Vendor_ID = "USB_Vendor_ID";
inline constexpr std::string_view WD_Timer = "WD_Timer";
inline constexpr std::string_view Window_Scale = "Window_Scale";

}  // namespace param
