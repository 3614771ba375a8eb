// Speed of the free-space scan: MB/s of scan_free_space over a database with
// much free space, next to a plain sequential read of the same file in the
// same run (page cache warm for both).
//
//   bench_free_space                 generates a sample phone of tens of MB
//   bench_free_space FILE...         scans the given contacts2.db / mmssms.db
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "records/free_space_probe.h"
#include "records/free_space_scan.h"
#include "records/free_space_walk.h"
#include "sample_phone.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

// Reads the whole file in 1 MiB blocks; returns the bytes read.
uint64_t plain_read(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) return 0;
    std::vector<char> buf(1 << 20);
    uint64_t total = 0;
    ssize_t n;
    unsigned sum = 0;
    while ((n = ::read(fd, buf.data(), buf.size())) > 0) {
        total += static_cast<uint64_t>(n);
        sum += static_cast<unsigned char>(buf[static_cast<size_t>(n) - 1]);
    }
    ::close(fd);
    if (sum == 1) std::fputs("", stdout);  // keeps the reads
    return total;
}

template <typename F>
double best_of(int runs, F&& f) {
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        auto t = Clock::now();
        f();
        best = std::min(best, seconds_since(t));
    }
    return best;
}

void bench_file(const std::string& path) {
    const bool contacts = path.find("contacts2.db") != std::string::npos;
    const quen::records::FreeSpaceMode mode = contacts ? quen::records::FreeSpaceMode::Contacts : quen::records::FreeSpaceMode::Messages;
    const double mb = static_cast<double>(fs::file_size(path)) / 1e6;

    uint64_t free_bytes = 0, regions = 0;
    if (auto layout = quen::records::probe_table(mode, path))
        quen::records::for_each_free_region(path, *layout, [&](std::span<const uint8_t> r) {
            free_bytes += r.size();
            ++regions;
        });

    plain_read(path);  // warm the page cache
    const double read_s = best_of(3, [&] { plain_read(path); });
    size_t found = 0;
    const double scan_s = best_of(3, [&] {
        if (contacts) {
            quen::records::ContactMap map;
            quen::records::scan_free_space(mode, path, map);
            found = 0;
            for (auto& [k, c] : map)
                for (quen::records::FieldKind kind : {0, 1, 2, 3, 4, 5, 6, 7, 8, 10, 11})
                    found += quen::records::split_text_list(quen::records::contact_field(c, kind)).size();
        } else {
            quen::records::ThreadMap map;
            quen::records::scan_free_space(mode, path, map);
            found = 0;
            for (const auto& [k, t] : map) found += t.messages.size();
        }
    });
    std::printf("%s\n  file %.1f MB, %llu free regions, %.1f MB free\n", path.c_str(), mb,
                static_cast<unsigned long long>(regions), static_cast<double>(free_bytes) / 1e6);
    std::printf("  plain read  %8.3f s  %9.1f MB/s\n", read_s, mb / read_s);
    std::printf("  free-space  %8.3f s  %9.1f MB/s of file, %.1f MB/s of free space; %zu %s rebuilt\n", scan_s,
                mb / scan_s, static_cast<double>(free_bytes) / 1e6 / scan_s, found,
                contacts ? "values" : "messages");
}

}  // namespace

int main(int argc, char** argv) {
    quen::records::ensure_mimetype_kind_table();
    std::vector<std::string> files(argv + 1, argv + argc);
    fs::path dir;
    if (files.empty()) {
        dir = fs::temp_directory_path() / ("quen_bench_free_space_" + std::to_string(::getpid()));
        quen::sample_phone::Options o;
        o.contacts = 15000;
        o.threads = 400;
        o.messages_per_thread = 250;
        o.max_body = 400;
        std::string error;
        auto t = Clock::now();
        auto sample = quen::sample_phone::make_sample_phone(dir.string(), o, error);
        if (!sample) {
            std::fprintf(stderr, "bench_free_space: %s\n", error.c_str());
            return 1;
        }
        std::printf("generated sample phone (seed %u, %d contacts, %d sms) in %.1f s: %zu deleted contact values "
                    "and %zu deleted sms to rebuild\n",
                    o.seed, o.contacts, o.threads * o.messages_per_thread, seconds_since(t),
                    sample->deleted_values.size(), sample->deleted_messages.size());
        for (const auto& [id, text] : sample->mimetypes) quen::records::mimetype_id_table()[id] = text;
        files = {sample->contacts_path, sample->messages_path};
    }
    for (const std::string& f : files) bench_file(f);
    if (!dir.empty()) fs::remove_all(dir);
    return 0;
}
