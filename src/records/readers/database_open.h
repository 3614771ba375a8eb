#pragma once
// The ways the live reader opens a pulled database without changing it or
// the log beside it, from the plain read-only open to a private copy.
#include <filesystem>
#include <string>

#include "records/readers/sqlite_handles.h"

namespace quen::records {

// A read-only open of `path` through a "file:" URI: it never writes the main
// file, never checkpoints the "-wal" into it and never deletes the "-wal";
// SQLite reads the log through the "-shm" (or, when that cannot be opened,
// through private memory). `immutable` skips locking and every companion file:
// the last resort, as it sees the main file alone. Null when the open fails.
SqliteDb open_database_read_only(const std::string& path, bool immutable);

// A private copy of the database with its "-wal" or "-journal", in a folder of
// its own under the temporary folder, removed again when this goes. Opened
// read-write, SQLite may roll back a hot journal or replay the log there, so
// the copy shows the last committed state while the original stays untouched.
class PrivateCopy {
public:
    explicit PrivateCopy(const std::string& path);
    ~PrivateCopy();
    PrivateCopy(const PrivateCopy&) = delete;
    PrivateCopy& operator=(const PrivateCopy&) = delete;

    // Null when the copy could not be made or opened.
    SqliteDb open() const;

private:
    std::filesystem::path dir_;
    std::string path_;
};

// Whether a failed read (SQLite result `result`) is one that another way of
// opening may get around; everything else (not a database, corrupt) would
// fail the same way again.
bool worth_retry(int result);

}  // namespace quen::records
