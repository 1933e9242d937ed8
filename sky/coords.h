#pragma once
// The coordinates of a go-to: a right ascension from 0 up to, not including,
// 24 hours and a declination from -90 to +90 degrees. A text past these
// bounds names no place in the sky, however well it reads. Pure functions,
// safe on any thread.

#include <optional>
#include <string>
#include <string_view>

namespace sky {

// The entry dialog's templates.
inline constexpr const char* kRaTemplate = "[23]h[59]m[59].[9]s";
inline constexpr const char* kDeclTemplate = "[-][359]d[59]'[59].[9]\"";

// A coordinate text read for a go-to: the angle in arcseconds, or why not.
struct CoordRead {
    std::optional<double> angle;
    bool outside = false;  // read, but past the bounds
    std::string problem;   // "cannot be read" or the bounds it lies outside
};
CoordRead READ_GOTO_RA(std::string_view RA);
CoordRead READ_GOTO_DEC(std::string_view DEC);

// Both coordinates of an entry read for a go-to; `problem` says, for a box,
// which one names no place and why ("right ascension \"25h\" lies outside
// 0 to 24 hours"), empty when both do.
struct PlaceRead {
    CoordRead ra, dec;
    std::string problem;
};
PlaceRead READ_GOTO_PLACE(const std::string& RA, const std::string& DEC);

// Whether the entry dialog takes a typed text: it fits its template and does
// not read as a coordinate past the bounds. (A text the template takes but
// the reader does not, a blank inside a field, is kept as typed; its go-to
// is refused then.)
bool RA_ENTRY_FITS(std::string_view RA);
bool DEC_ENTRY_FITS(std::string_view DEC);

}  // namespace sky
