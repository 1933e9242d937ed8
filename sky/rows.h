#pragma once
// The texts both list windows share: the 80-column object row they show, the
// object list file (*.lst, read only) and the preselect list file (*.psl).
// Plain functions, safe on any thread.
//
// Object list file: a line starting with "[" names the category of the lines
// that follow (the line without its first and last character); every other
// line is an object of up to three words separated by blanks or tabs: one
// word is the declination, two are name and declination, three are name,
// right ascension and declination. "_" in a name stands for a blank.
//
// Preselect list file: one entry a line, the name with its blanks (spaces and
// tabs) written as "_" and an empty name as one "_", a blank, then the right
// ascension and declination texts; CR LF ends a line. Read back, one word is
// a name, two are name and right ascension.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sky {

// Widths of the row's three columns, in characters.
inline constexpr std::size_t kNameColumns = 50;
inline constexpr std::size_t kCoordColumns = 15;

// Longest text of an entry, in bytes: a longer name or coordinate is cut on
// a UTF-8 boundary wherever it comes from, so every line a save writes fits
// the line a load reads.
inline constexpr std::size_t kMaxTextBytes = 255;

// An entry's three texts as they were given; the row is only what is shown.
struct ObjectTexts {
    std::string name, ra, dec;
    bool operator==(const ObjectTexts&) const = default;
};

// One object of an object list file.
struct OBJ {
    std::string CAT, NAME, RA, DEC;
    bool operator==(const OBJ&) const = default;
};

// Left-justified and padded with blanks to `width` characters; a longer text
// is kept whole.
std::string padRight(std::string_view s, std::size_t width);
// "%-50s%-15s%-15s" of name, right ascension and declination.
std::string OBJECT_ROW(std::string_view NAME, std::string_view RA, std::string_view DEC);
inline std::string OBJECT_ROW(const ObjectTexts& t) { return OBJECT_ROW(t.name, t.ra, t.dec); }

// Drops LN's first P characters and the blanks (spaces, tabs) after them;
// returns the 1-based position of the next blank in what is left, 0 for none.
std::int32_t NEXT_WORD(std::string& LN, std::int32_t P);

// The objects of an object list file's lines, in file order.
std::vector<OBJ> PARSE_OBJECT_LIST(const std::vector<std::string>& lines);

// One line of a preselect list file.
ObjectTexts PARSE_PRESELECT_LINE(std::string_view line);
// The file's line of an entry, CR LF included; a line break inside a text is
// written as a blank, so the entry stays one line.
std::string PRESELECT_LINE(const ObjectTexts& entry);

// Every blank (space) removed.
std::string withoutBlanks(std::string_view s);
// Each text cut to kMaxTextBytes.
ObjectTexts bounded(ObjectTexts t);

}  // namespace sky
