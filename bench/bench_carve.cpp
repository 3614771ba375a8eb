// Carving throughput from the page cache: 1 GiB images (all zero, random, and
// densely packed with sample files), each carved in quick mode with the
// built-in table as the storage scan runs it, next to a plain sequential read
// of the same file in the same run. Prints MB/s and the bytes read from the
// source divided by the image size, for the read-ahead reader and for reading
// every chunk and window straight from the source.
//
//   bench_carve [--size-mib N] [--dir DIR] [--keep]
#include <fcntl.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "cdr/disks/disk_image.h"
#include "cdr/engine/engine.h"
#include "sample_card.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr uint64_t kMiB = 1024 * 1024;
constexpr size_t kReadBlock = 4 * kMiB;

double seconds_since(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

// CPU seconds of this process: on a shared machine the wall clock also counts
// the time other programs had the processors.
double cpu_now() {
    timespec ts{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

bool write_image(const std::string& path, uint64_t size, const std::function<void(uint8_t*, size_t, uint64_t)>& fill) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    std::vector<uint8_t> buf(kReadBlock);
    bool ok = true;
    for (uint64_t at = 0; ok && at < size; at += buf.size()) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(buf.size(), size - at));
        fill(buf.data(), n, at);
        ok = ::write(fd, buf.data(), n) == static_cast<ssize_t>(n);
    }
    return ::close(fd) == 0 && ok;
}

struct Timed {
    double seconds = -1;  // wall clock
    double cpu = -1;      // processor time
};

// Reads the whole file once with 4 MiB preads.
Timed plain_read(const std::string& path, uint64_t& total) {
    Timed out;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return out;
    std::unique_ptr<uint8_t[]> buf(new uint8_t[kReadBlock]);
    total = 0;
    const auto t = Clock::now();
    const double c = cpu_now();
    uint64_t sum = 0;
    for (;;) {
        const ssize_t r = ::pread(fd, buf.get(), kReadBlock, static_cast<off_t>(total));
        if (r <= 0) break;
        sum += buf[static_cast<size_t>(r) - 1];  // touch the bytes
        total += static_cast<uint64_t>(r);
    }
    out.seconds = seconds_since(t);
    out.cpu = cpu_now() - c;
    ::close(fd);
    if (sum == 42) std::fputc(' ', stderr);
    return out;
}

struct CarveFigures {
    double seconds = -1;
    double cpu = -1;
    uint64_t bytes_read = 0;
    uint64_t files = 0;
};

CarveFigures carve(const std::string& path, quen::cdr::ReaderKind reader) {
    using namespace quen::cdr;
    CarveFigures f;
    auto root = make_root();
    std::string error;
    CdrNode* disk = cdr_add_image(path, *root, &error);
    if (!disk) {
        std::fprintf(stderr, "bench_carve: %s\n", error.c_str());
        return f;
    }
    CarveDiskOptions options;
    options.reader = reader;
    const auto t = Clock::now();
    const double c = cpu_now();
    const CarveResult r = carve_disk(*disk, options, {});
    f.seconds = seconds_since(t);
    f.cpu = cpu_now() - c;
    f.bytes_read = r.bytes_read;
    f.files = r.files_found;
    return f;
}

template <typename Fn>
auto best_of(int runs, Fn fn) {
    auto best = fn();
    for (int i = 1; i < runs; ++i) {
        auto next = fn();
        if (next.seconds >= 0 && next.seconds < best.seconds) best = next;
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    uint64_t size_mib = 1024;
    std::string dir = "/tmp";
    bool keep = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--size-mib" && i + 1 < argc) size_mib = std::strtoull(argv[++i], nullptr, 10);
        else if (a == "--dir" && i + 1 < argc) dir = argv[++i];
        else if (a == "--keep") keep = true;
        else {
            std::fprintf(stderr, "usage: bench_carve [--size-mib N] [--dir DIR] [--keep]\n");
            return 2;
        }
    }
    size_mib = std::max<uint64_t>(64, size_mib / 4 * 4);
    const uint64_t size = size_mib * kMiB;
    struct statvfs vfs {};
    if (::statvfs(dir.c_str(), &vfs) != 0 ||
        static_cast<uint64_t>(vfs.f_bavail) * vfs.f_frsize < 3 * size + 1024 * kMiB) {
        std::fprintf(stderr, "bench_carve: not enough free space in %s for three %llu MiB images\n",
                     dir.c_str(), static_cast<unsigned long long>(size_mib));
        return 1;
    }

    struct Image {
        const char* label;
        std::string path;
    };
    std::vector<Image> images = {{"zero", dir + "/bench_carve_zero.img"},
                                 {"random", dir + "/bench_carve_random.img"},
                                 {"dense", dir + "/bench_carve_dense.img"}};
    bool ok = write_image(images[0].path, size, [](uint8_t* b, size_t n, uint64_t) { std::memset(b, 0, n); });
    std::mt19937_64 rng(1);
    ok = ok && write_image(images[1].path, size, [&rng](uint8_t* b, size_t n, uint64_t) {
        for (size_t i = 0; i + 8 <= n; i += 8) {
            const uint64_t v = rng();
            std::memcpy(b + i, &v, 8);
        }
    });
    std::vector<quen::sample::ExpectedFile> dense_files;
    std::string error;
    ok = ok && quen::sample::write_dense_card(images[2].path, size, 7, dense_files, error);
    if (!ok) {
        std::fprintf(stderr, "bench_carve: cannot write the images in %s %s\n", dir.c_str(), error.c_str());
        for (const Image& im : images) ::unlink(im.path.c_str());
        return 1;
    }

    std::printf("bench_carve: %llu MiB images in %s, quick mode, built-in table, best of 3\n",
                static_cast<unsigned long long>(size_mib), dir.c_str());
    std::printf("MB/s by the wall clock, and in brackets per second of processor time\n");
    std::printf("%-7s %18s %18s %10s %7s | %18s %10s\n", "image", "plain read MB/s", "carve MB/s", "read/size",
                "files", "direct carve MB/s", "read/size");
    for (const Image& im : images) {
        uint64_t total = 0;
        plain_read(im.path, total);  // into the page cache
        const Timed plain = best_of(3, [&] { return plain_read(im.path, total); });
        const CarveFigures ra = best_of(3, [&] { return carve(im.path, quen::cdr::ReaderKind::ReadAhead); });
        const CarveFigures direct = best_of(1, [&] { return carve(im.path, quen::cdr::ReaderKind::Direct); });
        const double mb = static_cast<double>(size) / 1e6;
        auto rate = [mb](double wall, double cpu) {
            char buf[64];
            std::snprintf(buf, sizeof buf, "%.0f (%.0f)", mb / wall, mb / cpu);
            return std::string(buf);
        };
        std::printf("%-7s %18s %18s %10.3f %7llu | %18s %10.3f\n", im.label, rate(plain.seconds, plain.cpu).c_str(),
                    rate(ra.seconds, ra.cpu).c_str(), static_cast<double>(ra.bytes_read) / static_cast<double>(size),
                    static_cast<unsigned long long>(ra.files), rate(direct.seconds, direct.cpu).c_str(),
                    static_cast<double>(direct.bytes_read) / static_cast<double>(size));
        if (im.label == std::string("dense") && ra.files != dense_files.size())
            std::printf("  (dense: %llu files found, %zu expected)\n", static_cast<unsigned long long>(ra.files),
                        dense_files.size());
    }
    if (!keep)
        for (const Image& im : images) ::unlink(im.path.c_str());
    return 0;
}
