#include "sky/planets.h"

#include "core/angles.h"
#include "core/language.h"
#include "core/params.h"
#include "core/system_init.h"
#include "core/text.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/input_file.h"
#include "sky/files.h"

#include <cmath>
#include <vector>

namespace PLANETS {
namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr double DEGS = 57.29577951308232;
constexpr double RADS = 0.017453292519943295;
constexpr double kDaysPerCentury = 36525.0;
constexpr double kObliquity = 23.439281;
constexpr double kKeplerTolerance = 1e-8;
constexpr int kKeplerSteps = 50;
constexpr const char* kProblemTitle = "Planet position";
// The rows' names where the language file gives none: the file's own.
std::string defaultRowNames()
{
    std::string names;
    for (const char* n : PLANET_NAMES)
        names.append(names.empty() ? "" : ";").append(n);
    return names;
}

bool isBlank(char c) { return c == ' '; }

std::optional<double> number(std::string_view field) { return param_text::toFloat(field); }

// Fields 2 to 7 of a line; nothing unless all six read as numbers.
std::optional<std::array<double, 6>> sixNumbers(std::string_view line)
{
    std::array<double, 6> v{};
    for (std::int32_t k = 0; k < 6; ++k) {
        const auto n = number(ELEMENT(k + 2, line));
        if (!n)
            return std::nullopt;
        v[static_cast<std::size_t>(k)] = *n;
    }
    return v;
}

struct Heliocentric {
    double x = 0, y = 0, z = 0;
};

bool finite(const MEAN& m)
{
    for (double v : {m.A, m.E, m.I, m.L, m.LP, m.LN})
        if (!std::isfinite(v))
            return false;
    return true;
}

// The propagated orbit's radius and true anomaly plus the longitude of the
// perihelion; nothing when the orbit is no ellipse or Kepler's equation fails.
struct Orbit {
    double r = 0, v = 0;
};

std::optional<Orbit> orbit(const MEAN& m)
{
    if (!finite(m) || m.E < 0.0 || m.E >= 1.0)
        return std::nullopt;
    const auto v = TRUE_ANOMALY(MOD2PI(m.L - m.LP), m.E);
    if (!v)
        return std::nullopt;
    return Orbit{m.A * (1 - m.E * m.E) / (1 + m.E * std::cos(*v)), *v};
}

std::string zeroHour() { return REALTOHOUR(0); }
std::string zeroDeg() { return REALTODEG(0); }

}  // namespace

double DAY_NUMBER(double Y, double M, double D, double HOUR, double MINS)
{
    const double f = MINS / 60 + HOUR;
    const double g = std::floor((M + 9) / 12);
    const double h = std::floor((Y + g) * 7 * 0.25);
    const double k = std::floor(275 * M / 9);
    return (k + (367 * Y - h)) + D - 730531.5 + f / 24;
}

double DAY_NUMBER_NOW()
{
    const platform::LocalTime t = platform::clock().now();
    const std::int32_t minutes = t.msOfDay / 60000;
    // The local fields less the zone's offset: the planets move on universal time.
    return DAY_NUMBER(t.year, t.month, t.day, minutes / 60,
                      minutes % 60 - static_cast<double>(t.utcOffsetSeconds) / 60.0);
}

std::string ELEMENT(std::int32_t N, std::string_view LINE)
{
    std::string_view rest = LINE, word;
    for (std::int32_t n = 0; n < N; ++n) {
        const std::size_t blank = rest.find(' ');
        word = rest.substr(0, blank == std::string_view::npos ? rest.size() : blank + 1);
        rest = blank == std::string_view::npos ? std::string_view() : rest.substr(blank);
        std::size_t k = 0;
        while (k < rest.size() && isBlank(rest[k]))
            ++k;
        rest.remove_prefix(k);
        if (word.empty())
            break;  // every further field is empty too
    }
    return text::trimControl(word);
}

