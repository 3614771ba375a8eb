#pragma once
// Freeblock chains of table-leaf pages.
#include <cstdint>
#include <span>
#include <vector>

namespace quen::records {

// The offsets of the freeblocks of one page, in chain order.
//
// Freeblock layout: the page header's 2-byte field at offset 1 holds the offset
// of the first freeblock (0: none). Each freeblock starts with a 2-byte offset
// of the next freeblock (0 ends the chain) and a 2-byte size of the freeblock,
// header included; the rest of its bytes are whatever the freed cell left.
//
// The chain stops at a freeblock whose 4-byte header does not lie inside the
// page bytes, and at an offset already seen (a cycle in a corrupt page).
std::vector<uint16_t> freeblock_chain(std::span<const uint8_t> page);

}  // namespace quen::records
