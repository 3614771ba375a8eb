#pragma once
// The record carver: finds what is left of deleted rows in a region of free
// space and hands over the fields of each one it can recognise.
#include <cstdint>
#include <functional>
#include <span>

#include "records/free_space_layout.h"

namespace quen::records {

struct ContactCandidate {
    uint64_t mimetype_id = 0;     // the column just before raw_contact_id
    uint64_t raw_contact_id = 0;
    std::span<const uint8_t> data1;  // passed the text check
};

struct MessageCandidate {
    std::span<const uint8_t> address;  // passed the text check
    std::span<const uint8_t> body;     // passed the text check
    uint64_t date = 0;
    uint64_t thread_id = 0;
    uint64_t type = 0;
};

using ContactCandidateSink = std::function<void(const ContactCandidate&)>;
using MessageCandidateSink = std::function<void(const MessageCandidate&)>;

// Every byte position k of `region` is tried as the first byte of the serial
// type list of a lost record header (the payload length, rowid and header
// length varints are not looked for; they are usually what the freeblock header
// overwrote). One serial type is read per column - contacts: columns 0 to
// n - 1; messages: columns 1 to n - 1, since the first column (`_id`, an alias
// of the rowid stored as NULL) may be the byte a freeblock header overwrote.
//
// A serial type that no such row could have rejects position k:
//   contacts  any column before data1         > 11 (not NULL, number or constant)
//             the mimetype id column          != 1 (not a 1-byte integer)
//             raw_contact_id                  0 (NULL)
//             data1                           < 14 (not a non-empty text or blob)
//   messages  column 1 (thread_id)            0 or > 11
//             address, body                   < 14
//             date                            0
//   messages  a serial type varint longer than 4 bytes
// A serial type too large for 32 bits counts as 4294967295.
//
// The data starts right after the last serial type. The fields (contacts:
// mimetype id, raw_contact_id, data1; messages: address, body, date,
// thread_id, type) must lie inside the region; texts must pass the text check
// over their whole length; integer fields are big-endian, unsigned, their first
// 8 bytes at most. Anything else rejects position k - including a serial type
// list or a field that runs past the end of the region: a misread position
// early in a region (say at a message's `read` byte followed by its `status`
// 0xFF) easily claims a field far beyond the end, and giving up the region
// there would lose every intact record after it. An accepted record does not
// skip its bytes: scanning goes on at k + 1.
//
// Messages mode: a region not longer than the column count is not scanned.
void carve_contacts(std::span<const uint8_t> region, const FreeSpaceLayout& layout,
                    const ContactCandidateSink& sink);
void carve_messages(std::span<const uint8_t> region, const FreeSpaceLayout& layout,
                    const MessageCandidateSink& sink);

}  // namespace quen::records
