#include "sky/rows.h"

#include "core/text.h"
#include "sky/files.h"

#include <algorithm>

namespace sky {
namespace {

// The longest line a save writes: name, blank, right ascension, blank,
// declination, CR LF.
static_assert(3 * kMaxTextBytes + 4 <= skyfiles::kMaxListLineBytes);

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::size_t characters(std::string_view s)
{
    return static_cast<std::size_t>(
        std::count_if(s.begin(), s.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

std::string underscoresToBlanks(std::string s)
{
    std::replace(s.begin(), s.end(), '_', ' ');
    return s;
}

}  // namespace

std::string padRight(std::string_view s, std::size_t width)
{
    std::string r(s);
    // Counted in characters, so the columns of a name with accents line up.
    const std::size_t n = characters(s);
    if (n < width)
        r.append(width - n, ' ');
    return r;
}

std::string OBJECT_ROW(std::string_view NAME, std::string_view RA, std::string_view DEC)
{
    return padRight(NAME, kNameColumns) + padRight(RA, kCoordColumns) + padRight(DEC, kCoordColumns);
}

std::int32_t NEXT_WORD(std::string& LN, std::int32_t P)
{
    if (P > 0)
        LN.erase(0, std::min(LN.size(), static_cast<std::size_t>(P)));
    std::size_t k = 0;
    while (k < LN.size() && isBlank(LN[k]))
        ++k;
    LN.erase(0, k);
    const auto it = std::find_if(LN.begin(), LN.end(), isBlank);
    return it == LN.end() ? 0 : static_cast<std::int32_t>(it - LN.begin()) + 1;
}

std::vector<OBJ> PARSE_OBJECT_LIST(const std::vector<std::string>& lines)
{
    std::vector<OBJ> objects;
    std::string category;
    for (const std::string& line : lines) {
        if (!line.empty() && line.front() == '[') {
            category = line.size() > 2 ? line.substr(1, line.size() - 2) : std::string();
            continue;
        }
        // A step that finds no blank cuts nothing off, so the word it did not
        // take is offered to the next field.
        std::string LN = line;
        const auto first = [&](std::int32_t P) { return P > 0 ? LN.substr(0, static_cast<std::size_t>(P - 1)) : ""; };
        OBJ o;
        o.CAT = category;
        std::int32_t P = NEXT_WORD(LN, 0);
        o.NAME = underscoresToBlanks(first(P));
        P = NEXT_WORD(LN, P);
        o.RA = first(P);
        P = NEXT_WORD(LN, P);
        if (P == 0)
            P = static_cast<std::int32_t>(LN.size()) + 1;
        o.DEC = first(P);
        const ObjectTexts t = bounded({o.NAME, o.RA, o.DEC});
        objects.push_back({o.CAT, t.name, t.ra, t.dec});
    }
    return objects;
}

ObjectTexts PARSE_PRESELECT_LINE(std::string_view line)
{
    std::vector<std::string> words;
    std::size_t i = 0;
    while (words.size() < 3) {
        while (i < line.size() && isBlank(line[i]))
            ++i;
        if (i >= line.size())
            break;
        const std::size_t start = i;
        while (i < line.size() && !isBlank(line[i]))
            ++i;
        words.emplace_back(line.substr(start, i - start));
    }
    words.resize(3);
    return bounded({underscoresToBlanks(words[0]), words[1], words[2]});
}

std::string PRESELECT_LINE(const ObjectTexts& entry)
{
    const auto oneLine = [](std::string s) {
        std::replace_if(s.begin(), s.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
        return s;
    };
    // A blank left in the name, a tab as much as a space, would end its word
    // on Load and shift the fields after it; an empty name would let the line
    // begin with its separator.
    std::string name = text::trimControl(oneLine(entry.name));
    std::replace_if(name.begin(), name.end(), isBlank, '_');
    if (name.empty())
        name = "_";
    // What the row shows after the name: the right ascension padded to its
    // column, then the declination; a right ascension that fills its column
    // keeps one blank after it, so the two do not run into one text.
    const std::string raText = oneLine(entry.ra);
    std::string ra = padRight(raText, kCoordColumns);
    if (ra.size() == raText.size() && !ra.empty())
        ra += ' ';
    return name + " " + text::trimControl(ra + oneLine(entry.dec)) + "\r\n";
}

std::string withoutBlanks(std::string_view s)
{
    std::string r;
    std::copy_if(s.begin(), s.end(), std::back_inserter(r), [](char c) { return c != ' '; });
    return r;
}

ObjectTexts bounded(ObjectTexts t)
{
    for (std::string* s : {&t.name, &t.ra, &t.dec})
        if (s->size() > kMaxTextBytes)
            *s = text::cutUtf8(*s, kMaxTextBytes);
    return t;
}

}  // namespace sky
