#pragma once
// The rows of the pulled Android databases that the two readers use, live
// and deleted, as the recovery engine finds them in one database file with
// the "-wal" and "-journal" beside it: contacts2.db's mimetypes, data rows
// and raw contacts, mmssms.db's sms rows. Columns are found by name, so every
// Android layout reads the same way. A file that is missing or empty gives
// no rows; one that is there but reads as no database throws
// std::runtime_error naming it.
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "records/model/field_kind.h"
#include "records/model/record_model.h"

namespace quen::records {

struct MimetypeEntry {
    int32_t id = 0;
    std::string text;
};

// A contact value: one `data` row's data1, or a deleted raw contact's
// display name.
struct ContactValueRow {
    int64_t raw_contact_id = 0;
    int32_t mimetype_id = 0;
    // The kind, through the file's own mimetypes table when it has the id;
    // kOther when it does not (the caller may know better).
    FieldKind kind = field_kind::kOther;
    bool kind_known = false;
    std::string data1;
    RecordOrigin origin;
};

struct ContactsDatabase {
    std::vector<MimetypeEntry> mimetypes;     // live, in table order
    std::vector<ContactValueRow> live;        // live `data` rows with a raw_contact_id
    std::vector<ContactValueRow> deleted;     // deleted `data` rows and raw contacts' names
    std::set<int64_t> deleted_on_phone;       // raw contacts flagged deleted = 1, not yet synced
};

struct SmsRow {
    int64_t thread_id = 0;
    std::string address;
    bool has_date = false;
    int64_t date_millis = 0;
    int32_t type = 0;
    std::string body;
    RecordOrigin origin;
};

struct MessagesDatabase {
    std::vector<SmsRow> live;     // in table order
    std::vector<SmsRow> deleted;  // each deleted row once, none equal to a live one
};

ContactsDatabase read_contacts_database(const std::string& path);
MessagesDatabase read_messages_database(const std::string& path);

}  // namespace quen::records
