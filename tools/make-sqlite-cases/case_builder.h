#pragma once
// Writes one test case: a database built step by step with a TrackedDb in a
// side folder, then its files placed under their final names (while the
// connection is still open when the log must stay uncheckpointed, or a
// transaction must stay unfinished), and its answer key beside them.
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "answer_key.h"
#include "tracked_db.h"

namespace quen::sqlite_cases {

// A deterministic source of choices (std::mt19937's output is fixed by the
// standard; the library's distributions are not, so they are not used).
class Dice {
public:
    explicit Dice(uint32_t seed) : rng_(seed) {}
    uint32_t below(uint32_t bound) { return bound == 0 ? 0 : static_cast<uint32_t>(rng_() % bound); }
    bool chance(uint32_t percent) { return below(100) < percent; }
    // Words of several scripts, `min` to `max` bytes.
    std::string text(size_t min, size_t max);
    std::string token(size_t length);  // letters and digits

private:
    std::mt19937 rng_;
};

enum class Finish {
    Close,           // closed normally (a log is checkpointed into the file and removed)
    KeepLog,         // the "-wal" left as it is, as a copy taken from a running phone has it
    KeepJournal,     // copied in the middle of a write transaction: a hot "-journal"
};

class CaseBuilder {
public:
    CaseBuilder(std::string out_dir, std::string family, std::string name);

    // Opens the database; `before_schema` runs first (page size, encoding,
    // auto-vacuum, journal mode), then `schema`.
    bool begin(const std::string& before_schema, const std::string& schema);
    TrackedDb& db() { return db_; }
    Dice& dice() { return dice_; }

    // A statement whose rows are remembered in every table of the schema.
    bool step(const std::string& sql, const std::vector<Value>& params = {});
    // Every statement of `sql` (no parameters), then the tables are noted.
    bool steps(const std::string& sql);
    // For KeepJournal: what to run inside the transaction that is left open.
    std::string unfinished;

    // Places the files and writes the key. The database text encoding is
    // read from the database itself.
    bool finish(Finish how);
    const std::string& error() const { return error_; }
    size_t surviving() const { return surviving_; }

private:
    bool note_all();
    std::string out_dir_, family_, name_, side_;
    TrackedDb db_;
    Dice dice_;
    std::vector<std::string> tables_;
    std::string error_;
    size_t surviving_ = 0;
};

struct CaseDef {
    const char* family;
    const char* name;
    std::function<bool(CaseBuilder&)> build;  // begin() to the last step
    Finish finish = Finish::Close;
};

// Every generic case: odd names, encodings, schema objects, WITHOUT ROWID,
// overflow, reserved bytes, pointer maps, dropped tables, deleted and
// overwritten records, logs and journals.
const std::vector<CaseDef>& generic_cases();

}  // namespace quen::sqlite_cases
