#pragma once
// The raw read of the free-space scan: every free region of a table's leaf
// pages, in scan order.
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "records/free_space_layout.h"

namespace quen::records {

using FreeRegionVisitor = std::function<void(std::span<const uint8_t> region)>;

// Reads the page size from the header of `path`, opens it read-only as raw
// bytes, collects the leaf pages of the table rooted at `layout.root_page`
// (ascending), then hands `visit` the content of
// every freeblock - pages in ascending order, each page's freeblocks in chain
// order - and after that the unallocated gap of every leaf page in ascending
// order. Nothing is visited when the file cannot be read or its page size is
// not supported. Regions are at most one page (so at most 32768 bytes); the
// span is only valid during the call.
void for_each_free_region(const std::string& path, const FreeSpaceLayout& layout,
                          const FreeRegionVisitor& visit);

}  // namespace quen::records
