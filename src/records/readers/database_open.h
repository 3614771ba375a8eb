#pragma once
// The ways the live reader opens a pulled database without changing it or
// the log beside it, from the plain read-only open to a private copy.
#include <filesystem>
#include <string>

#include "records/readers/sqlite_handles.h"

namespace quen::records {

// A read-only open of `path` through a "file:" URI. Even read-only, SQLite
// creates a "-wal" and "-shm" beside a database in WAL mode, so a file the user
// gave is only ever opened with `immutable`, which skips locking and every
// companion file: it sees the main file alone, and is the last resort when no
// private copy can be made. Null when the open fails.
SqliteDb open_database_read_only(const std::string& path, bool immutable);

// A private copy of the database with its "-wal" or "-journal", in a folder of
// its own under the temporary folder (0700, files 0600), removed again when
// this goes. Opened read-write, SQLite may roll back a hot journal or replay
// the log there, so the copy shows the last committed state while the
// original and its folder stay exactly as they were: nothing is created,
// changed or deleted beside the evidence.
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
