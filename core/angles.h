#pragma once
// Angle texts: an angle is a double of arcseconds (a full turn is 1296000);
// right ascension is an angle too, 15 arcseconds per second of time.
// Pure functions, safe on any thread.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// "-" or a blank, degrees padded to three places with two blanks per missing
// digit, "d", minutes, "'", seconds, ".", tenths, and a double quote.
std::string REALTODEG(double DE);
// "-" or nothing, hours padded to two places the same way, "h", minutes, "m",
// seconds, ".", tenths, "s".
std::string REALTOHOUR(double RA);
// The readers never fail: a text they cannot read gives 0.0.
double DEGTOREAL(std::string_view DE);
double HOURTOREAL(std::string_view RA);
// The same readers telling a text that cannot be read (nothing) from 0.
std::optional<double> READ_DEG(std::string_view DE);
std::optional<double> READ_HOUR(std::string_view RA);
// True when STR fits a template of bracketed limits and separators, such as
// "[23]h[59]m[59].[9]s"; "[-]" allows a minus sign in the fields after it.
bool CHECK_FORMAT(std::string_view STR, std::string_view FORMAT);
// STR with JST_CHR put in front once per character it is short of WIDTH.
std::string JUSTIFY(std::string_view STR, std::string_view JST_CHR, std::int32_t WIDTH);

namespace angle_text {
// A number inside an angle text: no blank anywhere, control characters
// dropped at both ends, then the store's decimal syntax. Never NaN or infinite.
bool readNumber(std::string_view s, double& value);
}  // namespace angle_text
