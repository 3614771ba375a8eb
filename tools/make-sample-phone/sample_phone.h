#pragma once
// A deterministic sample phone: a contacts2.db and an mmssms.db with the
// schemas of an Android version (4.4, 4.4 upgraded by ALTER TABLE, 10, 15;
// kept as data in src/records/recovery/android_schemas), filled with contacts
// and sms threads, of which a known subset was then deleted or edited, in one
// of SQLite's journal modes, with or without secure_delete and auto-vacuum.
// Every row version written is remembered, so the sample knows which deleted
// rows survive in its files (answer keys, see make-sqlite-cases).
//
// Used by the make-sample-phone tool, the tests and the benchmark.
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace quen::sample_phone {

// Shorthands of the three most used combinations.
enum class Variant {
    Journal,  // Android 10, rollback journal (TRUNCATE)
    Wal,      // Android 10, write-ahead log left uncheckpointed, "-wal" and "-shm" beside
    KitKat,   // Android 4.4, TRUNCATE: `data` without hash_id, `sms` without sub_id and creator
};

bool parse_variant(const std::string& text, Variant& out);
const char* variant_name(Variant variant);

struct Options {
    Variant variant = Variant::Journal;
    uint32_t seed = 1;
    uint32_t page_size = 4096;
    int contacts = 40;             // raw contacts
    int threads = 10;              // sms threads
    int messages_per_thread = 12;  // average
    int max_body = 300;            // longest sms body in bytes (roughly)
    // Each, when not empty, overrides what `variant` says.
    std::string android;      // "4.4", "4.4-upgraded", "10", "15"
    std::string journal;      // "delete", "truncate", "persist", "wal", "wal-checkpointed"
    bool secure_delete = false;  // SQLite wipes freed cells (stock since Android 8)
    std::string auto_vacuum;  // "none", "full", "incremental"
    bool edits = true;        // numbers changed and messages marked read after the deletions
};

struct ContactValue {
    int64_t raw_contact_id = 0;
    int32_t mimetype_id = 0;
    std::string mimetype;
    std::string data1;
};

struct Message {
    int64_t thread_id = 0;
    std::string address;
    std::optional<int64_t> date_ms;  // empty: stored as NULL
    int32_t type = 0;
    std::string body;
};

struct Sample {
    std::string contacts_path;  // OUTDIR/contacts2.db
    std::string messages_path;  // OUTDIR/mmssms.db
    std::vector<std::pair<int32_t, std::string>> mimetypes;  // id, text

    // Rows a reader of the database (through SQLite) sees.
    std::vector<ContactValue> live_values;
    std::vector<Message> live_messages;
    // Deleted or replaced rows whose bytes survive somewhere in the files
    // (free space, freed pages, the log, the journal) and that differ from
    // every live row as the readers show them (a row that only gained a label
    // or was marked read is not listed).
    std::vector<ContactValue> deleted_values;
    std::vector<Message> deleted_messages;
    // Deleted rows whose bytes do not survive whole (overwritten, wiped by
    // secure_delete, folded away), or that have nothing to show.
    std::vector<ContactValue> lost_values;
    std::vector<Message> lost_messages;
};

// Writes OUTDIR/contacts2.db and OUTDIR/mmssms.db (with "-journal", or "-wal"
// and "-shm", as the journal mode leaves them) and their answer keys
// (contacts2.key.json, mmssms.key.json); OUTDIR is created when missing and
// existing database files in it are replaced. Empty with `error` set on failure.
std::optional<Sample> make_sample_phone(const std::string& outdir, const Options& options,
                                        std::string& error);

// The sample as JSON: live, deleted and lost contact values and messages.
bool write_expected_json(const std::string& path, const Sample& sample, const Options& options);

}  // namespace quen::sample_phone
