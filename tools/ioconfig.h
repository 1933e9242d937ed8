#pragma once
// The digital-output panel's description file, ioconfig.txt, read into the
// panel's plan: framed groups arranged in columns, and in each group rows of
// a label and a toggle or a push button, with every place and size worked
// out, so the window only has to make the controls.
//
// The file is read line by line (CR LF, LF or CR), each line cut to 255
// bytes on a character boundary. By its first character a line is
//   (none) or ";"   skipped
//   "@"             a header, not used
//   "["             a group; its caption is the line without its first and
//                   last character
//   "&"             a layout switch: "group" starts a new column of groups,
//                   "item" a new column of rows in the current group
//   anything else   a row: label:type:data:bits: (a field whose ":" is
//                   missing is empty). A type that begins with "button"
//                   makes a push button captioned with the data, one that
//                   begins with "toggle" a toggle captioned with the data's
//                   "off;on" texts; bits is the output word it drives.
// Rows and switches before the first group have no group and are skipped;
// a row of another type shows its label only. Whatever the file holds, the
// plan stays bounded: reading stops at the group after kMaxGroups or the row
// after kMaxRows.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ioconfig {

inline constexpr std::size_t kLineMax = 255;
inline constexpr std::size_t kMaxGroups = 64;
inline constexpr std::size_t kMaxRows = 256;

// The controls' sizes. A group's rows are placed in the area below its
// caption; the group's own size includes its caption and frame.
inline constexpr int kGroupWidth = 100;
inline constexpr int kGroupHeight = 50;
inline constexpr int kButtonWidth = 60;
inline constexpr int kControlHeight = 25;
inline constexpr int kToggleWidth = 75;
inline constexpr int kLabelWidth = 95;
inline constexpr int kControlOffset = 100;  // from a row's label to its control

struct Rect {
    int left = 0, top = 0, width = 0, height = 0;
    bool operator==(const Rect&) const = default;
};

enum class Kind { Button, Toggle, LabelOnly };

struct Group {
    std::string caption;
    Rect place;  // on the panel
};

struct Row {
    std::size_t group = 0;  // index into the plan's groups
    Kind kind = Kind::LabelOnly;
    std::string label;
    std::string data;  // a button's caption, or a toggle's "off;on" captions
    std::string bits;  // the output word, as written
    Rect labelPlace;   // in the group
    Rect control;      // in the group; empty for a label-only row
};

struct Plan {
    std::vector<Group> groups;
    std::vector<Row> rows;
    int clientWidth = 0;
    int clientHeight = 0;
};

// Builds the plan line by line.
class Reader {
public:
    void line(std::string_view line);
    const Plan& plan() const { return plan_; }

private:
    void groupLine(std::string_view line);
    void switchLine(std::string_view line);
    void rowLine(std::string_view line);
    void grow(Group& g, int neededWidth, int neededHeight);

    Plan plan_;
    bool full_ = false;
    int columnLeft_ = 0;
    int groupTop_ = 0;
    bool columnStart_ = true;
    int rowLeft_ = 0;
    int rowTop_ = 0;
};

// The plan of a file; an empty plan (0 by 0) when it is missing, is not a
// regular file, or cannot be read.
Plan readFile(const std::string& path);

// A toggle's caption: checked, the text after the first ";" (all of it when
// there is none); unchecked, the text before it (empty when there is none).
std::string toggleText(std::string_view data, bool checked);

// The output word a row's bits text names; nothing when it is not a whole
// number of 32 bits (decimal, or hexadecimal after "$").
std::optional<std::int32_t> bitsValue(std::string_view bits);

// The word after a toggle of `bits` is switched on or off: on sets its bits,
// off clears them and every bit above the low byte.
std::int32_t toggled(std::int32_t word, std::int32_t bits, bool on);

}  // namespace ioconfig