std::optional<T_ELEMENT> GET_ELEMENTS(std::string_view FILE_TEXT, std::string_view PLANET)
{
    const std::vector<std::string> lines = skyfiles::splitLines(FILE_TEXT, kMaxElementsLine);
    std::optional<T_ELEMENT> found;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (!line.empty() && line.front() == '#')
            continue;
        if (!text::equalsNoCase(ELEMENT(1, line), PLANET))
            continue;
        // The next line holds the rates, whatever it is; it is used up here.
        const auto elements = sixNumbers(line);
        const auto rates = i + 1 < lines.size() ? sixNumbers(lines[i + 1]) : std::nullopt;
        ++i;
        if (!elements || !rates)
            continue;  // an incomplete record does not count
        const auto& e = *elements;
        const auto& r = *rates;
        found = T_ELEMENT{e[0], e[1], e[2], e[3], e[4], e[5], r[0], r[1], r[2], r[3], r[4], r[5]};
    }
    return found;
}

MEAN MEAN_ELEMENTS(const T_ELEMENT& P, double SD)
{
    const double CY = SD / kDaysPerCentury;
    MEAN m;
    m.A = P.AC * CY + P.A;
    m.E = P.EC * CY + P.E;
    m.I = RADS * (P.IC * CY / 3600 + P.I);
    m.LP = RADS * (P.LPC * CY / 3600 + P.LP);
    m.LN = RADS * (P.LNC * CY / 3600 + P.LN);
    m.L = MOD2PI(RADS * (P.LC * CY / 3600 + P.L));
    return m;
}

double MOD2PI(double VAL)
{
    if (!std::isfinite(VAL))
        return VAL;
    // Beyond one span a remainder: a step that no longer changes a huge
    // double would never arrive.
    if (VAL < -kTwoPi || VAL > 2 * kTwoPi)
        VAL = std::fmod(VAL, kTwoPi);
    while (VAL < 0)
        VAL += kTwoPi;
    while (VAL > kTwoPi)
        VAL -= kTwoPi;
    return VAL;
}

std::optional<double> TRUE_ANOMALY(double M, double E)
{
    if (!std::isfinite(M) || !std::isfinite(E) || E < 0.0 || E >= 1.0)
        return std::nullopt;
    double E1 = M + E * std::sin(M) * (1 + E * std::cos(M));
    bool converged = false;
    for (int step = 0; step < kKeplerSteps && !converged; ++step) {
        const double E0 = E1;
        E1 = E0 - (E0 - E * std::sin(E0) - M) / (1 - E * std::cos(E0));
        converged = std::fabs(E1 - E0) <= kKeplerTolerance;
    }
    if (!converged || !std::isfinite(E1))
        return std::nullopt;
    double v = 2 * std::atan(std::tan(0.5 * E1) * std::sqrt((1 + E) / (1 - E)));
    if (v < 0)
        v += kTwoPi;
    return v;
}

bool CALCULATE(std::string_view FILE_TEXT, std::string_view PLANET, double SD, double& RA, double& DEC,
               std::string& problem)
{
    const auto body = GET_ELEMENTS(FILE_TEXT, PLANET);
    const auto earth = GET_ELEMENTS(FILE_TEXT, "Earth");
    if (!body || !earth) {
        problem = "the planet information file holds no complete record of \"" +
                  std::string(body ? std::string_view("Earth") : PLANET) + "\"";
        return false;
    }
    const MEAN me = MEAN_ELEMENTS(*earth, SD);
    const MEAN mp = MEAN_ELEMENTS(*body, SD);
    const auto oe = orbit(me);
    const auto op = orbit(mp);
    if (!oe || !op) {
        problem = "the elements of \"" + std::string(oe ? PLANET : std::string_view("Earth")) +
                  "\" give no orbit that can be solved";
        return false;
    }
    const double Xe = oe->r * std::cos(oe->v + me.LP);
    const double Ye = oe->r * std::sin(oe->v + me.LP);
    const double Ze = 0.0;

    Heliocentric h;
    // The Earth as the body is the Sun seen from the Earth.
    if (!text::equalsNoCase(PLANET, "Earth")) {
        const double u = op->v + mp.LP - mp.LN;
        h.x = op->r * (std::cos(mp.LN) * std::cos(u) - std::sin(mp.LN) * std::sin(u) * std::cos(mp.I));
        h.y = op->r * (std::sin(mp.LN) * std::cos(u) + std::cos(mp.LN) * std::sin(u) * std::cos(mp.I));
        h.z = op->r * std::sin(u) * std::sin(mp.I);
    }
    const double Xg = h.x - Xe, Yg = h.y - Ye, Zg = h.z - Ze;
    const double eps = kObliquity * RADS;
    const double Xq = Xg;
    const double Yq = Yg * std::cos(eps) - Zg * std::sin(eps);
    const double Zq = Yg * std::sin(eps) + Zg * std::cos(eps);
    const double ra = DEGS * MOD2PI(std::atan2(Yq, Xq));
    const double dec = DEGS * std::atan(Zq / std::sqrt(Xq * Xq + Yq * Yq));
    if (!std::isfinite(ra) || !std::isfinite(dec)) {
        problem = "the elements of \"" + std::string(PLANET) + "\" give it no direction from the Earth";
        return false;
    }
    RA = ra;
    DEC = dec;
    return true;
}

