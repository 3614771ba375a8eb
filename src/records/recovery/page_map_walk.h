#pragma once
// walk_tree (declared in page_map.h): a template, so that every tree walk
// inlines its visitor.
#include <algorithm>

#include "records/sqlite/btree_page.h"
#include "records/sqlite/sqlite_format.h"

namespace quen::records::recovery {

template <typename Visit>
void walk_tree(const DatabaseView& view, uint32_t root, std::vector<uint8_t>& seen, Visit&& visit) {
    const uint32_t count = view.page_count();
    if (seen.size() < size_t{count} + 1) seen.resize(size_t{count} + 1, 0);
    std::vector<uint32_t> stack{root};
    std::vector<uint32_t> children;
    while (!stack.empty()) {
        const uint32_t number = stack.back();
        stack.pop_back();
        if (number == 0 || number > count || seen[number]) continue;
        const auto bytes = view.page(number);
        const auto header = sqlite::read_btree_header(bytes, number, view.usable_size());
        if (!header) continue;
        seen[number] = 1;
        visit(number, bytes, *header);
        if (header->leaf()) continue;
        children.clear();
        for (uint32_t offset : sqlite::cell_offsets(bytes, *header, view.usable_size())) {
            uint32_t child = 0;
            if (sqlite::read_be32(bytes, offset, child)) children.push_back(child);
        }
        children.push_back(header->right_child);
        // Pushed right to left, so the leftmost child is visited first.
        for (auto child = children.rbegin(); child != children.rend(); ++child)
            if (*child != 0 && *child <= count && !seen[*child]) stack.push_back(*child);
    }
}

}  // namespace quen::records::recovery
