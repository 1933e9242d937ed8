#pragma once
// Positions of the Sun and the planets for a day, from the mean orbital
// elements and their rates in the elements file beside the program (read
// afresh at every lookup, so an edit counts at the next one). The method
// solves Kepler's equation for the body and for the Earth and turns the
// difference into a geocentric equatorial direction (mean equinox J2000).
// It also maps the planet names of the user's language to the names the file
// knows the bodies by. User-interface thread (it may show boxes).
//
// Elements file: lines of at most 255 bytes; a line starting with "#" is a
// comment. A record is two lines: the name and A E I L LP LN, then a line
// whose first field is ignored and the rates per Julian century AC EC IC LC
// LPC LNC (the angle rates in arcseconds). Fields are separated by blanks
// only; numbers use ".". A record counts only when all twelve numbers read;
// of several with one name the last wins; names match in any letter case.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace PLANETS {

inline constexpr const char* kElementsFile = "p_elem_t2.txt";
// A larger elements file is taken as unreadable.
inline constexpr std::size_t kMaxElementsBytes = 1024u * 1024u;
inline constexpr std::size_t kMaxElementsLine = 255;

inline constexpr const char* kMissingTitle = "Missing File";
inline constexpr const char* kMissingText = "The panet infromation file is missing. No planet positions availeble.";
inline constexpr const char* kTooLargeTitle = "File Too Large";

// The bodies as the elements file names them, the Sun first.
inline constexpr std::array<const char*, 9> PLANET_NAMES = {
    "Sun", "Mercury", "Venus", "Mars", "Jupiter", "Saturn", "Uranus", "Neptune", "Pluto"};

struct T_ELEMENT {
    double A = 0, E = 0, I = 0, L = 0, LP = 0, LN = 0;        // AU, -, degrees
    double AC = 0, EC = 0, IC = 0, LC = 0, LPC = 0, LNC = 0;  // per century; angles in arcseconds
};

// Elements for a day: A in AU, E, and the angles in radians (only L reduced).
struct MEAN {
    double A = 0, E = 0, I = 0, L = 0, LP = 0, LN = 0;
};

// One row of the planet table: display name, hour text, degree text.
using TP_ROW = std::array<std::string, 3>;
using TP_LIST = std::array<TP_ROW, 9>;

// Days since the noon of 1 January 2000 (valid 1901 to 2099).
double DAY_NUMBER(double Y, double M, double D, double HOUR, double MINS);
// The day number of the present minute, in universal time.
double DAY_NUMBER_NOW();

// The N-th blank-separated field of LINE, from 1; empty when there is none.
std::string ELEMENT(std::int32_t N, std::string_view LINE);
// The last complete record of PLANET in the text of an elements file.
std::optional<T_ELEMENT> GET_ELEMENTS(std::string_view FILE_TEXT, std::string_view PLANET);

MEAN MEAN_ELEMENTS(const T_ELEMENT& PLANET, double SD);
// Into [0, 2pi]; 2pi itself is kept. A value that is not finite stays so.
double MOD2PI(double VAL);
// The true anomaly in [0, 2pi) for mean anomaly M and eccentricity E in
// [0, 1); nothing when Kepler's equation does not converge in 50 steps.
std::optional<double> TRUE_ANOMALY(double M, double E);

// The geocentric direction of PLANET (a name of the file) on day SD from the
// text of an elements file: RA in [0, 360] and DEC in degrees. On failure
// `problem` says why, for the operator.
bool CALCULATE(std::string_view FILE_TEXT, std::string_view PLANET, double SD, double& RA, double& DEC,
               std::string& problem);

// The file's name of a body given its name in the current language; a name
// the language does not list comes back as it is.
std::string NAME_REPLACE(std::string_view NAME);

// The hour text of the core writers, and their degree text without the sign
// blank for a value that is not negative.
std::string REALTOHOUR(double RA);
std::string REALTODEG(double DE);

// The elements file beside the program.
std::string ELEMENTS_PATH();

// The body's direction as texts. False, with the zero texts, after a box
// that tells the operator why: the elements file is missing or unreadable,
// it holds no complete record of the body or of the Earth, or the orbit
// cannot be solved.
bool CALC_PLANET(std::string_view NAME, double DN, std::string& RASTR, std::string& DECSTR);

// The Sun and the planets now, under their display names; stops at the first
// body that cannot be computed.
TP_LIST PLANET_LIST();
// The same with the count of rows computed: the row at `computed` holds the
// zero texts, which read as a place though they name none, and the rows
// after it stay empty.
struct TP_TABLE {
    TP_LIST rows;
    std::size_t computed = 0;
};
TP_TABLE PLANET_TABLE();

}  // namespace PLANETS
