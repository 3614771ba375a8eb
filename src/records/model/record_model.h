#pragma once
// Contact, thread and message records, the maps that own them, the display
// lists, and the rules by which the readers fill them: merging contact values,
// the duplicate test of messages, naming threads and ordering messages.
//
// Texts are UTF-8 bytes exactly as the database stored them; nothing is
// trimmed or re-encoded here. A "text list" (text_list.h) is one string
// holding zero or more values separated by a single "|".
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "records/model/field_kind.h"

namespace quen::records {

// Where a row was found in a database file: "btree" for a live row, else
// the place a deleted one survived in ("freeblock", "unallocated",
// "freelist", "wal", "journal", "overflow", "index"); the page and the
// offset of its cell in the page; the log frame or journal record holding
// that page image (0: none); whether some of its values were lost.
struct RecordOrigin {
    std::string source;
    uint32_t page = 0;
    uint32_t offset = 0;
    uint32_t frame = 0;
    bool partial = false;
};

// One contact, identified by the raw_contact_id of the Android contacts db.
struct ContactRecord {
    bool deleted = false;  // only in the backup copy or only in free space
    bool checked = true;   // selected for recovery
    int64_t raw_contact_id = 0;
    std::string name;            // kind 7
    std::string nickname;        // kind 3
    std::string im;              // kind 2
    std::string phone;           // kind 5
    std::string email;           // kind 1
    std::string organization;    // kind 4
    std::string sip_address;     // kind 6 (kept, never shown or exported)
    std::string postal_address;  // kind 8
    std::string website;         // kind 10
    std::string note;            // kind 11
    std::string others;          // kinds 0, 9, 12-15 and anything unknown
    // Where the rows that gave the values were found, each place once.
    std::vector<RecordOrigin> origins;
};

// One sms message.
struct MessageRecord {
    int32_t type = 0;  // sms `type`: 1 received, anything else sent
    int64_t thread_id = 0;
    bool deleted = false;
    std::string date_text;  // local time "%Y-%m-%d %H:%M:%S"
    int64_t date_millis = 0;  // the stored sms `date` (ms since 1970) the text was made from; 0 when NULL
    std::string address;
    std::string body;
    RecordOrigin origin;  // where the sms row was found
};

// One conversation with one number inside one Android thread.
struct ThreadRecord {
    std::vector<MessageRecord> messages;
    bool deleted = false;
    bool checked = true;
    std::string name;  // contact name, filled by name_threads()
    std::string address;
    int64_t thread_id = 0;
};

// Contact map: library contacts under -raw_contact_id, contacts rebuilt from
// free space under +raw_contact_id, so the two never merge. Owns the records;
// std::map keeps their addresses stable for the lists.
using ContactMap = std::map<int64_t, ContactRecord>;

// Thread map key: (address, thread_id). Address compared byte-wise as unsigned
// bytes (a prefix sorts first), then thread_id as a signed number.
using ThreadKey = std::pair<std::string, int64_t>;
struct ThreadKeyLess {
    bool operator()(const ThreadKey& a, const ThreadKey& b) const;
};
using ThreadMap = std::map<ThreadKey, ThreadRecord, ThreadKeyLess>;

// Display lists: non-owning, deleted records first.
using ContactList = std::vector<ContactRecord*>;
using ThreadList = std::vector<ThreadRecord*>;

// The field that `kind` selects (kinds 0, 9, 12-15 and unknown: `others`).
std::string& contact_field(ContactRecord& contact, FieldKind kind);
const std::string& contact_field(const ContactRecord& contact, FieldKind kind);
void add_contact_value(ContactRecord& contact, std::string_view value, FieldKind kind);

// The record under `key`; a new one (given `deleted`, checked, raw_contact_id
// = key, empty lists) when there is none.
ContactRecord& find_or_create_contact(ContactMap& map, int64_t key, bool deleted);

// The thread under (address, thread_id); a new one when there is none. An
// existing thread keeps its own `deleted` flag.
ThreadRecord& find_or_create_thread(ThreadMap& map, std::string_view address, int64_t thread_id,
                                    bool deleted);

// Equal type, thread_id, date_text, address and body; `deleted` not compared.
bool is_duplicate_message(const MessageRecord& a, const MessageRecord& b);

// Appends unless a duplicate is already in the thread (the first one stays
// with its own flag). Returns whether it was appended.
bool add_message(ThreadRecord& thread, MessageRecord message);

// Names every thread whose address equals, byte for byte, a phone item of a
// named contact; later contacts in key order win.
void name_threads(const ContactMap& contacts, ThreadMap& threads);

// Date text of an sms `date` (milliseconds since 1970): seconds by truncating
// division, a moment before 1970 or after 3000-12-31 23:59:59 UTC taken as 0,
// then local time "%Y-%m-%d %H:%M:%S". Live and rebuilt messages both use it,
// so one message seen in both places gets byte-equal date texts.
std::string sms_date_text(int64_t millis);

// Messages in ascending byte order of date_text.
void sort_thread_messages(ThreadRecord& thread);

// The display lists: map order, then records with `deleted` true moved in
// front (their relative map order kept).
ContactList build_contact_list(ContactMap& map);
ThreadList build_thread_list(ThreadMap& map);

}  // namespace quen::records
