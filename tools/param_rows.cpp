#include "tools/param_rows.h"

#include "core/text.h"

namespace param_rows {

std::vector<std::string> choiceItems(std::string_view posVal)
{
    std::vector<std::string> items;
    while (!posVal.empty()) {
        const std::size_t semi = posVal.find(';');
        items.emplace_back(posVal.substr(0, semi));
        posVal.remove_prefix(semi == std::string_view::npos ? posVal.size() : semi + 1);
    }
    return items;
}

int selectedItem(const std::vector<std::string>& items, std::string_view value)
{
    int selected = -1;
    for (std::size_t i = 0; i < items.size(); ++i)
        if (text::equalsNoCase(items[i], value))
            selected = static_cast<int>(i);
    return selected;
}

}  // namespace param_rows
