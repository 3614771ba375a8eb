// Speed of the SQLite recovery engine: MB/s of database searched whole
// (schema, live rows, every free byte, every freed page) next to a plain
// sequential read of the same file in the same run (page cache warm for
// both), and how many deleted rows it brought back.
//
//   bench_sqlite_recovery               builds a database of about 100 MB with
//                                       a quarter of its rows deleted
//   bench_sqlite_recovery [--mb N]      the same with about N MB
//   bench_sqlite_recovery FILE...       searches the given databases (with
//                                       the "-wal" and "-journal" beside them)
#include <sqlite3.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "platform/read_full.h"
#include "platform/unique_fd.h"
#include "records/recovery/recover.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// CPU time of the process: on a machine shared with other work the wall
// clock says more about the neighbours than about the code.
double cpu_seconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// Reads the whole file in 1 MiB blocks; returns the bytes read.
uint64_t plain_read(const std::string& path) {
    const quen::platform::UniqueFd fd = quen::platform::open_read_only(path);
    if (!fd.valid()) return 0;
    std::vector<char> block(1 << 20);
    uint64_t total = 0;
    unsigned sum = 0;
    while (true) {
        const size_t got = quen::platform::read_full(fd.get(), block.data(), block.size(), total).bytes;
        if (got == 0) break;
        total += got;
        sum += static_cast<unsigned char>(block[got - 1]);
    }
    if (sum == 1) std::fputs("", stdout);  // keeps the reads
    return total;
}

struct Timing {
    double wall = 1e30, cpu = 1e30;
};

// The best wall-clock and CPU times of `runs` runs.
template <typename Work>
Timing best_of(int runs, Work&& work) {
    Timing best;
    for (int run = 0; run < runs; ++run) {
        const auto start = Clock::now();
        const double cpu_start = cpu_seconds();
        work();
        best.wall = std::min(best.wall, seconds_since(start));
        best.cpu = std::min(best.cpu, cpu_seconds() - cpu_start);
    }
    return best;
}

bool exec(sqlite3* db, const char* sql) {
    char* error = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &error) == SQLITE_OK) return true;
    std::fprintf(stderr, "bench_sqlite_recovery: %s\n", error ? error : "?");
    sqlite3_free(error);
    return false;
}

// A messages table of about `megabytes` MB, every fourth row deleted
// (secure_delete off, as on phones before Android 8); the rows deleted.
int64_t build_database(const std::string& path, int megabytes) {
    sqlite3* db = nullptr;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) return -1;
    const int64_t rows = int64_t{megabytes} * 1000000 / 260;
    bool ok = exec(db, "PRAGMA secure_delete=OFF; PRAGMA journal_mode=DELETE;"
                       "CREATE TABLE messages (_id INTEGER PRIMARY KEY, thread_id INTEGER, address TEXT, "
                       "date INTEGER, read INTEGER, body TEXT); BEGIN;");
    sqlite3_stmt* insert = nullptr;
    ok = ok && sqlite3_prepare_v2(db, "INSERT INTO messages VALUES (?,?,?,?,?,?)", -1, &insert, nullptr) == SQLITE_OK;
    std::mt19937 rng(7);
    const char* words[] = {"see", "you", "at", "seven", "tomorrow", "thanks", "ok", "call", "me", "later",
                           "Привет", "今日は", "¿dónde", "estás?", "🎉", "meeting", "moved", "room", "4.12", "bus"};
    for (int64_t row = 1; ok && row <= rows; ++row) {
        std::string body;
        while (body.size() < 180 + rng() % 60) body += std::string(words[rng() % 20]) + " ";
        const std::string address = "+4917" + std::to_string(10000000 + rng() % 89999999);
        sqlite3_bind_int64(insert, 1, row);
        sqlite3_bind_int64(insert, 2, 1 + static_cast<int64_t>(rng() % 400));
        sqlite3_bind_text(insert, 3, address.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int64(insert, 4, 1700000000000 + row * 60000);
        sqlite3_bind_int(insert, 5, static_cast<int>(rng() % 2));
        sqlite3_bind_text(insert, 6, body.c_str(), -1, SQLITE_TRANSIENT);
        ok = sqlite3_step(insert) == SQLITE_DONE;
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    ok = ok && exec(db, "COMMIT; DELETE FROM messages WHERE _id % 4 = 1;");
    sqlite3_close(db);
    return ok ? (rows + 3) / 4 : -1;
}

void bench_file(const std::string& path) {
    uint64_t bytes = 0;
    const auto files = quen::records::recovery::files_beside(path);
    for (const std::string& file : {files.database, files.wal, files.journal})
        if (!file.empty()) bytes += fs::file_size(file);
    const double mb = static_cast<double>(bytes) / 1e6;

    plain_read(path);  // warm the page cache
    const Timing read = best_of(3, [&] {
        for (const std::string& file : {files.database, files.wal, files.journal})
            if (!file.empty()) plain_read(file);
    });
    size_t live = 0, deleted = 0, partial = 0;
    const Timing search = best_of(3, [&] {
        quen::records::recovery::RecoveryResult result;
        std::string error;
        quen::records::recovery::recover_database(files, {}, result, error);
        live = deleted = partial = 0;
        for (const auto& record : result.records) {
            (record.deleted ? deleted : live) += 1;
            partial += record.partial;
        }
    });
    std::printf("%s\n  files %.1f MB\n", path.c_str(), mb);
    std::printf("  plain read  %8.3f s  %9.1f MB/s   (CPU %.3f s)\n", read.wall, mb / read.wall, read.cpu);
    std::printf("  recovery    %8.3f s  %9.1f MB/s   (CPU %.3f s, %.1f MB/s of CPU); %zu live rows, %zu deleted rows "
                "(%zu partial)\n",
                search.wall, mb / search.wall, search.cpu, mb / search.cpu, live, deleted, partial);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> files;
    int megabytes = 100;
    for (int arg = 1; arg < argc; ++arg) {
        if (std::strcmp(argv[arg], "--mb") == 0 && arg + 1 < argc) megabytes = std::max(1, std::atoi(argv[++arg]));
        else files.emplace_back(argv[arg]);
    }
    fs::path dir;
    if (files.empty()) {
        dir = fs::temp_directory_path() / ("quen_bench_sqlite_recovery_" + std::to_string(::getpid()));
        fs::create_directories(dir);
        const std::string path = (dir / "messages.db").string();
        const auto start = Clock::now();
        const int64_t deleted = build_database(path, megabytes);
        if (deleted < 0) return 1;
        std::printf("built %s in %.1f s: %lld rows deleted\n", path.c_str(), seconds_since(start),
                    static_cast<long long>(deleted));
        files.push_back(path);
    }
    for (const std::string& file : files) bench_file(file);
    if (!dir.empty()) fs::remove_all(dir);
    return 0;
}