std::string NAME_REPLACE(std::string_view NAME)
{
    std::string names;
    LANGUAGE::SETSTRING("planets", "planets", names);
    std::array<std::string, PLANET_NAMES.size()> parts;
    LANGUAGE::SPLITSTR(parts, names);
    std::string result(NAME);
    for (std::size_t k = 0; k < parts.size(); ++k)
        if (text::equalsNoCase(parts[k], NAME))
            result = PLANET_NAMES[k];
    return result;
}

std::string REALTOHOUR(double RA) { return ::REALTOHOUR(RA); }

std::string REALTODEG(double DE)
{
    std::string s = ::REALTODEG(DE);
    if (!s.empty() && s.front() == ' ')
        s.erase(0, 1);
    return s;
}

std::string ELEMENTS_PATH() { return GET_EXEPATH() + kElementsFile; }

bool CALC_PLANET(std::string_view NAME, double DN, std::string& RASTR, std::string& DECSTR)
{
    RASTR = zeroHour();
    DECSTR = zeroDeg();
    const std::string path = ELEMENTS_PATH();
    const skyfiles::ReadResult file = skyfiles::readWhole(path, kMaxElementsBytes);
    if (!file.ok) {
        // A file that is there but too large is not called missing.
        if (!file.missing && platform::InputFile(path).size() > static_cast<off_t>(kMaxElementsBytes))
            platform::dialogs().message(kTooLargeTitle, "The planet information file " + path +
                                                            " is larger than 1 MiB. No planet positions available.");
        else
            platform::dialogs().message(kMissingTitle, kMissingText);
        return false;
    }
    double ra = 0, dec = 0;
    std::string problem;
    if (!CALCULATE(file.bytes, NAME_REPLACE(NAME), DN, ra, dec, problem)) {
        platform::dialogs().message(kProblemTitle,
                                    "No position of " + std::string(NAME) + " can be computed: " + problem + ".");
        return false;
    }
    RASTR = REALTOHOUR(ra * 60 * 60);
    DECSTR = REALTODEG(dec * 60 * 60);
    return true;
}

TP_LIST PLANET_LIST() { return PLANET_TABLE().rows; }

TP_TABLE PLANET_TABLE()
{
    TP_TABLE table;
    TP_LIST& list = table.rows;
    const double DN = DAY_NUMBER_NOW();
    for (std::size_t k = 0; k < PLANET_NAMES.size(); ++k, ++table.computed) {
        // The Sun is the Earth's record seen from the Earth.
        const char* body = k == 0 ? "Earth" : PLANET_NAMES[k];
        if (!CALC_PLANET(body, DN, list[k][1], list[k][2]))
            break;  // one box is enough; the rows after it stay empty
    }
    std::string names = defaultRowNames();
    LANGUAGE::SETSTRING("planets", "planets", names);
    std::array<std::string, 11> parts;
    LANGUAGE::SPLITSTR(parts, names);
    for (std::size_t k = 0; k < list.size(); ++k)
        list[k][0] = parts[k];
    return table;
}

}  // namespace PLANETS
