// Speed of the free-space scan: MB/s of scan_free_space over a database with
// much free space, next to a plain sequential read of the same file in the
// same run (page cache warm for both).
//
//   bench_free_space                 generates a sample phone of tens of MB
//   bench_free_space FILE...         scans the given contacts2.db / mmssms.db
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/read_full.h"
#include "platform/unique_fd.h"
#include "records/free_space/free_regions.h"
#include "records/free_space/free_space_scan.h"
#include "records/free_space/table_probe.h"
#include "records/model/mimetype_tables.h"
#include "records/model/text_list.h"
#include "sample_phone.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
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

template <typename Work>
double best_of(int runs, Work&& work) {
    double best = 1e30;
    for (int run = 0; run < runs; ++run) {
        const auto start = Clock::now();
        work();
        best = std::min(best, seconds_since(start));
    }
    return best;
}

void bench_file(const std::string& path) {
    const bool contacts = path.find("contacts2.db") != std::string::npos;
    const quen::records::FreeSpaceMode mode =
        contacts ? quen::records::FreeSpaceMode::Contacts : quen::records::FreeSpaceMode::Messages;
    const double mb = static_cast<double>(fs::file_size(path)) / 1e6;

    uint64_t free_bytes = 0, regions = 0;
    if (auto layout = quen::records::probe_table(mode, path))
        quen::records::for_each_free_region(path, *layout, [&](std::span<const uint8_t> region) {
            free_bytes += region.size();
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
            for (auto& [key, contact] : map)
                for (quen::records::FieldKind kind : {0, 1, 2, 3, 4, 5, 6, 7, 8, 10, 11})
                    found += quen::records::split_text_list(quen::records::contact_field(contact, kind)).size();
        } else {
            quen::records::ThreadMap map;
            quen::records::scan_free_space(mode, path, map);
            found = 0;
            for (const auto& [key, thread] : map) found += thread.messages.size();
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
        quen::sample_phone::Options options;
        options.contacts = 15000;
        options.threads = 400;
        options.messages_per_thread = 250;
        options.max_body = 400;
        std::string error;
        const auto start = Clock::now();
        auto sample = quen::sample_phone::make_sample_phone(dir.string(), options, error);
        if (!sample) {
            std::fprintf(stderr, "bench_free_space: %s\n", error.c_str());
            return 1;
        }
        std::printf("generated sample phone (seed %u, %d contacts, %d sms) in %.1f s: %zu deleted contact values "
                    "and %zu deleted sms to rebuild\n",
                    options.seed, options.contacts, options.threads * options.messages_per_thread, seconds_since(start),
                    sample->deleted_values.size(), sample->deleted_messages.size());
        for (const auto& [id, text] : sample->mimetypes) quen::records::mimetype_id_table()[id] = text;
        files = {sample->contacts_path, sample->messages_path};
    }
    for (const std::string& file : files) bench_file(file);
    if (!dir.empty()) fs::remove_all(dir);
    return 0;
}
