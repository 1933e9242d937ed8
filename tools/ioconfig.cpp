#include "tools/ioconfig.h"

#include "core/params.h"
#include "core/text.h"
#include "core/text_file.h"

#include <algorithm>

namespace ioconfig {
namespace {

constexpr std::size_t kSwitchMax = 80;
constexpr int kRowGap = 12;
constexpr int kRightMargin = 15;
constexpr int kBottomMargin = 35;

bool isContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// The text without its last character (a whole UTF-8 character).
std::string_view withoutLast(std::string_view s)
{
    if (s.empty())
        return s;
    std::size_t n = s.size() - 1;
    for (int back = 0; back < 3 && n > 0 && isContinuation(s[n]); ++back)
        --n;
    return s.substr(0, n);
}

// The text before the next ":" of `rest`, which loses it and its ":"; empty,
// with `rest` unchanged, when no ":" is left.
std::string field(std::string_view& rest)
{
    const std::size_t colon = rest.find(':');
    if (colon == std::string_view::npos)
        return {};
    std::string f(rest.substr(0, colon));
    rest.remove_prefix(colon + 1);
    return f;
}

}  // namespace

void Reader::line(std::string_view line)
{
    if (full_ || line.empty())
        return;
    switch (line.front()) {
    case ';':
    case '@':
        return;
    case '[':
        groupLine(line);
        return;
    case '&':
        switchLine(line);
        return;
    default:
        rowLine(line);
    }
}

void Reader::groupLine(std::string_view line)
{
    if (plan_.groups.size() >= kMaxGroups) {
        full_ = true;
        return;
    }
    if (!columnStart_ && !plan_.groups.empty())
        groupTop_ += plan_.groups.back().place.height;
    Group g;
    g.caption = std::string(withoutLast(line.substr(1)));
    g.place = {columnLeft_, groupTop_, kGroupWidth, kGroupHeight};
    plan_.groups.push_back(std::move(g));
    columnStart_ = false;
    rowTop_ = 2;
    rowLeft_ = 5;
}

void Reader::switchLine(std::string_view line)
{
    const std::string word = text::asciiUpper(text::trimControl(line.substr(1, kSwitchMax)));
    if (word == "GROUP") {
        // A new column starts at the top, right of everything so far.
        columnLeft_ = plan_.clientWidth;
        columnStart_ = true;
        groupTop_ = 0;
    } else if (word == "ITEM" && !plan_.groups.empty()) {
        rowLeft_ = plan_.groups.back().place.width - 5;
        rowTop_ = 2;
    }
}

void Reader::rowLine(std::string_view line)
{
    if (plan_.groups.empty())
        return;
    if (plan_.rows.size() >= kMaxRows) {
        full_ = true;
        return;
    }
    std::string_view rest = line;
    Row r;
    r.group = plan_.groups.size() - 1;
    r.label = field(rest);
    const std::string type = text::asciiUpper(field(rest));
    r.data = field(rest);
    r.bits = field(rest);
    r.labelPlace = {rowLeft_, rowTop_, kLabelWidth, kControlHeight};

    int neededWidth = 0, neededHeight = 0;
    if (type.starts_with("BUTTON")) {
        r.kind = Kind::Button;
        r.control = {rowLeft_ + kControlOffset, rowTop_ - 2, kButtonWidth, kControlHeight};
    } else if (type.starts_with("TOGGLE")) {
        r.kind = Kind::Toggle;
        r.control = {rowLeft_ + kControlOffset, rowTop_, kToggleWidth, kControlHeight};
    } else {
        // Its label alone, on the rows' pitch.
        r.kind = Kind::LabelOnly;
        neededWidth = rowLeft_ + kLabelWidth + kRightMargin;
        neededHeight = rowTop_ + kControlHeight + kBottomMargin;
    }
    if (r.kind != Kind::LabelOnly) {
        neededWidth = r.control.left + r.control.width + kRightMargin;
        neededHeight = r.control.top + r.control.height + kBottomMargin;
    }
    rowTop_ += kControlHeight + kRowGap;
    plan_.rows.push_back(std::move(r));
    grow(plan_.groups.back(), neededWidth, neededHeight);
}

void Reader::grow(Group& g, int neededWidth, int neededHeight)
{
    g.place.width = std::max(g.place.width, neededWidth);
    g.place.height = std::max(g.place.height, neededHeight);
    plan_.clientWidth = std::max(plan_.clientWidth, g.place.left + g.place.width + kRightMargin);
    plan_.clientHeight = std::max(plan_.clientHeight, g.place.top + g.place.height + kBottomMargin);
}

Plan readFile(const std::string& path)
{
    // Anything but a regular file (a folder, a FIFO, a device) is not opened.
    Reader reader;
    if (!text::readLines(path, {kLineMax, false}, [&](const std::string& l) { reader.line(l); }))
        return {};
    return reader.plan();
}

std::string toggleText(std::string_view data, bool checked)
{
    const std::size_t semi = data.find(';');
    if (semi == std::string_view::npos)
        return checked ? std::string(data) : std::string();
    return std::string(checked ? data.substr(semi + 1) : data.substr(0, semi));
}

std::optional<std::int32_t> bitsValue(std::string_view bits) { return param_text::toInt32(bits); }

std::int32_t toggled(std::int32_t word, std::int32_t bits, bool on) { return on ? word | bits : word & (bits ^ 255); }

}  // namespace ioconfig
