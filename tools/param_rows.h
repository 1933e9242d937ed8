#pragma once
// What the parameter editor's rows are made of, without a window: the rows'
// places, the items of a choice row, and which item a value selects.

#include <string>
#include <string_view>
#include <vector>

namespace param_rows {

inline constexpr int PARAM_LABEL_WIDTH = 100;
inline constexpr int PARAM_EDIT_WIDTH = 121;
inline constexpr int ROW_LEFT = 10;
inline constexpr int INPUT_LEFT = ROW_LEFT + PARAM_LABEL_WIDTH;                 // 110
inline constexpr int UNIT_LEFT = ROW_LEFT + PARAM_LABEL_WIDTH + PARAM_EDIT_WIDTH + 10;  // 241

// Top of row n of a tab, counted from 0.
constexpr int rowTop(int n) { return 10 + 20 * n; }

// The items of a list of allowed values: each text up to the next ";" (the
// rest when there is none), so a final ";" adds no empty item while ";;"
// adds one.
std::vector<std::string> choiceItems(std::string_view posVal);

// The item a value selects: the last one equal to it without regard to the
// case of a to z; -1 when none is.
int selectedItem(const std::vector<std::string>& items, std::string_view value);

}  // namespace param_rows
