// Fuzz target of the SQLite recovery engine: the input is a database file,
// optionally followed by a write-ahead log and a rollback journal, written
// to a folder and recovered whole, through the generic entry and through the
// Android readers' entry. Input layout: 8 bytes (little-endian lengths of the
// log and the journal), then the database, the log and the journal; an input
// shorter than 8 bytes, or whose lengths do not fit, is the database alone.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "records/readers/android_tables.h"
#include "records/recovery/recover.h"

namespace {

// The folder of the input files, made once; removed when the process ends
// (libFuzzer and the replay driver both exit normally).
char g_folder[] = "/tmp/quen_fuzz_sqlite_recovery_XXXXXX";

std::string work_folder() {
    static const bool made = [] {
        if (!mkdtemp(g_folder)) std::abort();
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(g_folder, ec);
        });
        return true;
    }();
    (void)made;
    return g_folder;
}

void write_file(const std::string& path, const uint8_t* data, size_t size) {
    std::remove(path.c_str());
    if (size == 0) return;
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) std::abort();
    if (std::fwrite(data, 1, size, file) != size) std::abort();
    std::fclose(file);
}

uint32_t little_endian(const uint8_t* bytes) {
    return uint32_t{bytes[0]} | (uint32_t{bytes[1]} << 8) | (uint32_t{bytes[2]} << 16) | (uint32_t{bytes[3]} << 24);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    size_t wal_size = 0, journal_size = 0;
    const uint8_t* database = data;
    size_t database_size = size;
    if (size >= 8) {
        wal_size = little_endian(data);
        journal_size = little_endian(data + 4);
        if (wal_size <= size - 8 && journal_size <= size - 8 - wal_size) {
            database = data + 8;
            database_size = size - 8 - wal_size - journal_size;
        } else {
            wal_size = journal_size = 0;
        }
    }
    for (const char* name : {"contacts2.db", "mmssms.db"}) {
        const std::string path = work_folder() + "/" + name;
        write_file(path, database, database_size);
        write_file(path + "-wal", database + database_size, wal_size);
        write_file(path + "-journal", database + database_size + wal_size, journal_size);
    }
    const std::string path = work_folder() + "/contacts2.db";
    std::FILE* touch = std::fopen(path.c_str(), "ab");  // an empty database is a file too
    if (touch) std::fclose(touch);

    quen::records::recovery::RecoveryResult result;
    std::string error;
    quen::records::recovery::recover_database(quen::records::recovery::files_beside(path), {}, result, error);
    // A file in which nothing reads as a database is refused by name.
    try {
        (void)quen::records::read_contacts_database(path);
    } catch (const std::runtime_error&) {
    }
    try {
        (void)quen::records::read_messages_database(work_folder() + "/mmssms.db");
    } catch (const std::runtime_error&) {
    }
    return 0;
}
