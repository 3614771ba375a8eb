#pragma once
// The answer key of a test case: every table's live rows, and every row
// version the case wrote that is no longer live, each with whether its
// record's value bytes still lie, whole, somewhere in the case's files (the
// database, its "-wal", its "-journal"): those are the deleted records a
// recovery can and should give back. Written as JSON beside the files.
#include <string>

#include "tracked_db.h"

namespace quen::sqlite_cases {

struct CaseFiles {
    std::string database;  // paths of the finished case's files; empty: none
    std::string wal;
    std::string journal;
};

class AnswerKey {
public:
    AnswerKey(std::string family, std::string name) : family_(std::move(family)), name_(std::move(name)) {}

    // Takes the live rows and the history of every noted table from `db`,
    // which must still be open on the final state (with its log). With
    // `keep_live`, the live rows taken before stay (rows written since, in a
    // transaction that will not commit, count as gone).
    void capture(TrackedDb& db, bool keep_live = false);

    // Writes the key to `path`, judging survival in `files` (which must now
    // be the case's final files). Paths in the key are relative to the key's
    // folder. `encoding`: "UTF-8", "UTF-16le" or "UTF-16be".
    bool write(const std::string& path, const CaseFiles& files, const std::string& encoding) const;

    size_t surviving() const { return surviving_; }

    // The gone versions of `table`, each with whether it survives in `files`.
    std::vector<std::pair<RowVersion, bool>> gone_rows(const std::string& table, const CaseFiles& files,
                                                       const std::string& encoding) const;

private:
    struct Gone {
        RowVersion row;
        // Values its record holds on disk: fewer than the row has when it
        // was written before columns were added (they read as defaults).
        size_t stored = 0;
    };
    struct Table {
        std::string name;
        TableShape shape;
        std::vector<RowVersion> live;
        std::vector<Gone> gone;
    };
    // Whether the record of `gone` (a version of `table`) lies whole in `haystack`.
    static bool survives(const Table& table, const Gone& gone, const std::string& haystack, const std::string& encoding);

    std::string family_, name_;
    std::vector<Table> tables_;
    mutable size_t surviving_ = 0;
};

// The bytes of a record's values as SQLite writes them (the record body, the
// header left out): the rowid alias as NULL, integers in their shortest
// form (0 and 1 as constants, no bytes), reals as 8 bytes, texts in the
// database's encoding.
// Only the first `stored` values are written when it is not 0.
std::string record_body(const TableShape& shape, const RowVersion& row, const std::string& encoding,
                        size_t stored = 0);

}  // namespace quen::sqlite_cases
