#pragma once
// What the free-space scan knows of the table it recovers from: where its
// B-tree starts and where the columns it rebuilds sit in the table's order.
#include <cstdint>

#include "records/free_space_scan.h"

namespace quen::records {

struct FreeSpaceLayout {
    FreeSpaceMode mode = FreeSpaceMode::Contacts;
    uint32_t root_page = 0;     // root page of the table's B-tree
    uint32_t column_count = 0;  // columns of the table
    // 0-based positions in the table's column order; -1 when not found.
    // contacts (`data`):
    int32_t raw_contact_id = -1;
    int32_t data1 = -1;
    // messages (`sms`):
    int32_t address = -1;
    int32_t person = -1;  // located, not used
    int32_t body = -1;
    int32_t thread_id = -1;
    int32_t date = -1;
    int32_t type = -1;
};

// True when the carver can work with `layout`: a root page, and every column it
// rebuilds found at a position it can reach (contacts: the mimetype id column
// just before raw_contact_id exists; messages: no rebuilt column is column 0,
// whose serial type lost records do not keep).
bool layout_is_usable(const FreeSpaceLayout& layout);

}  // namespace quen::records
