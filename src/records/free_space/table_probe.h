#pragma once
// The probe of the free-space scan: learns, through SQLite, where the B-tree
// of the table to recover from starts and where the columns it rebuilds sit
// in the table's order.
#include <cstdint>
#include <optional>
#include <string>

namespace quen::records {

enum class FreeSpaceMode {
    Contacts,  // contacts2.db, table `data`
    Messages,  // mmssms.db, table `sms`
};

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

// Contacts mode: `path` must exist and contain "contacts2.db"; table `data`.
// Messages mode: `path` must exist; table `sms`, whose root page is only looked
// up when `path` contains "mmssms.db".
//
// SQLite reads a private copy of the file (database_open.h), so nothing is
// created or changed beside it and the raw read that follows sees the main
// file exactly as it was pulled. The column layout is taken from the
// prepared "SELECT *", so a table whose rows are all deleted still has one.
//
// Empty when the file cannot be opened or the table has no columns; otherwise
// the layout as found (check it with layout_is_usable).
std::optional<FreeSpaceLayout> probe_table(FreeSpaceMode mode, const std::string& path);

// True when the carver can work with `layout`: a root page, and every column it
// rebuilds found at a position it can reach (contacts: the mimetype id column
// just before raw_contact_id exists; messages: no rebuilt column is column 0,
// whose serial type lost records do not keep).
bool layout_is_usable(const FreeSpaceLayout& layout);

}  // namespace quen::records
