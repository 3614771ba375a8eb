#pragma once
// A deterministic sample phone: a contacts2.db and an mmssms.db with Android's
// real schemas, filled with contacts and sms threads, from which a known subset
// was then deleted with secure_delete off, so that the deleted rows' bytes stay
// in the free space of the tables' leaf pages.
//
// Used by the make-sample-phone tool, the tests and the benchmark.
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace quen::sample_phone {

enum class Variant {
    Journal,  // rollback journal (TRUNCATE), current Android layout
    Wal,      // write-ahead log left uncheckpointed, "-wal" and "-shm" beside
    KitKat,   // Android 4.4 layout: `data` without hash_id, `sms` without sub_id and creator
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
    // Deleted rows whose bytes lie in the free space of the table's leaf pages
    // in a shape the free-space scan rebuilds.
    std::vector<ContactValue> deleted_values;
    std::vector<Message> deleted_messages;
    // Deleted rows that the free-space scan cannot give back: a mimetype id
    // stored as a constant (id 1) or above 127, an empty data1, a NULL date,
    // an empty body, or (WAL variant) a deletion that only the log holds.
    std::vector<ContactValue> lost_values;
    std::vector<Message> lost_messages;
};

// Writes OUTDIR/contacts2.db and OUTDIR/mmssms.db (with "-journal", or "-wal"
// and "-shm", as the variant has them); OUTDIR is created when missing and
// existing database files in it are replaced. Empty with `error` set on failure.
std::optional<Sample> make_sample_phone(const std::string& outdir, const Options& options,
                                        std::string& error);

// The sample as JSON: live, deleted and lost contact values and messages.
bool write_expected_json(const std::string& path, const Sample& sample, const Options& options);

}  // namespace quen::sample_phone
