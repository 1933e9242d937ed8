#include "core/angles.h"

#include "core/params.h"
#include "core/text.h"

#include <charconv>
#include <cmath>
#include <optional>

namespace angle_text {

bool readNumber(std::string_view s, double& value)
{
    // A blank is the thousands separator of the number format, so any blank
    // rejects the text; with none left, trimming drops only control bytes.
    if (s.find(' ') != std::string_view::npos)
        return false;
    const auto v = param_text::toFloat(text::trimControl(s));
    if (!v)
        return false;
    value = *v;
    return true;
}

}  // namespace angle_text

namespace {

using angle_text::readNumber;

// Whole units, minutes, seconds and tenths of a magnitude given in seconds.
struct Fields {
    double whole = 0.0;
    int minutes = 0;
    int seconds = 0;
    int tenths = 0;
};

// Counting whole tenths first, with a margin far below a tenth but above the
// rounding of the scaling, makes 5.6 read "5.6" and not "5.5".
constexpr double kTenthMargin = 1e-6;

Fields split(double magnitude)
{
    Fields f;
    if (!std::isfinite(magnitude))
        return f;
    double secs = 0.0;
    const double scaled = magnitude * 10.0;
    if (std::isfinite(scaled)) {
        const double tenths = std::floor(scaled + kTenthMargin);
        const double digit = std::fmod(tenths, 10.0);
        f.tenths = static_cast<int>(digit);
        secs = std::floor((tenths - digit) / 10.0);
    } else {
        secs = std::floor(magnitude);  // that large, a double holds no fraction
    }
    const double s = std::fmod(secs, 60.0);
    const double mins = std::floor((secs - s) / 60.0);
    const double m = std::fmod(mins, 60.0);
    f.seconds = static_cast<int>(s);
    f.minutes = static_cast<int>(m);
    f.whole = std::floor((mins - m) / 60.0);
    return f;
}

std::string wholeText(double v)
{
    char buf[400];  // the largest double has 309 digits
    auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 0);
    return ec == std::errc() ? std::string(buf, ptr) : std::string("0");
}

std::string writeFields(const Fields& f, std::int32_t wholeWidth, char unit, char minMark, std::string_view end)
{
    std::string r = JUSTIFY(wholeText(f.whole), "  ", wholeWidth);
    r += unit;
    r += JUSTIFY(text::decimal(f.minutes), "0", 2);
    r += minMark;
    r += JUSTIFY(text::decimal(f.seconds), "0", 2);
    r += '.';
    r += text::decimal(f.tenths);
    r += end;
    return r;
}

// Units, minutes and seconds between the three marks, with the two places
// where a fraction of the seconds may stand: inside the seconds field, or
// after the closing mark ("12s.5"). Nothing when the text cannot be read.
std::optional<double> readFields(std::string_view in, char unit, char minMark, char secMark)
{
    std::string s = text::trimControl(in);
    double sign = 1.0;
    if (!s.empty() && s.front() == '-') {
        sign = -1.0;
        s = text::trimControl(std::string_view(s).substr(1));
    }
    const std::string_view t = s;
    constexpr auto npos = std::string_view::npos;
    const std::size_t pu = t.find(unit), pm = t.find(minMark), ps = t.find(secMark), pp = t.find('.');
    if (pu == npos || pm == npos || pm < pu)
        return std::nullopt;
    double units = 0.0, minutes = 0.0;
    if (!readNumber(t.substr(0, pu), units) || !readNumber(t.substr(pu + 1, pm - pu - 1), minutes))
        return std::nullopt;
    double v = units * 60.0 * 60.0 + minutes * 60.0;
    if (ps != npos) {
        double seconds = 0.0;
        if (ps < pm || !readNumber(t.substr(pm + 1, ps - pm - 1), seconds))
            return std::nullopt;
        v += seconds;
        if (pp != npos && pp > ps) {
            const std::string_view frac = t.substr(pp + 1, 80);
            double digits = 0.0;
            if (!readNumber(frac, digits))
                return std::nullopt;
            v += digits / std::pow(10.0, static_cast<double>(frac.size()));
        }
    }
    v *= sign;
    // Huge fields can overflow.
    if (!std::isfinite(v))
        return std::nullopt;
    return v;
}

}  // namespace

std::string JUSTIFY(std::string_view STR, std::string_view JST_CHR, std::int32_t WIDTH)
{
    std::int64_t length = 0;
    for (char c : STR)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
            ++length;
    std::string r;
    for (std::int64_t n = length; n < WIDTH; ++n)
        r += JST_CHR;
    r += STR;
    return r;
}

std::string REALTODEG(double DE)
{
    const std::string sign = DE < 0 ? "-" : " ";
    return sign + writeFields(split(std::fabs(DE)), 3, 'd', '\'', "\"");
}

std::string REALTOHOUR(double RA)
{
    const std::string sign = RA < 0 ? "-" : "";
    return sign + writeFields(split(std::fabs(RA) / 360.0 * 24.0), 2, 'h', 'm', "s");
}

std::optional<double> READ_DEG(std::string_view DE) { return readFields(DE, 'd', '\'', '"'); }

std::optional<double> READ_HOUR(std::string_view RA)
{
    const auto seconds = readFields(RA, 'h', 'm', 's');
    if (!seconds)
        return std::nullopt;
    const double v = *seconds / 24.0 * 360.0;
    if (!std::isfinite(v))
        return std::nullopt;
    return v;
}

double DEGTOREAL(std::string_view DE) { return READ_DEG(DE).value_or(0.0); }

double HOURTOREAL(std::string_view RA) { return READ_HOUR(RA).value_or(0.0); }

bool CHECK_FORMAT(std::string_view STR, std::string_view FORMAT)
{
    std::string_view rest = STR;
    bool inside = false, signAllowed = false;
    std::string limit;
    for (char c : FORMAT) {
        if (inside) {
            if (c != ']') {
                limit += c;
                continue;
            }
            inside = false;
            if (limit == "-") {
                signAllowed = true;
                limit.clear();
            }
            continue;
        }
        if (c == '[') {
            inside = true;
            continue;
        }
        // A separator with no limit before it consumes nothing.
        if (limit.empty())
            continue;
        const std::size_t p = rest.find(c);
        if (p == std::string_view::npos)
            return false;
        std::string field;
        for (char f : rest.substr(0, p))
            if (f != ' ')
                field += f;
        rest.remove_prefix(p + 1);
        double value = 0.0, bound = 0.0;
        if (field.empty() || !readNumber(field, value) || !readNumber(limit, bound)
            || std::fabs(value) > std::fabs(bound) || (!signAllowed && field.find('-') != std::string::npos))
            return false;
        limit.clear();
    }
    return true;
}
