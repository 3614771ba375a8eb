#pragma once
// What a lost row of the two Android tables that are recovered looks like to
// the record carver, and the fields handed over for each one found:
// contacts2.db `data` (one piece of contact data) and mmssms.db `sms`.
#include <cstdint>
#include <functional>
#include <optional>
#include <span>

#include "records/free_space/record_carver.h"
#include "records/free_space/table_probe.h"

namespace quen::records {

struct ContactCandidate {
    uint64_t mimetype_id = 0;  // the column just before raw_contact_id
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

// The serial types a row can have, by column; a type outside them rejects the
// position the carver tries:
//   data  every column before data1     0-11 (NULL, number or constant)
//         the mimetype id column        1 only (a 1-byte integer)
//         raw_contact_id                not 0 (NULL)
//         data1                         14 and up (a non-empty text or blob)
//   sms   column 1 (thread_id)          1-11
//         address, body                 14 and up
//         date                          not 0
// A data row is read from column 0. An sms row is read from column 1: its
// column 0 (`_id`, an alias of the rowid stored as NULL) may be the byte a
// freeblock header overwrote; a serial type varint longer than 4 bytes rejects
// the position, and a region not longer than the column count is not tried.
//
// Empty when the layout is not usable in that mode (layout_is_usable).
std::optional<RowPattern> data_row_pattern(const FreeSpaceLayout& layout);
std::optional<RowPattern> sms_row_pattern(const FreeSpaceLayout& layout);

// The carver over `region` with a pattern from the function above, each row
// found handed over as a candidate.
void carve_contacts(std::span<const uint8_t> region, const RowPattern& data_row, const ContactCandidateSink& sink);
void carve_messages(std::span<const uint8_t> region, const RowPattern& sms_row, const MessageCandidateSink& sink);

}  // namespace quen::records
