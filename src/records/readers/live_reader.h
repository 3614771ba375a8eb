#pragma once
// The live rows of a pulled Android database, read through SQLite: the
// mimetype entries and contact data rows of contacts2.db, the messages of
// mmssms.db. The file is opened read-only, with its "-wal" beside it taken
// into account and left exactly as it was. A file that is missing or not a
// database gives empty lists.
#include <cstdint>
#include <string>
#include <vector>

namespace quen::records {

// One row of contacts2.db's `mimetypes` table.
struct MimetypeEntry {
    int32_t id = 0;
    std::string text;
};

// One row of contacts2.db's `data` table, reduced to what the readers use.
struct ContactDataRow {
    int32_t mimetype_id = 0;
    int64_t raw_contact_id = 0;
    std::string data1;  // empty when NULL
};

struct LiveContacts {
    std::vector<MimetypeEntry> mimetypes;  // in table order
    std::vector<ContactDataRow> rows;      // in table order
};

// One row of mmssms.db's `sms` table.
struct LiveMessage {
    int64_t thread_id = 0;
    std::string address;    // empty when NULL
    std::string date_text;  // `date` as local time (sms_date_text); empty when NULL
    int64_t date_millis = 0;  // `date` as stored; 0 when NULL
    int32_t type = 0;
    std::string body;  // empty when NULL
};

LiveContacts read_live_contacts(const std::string& path);
std::vector<LiveMessage> read_live_messages(const std::string& path);

}  // namespace quen::records
