#include "records/model/text_list.h"

namespace quen::records {

void merge_text_value(std::string& list, std::string_view value) {
    if (value.empty()) return;
    if (list.empty()) {
        list.assign(value);
        return;
    }
    size_t item_start = 0;
    while (true) {
        const size_t bar = list.find('|', item_start);
        const size_t item_end = bar == std::string::npos ? list.size() : bar;
        if (std::string_view(list).substr(item_start, item_end - item_start) == value) return;
        if (bar == std::string::npos) break;
        item_start = bar + 1;
    }
    list.push_back('|');
    list.append(value);
}

std::vector<std::string> split_text_list(std::string_view list) {
    std::vector<std::string> items;
    if (list.empty()) return items;
    size_t item_start = 0;
    while (true) {
        const size_t bar = list.find('|', item_start);
        if (bar == std::string_view::npos) {
            items.emplace_back(list.substr(item_start));
            break;
        }
        items.emplace_back(list.substr(item_start, bar - item_start));
        item_start = bar + 1;
    }
    return items;
}

}  // namespace quen::records
