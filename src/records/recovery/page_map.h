#pragma once
// What each page of the database's current state is: a page of some table's
// or index's b-tree, an overflow page, a freelist page, a pointer-map page,
// or a page nothing refers to. The recovery reads deleted records out of the
// free space of b-tree pages and out of whole freelist and unreferenced
// pages; it skips the rest.
#include <cstdint>
#include <vector>

#include "records/recovery/database_view.h"
#include "records/recovery/schema.h"

namespace quen::records::recovery {

enum class PageRole : uint8_t {
    Unreferenced,  // in no tree, not on the freelist
    TableInterior,
    TableLeaf,
    IndexInterior,
    IndexLeaf,
    Overflow,
    FreelistTrunk,
    FreelistLeaf,
    PointerMap,
    LockByte,
};

struct PageInfo {
    PageRole role = PageRole::Unreferenced;
    int table = -1;  // the table whose tree (or index, or overflow chain) holds the page; -1: sqlite_master or none
    int index = -1;  // the index, for index trees
};

class PageMap {
public:
    // Walks the freelist, the pointer-map positions and every tree of the
    // schema (sqlite_master from page 1) in the current state. A page claimed
    // twice keeps its first role; loops and pages past the end are skipped.
    PageMap(const DatabaseView& view, const Schema& schema);

    const PageInfo& operator[](uint32_t page) const;
    uint32_t page_count() const { return static_cast<uint32_t>(pages_.size()) - 1; }

private:
    std::vector<PageInfo> pages_;  // [0] unused
    PageInfo none_;
};

// Visits every page of the b-tree rooted at `root` in the current state, each
// once, leftmost first: visit(page number, bytes, header). `seen` (one flag
// per page, shared between trees) guards against loops and pages claimed by
// another tree.
template <typename Visit>
void walk_tree(const DatabaseView& view, uint32_t root, std::vector<uint8_t>& seen, Visit&& visit);

}  // namespace quen::records::recovery

#include "records/recovery/page_map_walk.h"
