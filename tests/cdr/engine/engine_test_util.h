#pragma once
// Helpers shared by the carving engine's tests: image files in the temporary
// folder, a storage tree over them, and a small catalog of toy formats whose
// rules are easy to reason about.
#include <cstdint>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "cdr/disks/cdr_node.h"
#include "cdr/engine/carve_reader.h"
#include "cdr/engine/engine.h"
#include "cdr/engine/pattern.h"
#include "cdr/engine/search_spec.h"
#include "platform/sizes.h"
#include "platform/unique_fd.h"
#include "test_support/files.h"

namespace quen::cdr::test {

using Bytes = std::vector<uint8_t>;
using platform::kMiB;

inline Bytes bytes_of(std::string_view s) { return Bytes(s.begin(), s.end()); }

inline void put(Bytes& img, size_t at, const Bytes& b) { std::memcpy(img.data() + at, b.data(), b.size()); }

inline void put_u32(Bytes& img, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) img[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

inline Bytes random_bytes(size_t n, uint32_t seed) {
    Bytes b(n);
    std::mt19937_64 rng(seed);
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        const uint64_t v = rng();
        std::memcpy(b.data() + i, &v, 8);
    }
    for (; i < n; ++i) b[i] = static_cast<uint8_t>(rng());
    return b;
}

// An in-memory disk whose reads can fail where a test wants them to, and
// that serves reads in pieces no longer than `piece` (like a device or pipe
// would). A read that reaches a bad range gives the bytes before it, or
// fails with EIO when it starts inside one (as a block device does); a
// flaky sector fails the first three reads that reach it, then reads; from
// `gone_from` on every read fails with ENODEV (an unplugged card reader).
class MemorySource final : public ByteSource {
public:
    explicit MemorySource(Bytes b) : bytes_(std::move(b)) {}
    ReadAttempt read_at(void* buf, size_t n, uint64_t off) override {
        ++calls;
        if (off >= gone_from) return {0, ENODEV};
        if (off >= bytes_.size()) return {0, 0};
        uint64_t stop = off + std::min<uint64_t>({n, bytes_.size() - off, piece, gone_from - off});
        for (const auto& [lo, hi] : bad)
            if (lo < stop && hi > off) stop = std::min(stop, lo);
        for (uint64_t s : flaky)
            if (s < stop && s + 512 > off && flaky_failures_[s] < 3) {
                ++flaky_failures_[s];
                stop = std::min(stop, s);
            }
        if (stop <= off) {
            ++failures_[off];
            return {0, EIO};
        }
        std::memcpy(buf, bytes_.data() + off, stop - off);
        return {static_cast<size_t>(stop - off), 0};
    }
    bool present() override { return gone_from == UINT64_MAX; }
    const Bytes& bytes() const { return bytes_; }
    int failures_at(uint64_t off) const {
        auto it = failures_.find(off);
        return it == failures_.end() ? 0 : it->second;
    }

    std::vector<std::pair<uint64_t, uint64_t>> bad;  // [lo, hi)
    std::vector<uint64_t> flaky;                      // sector offsets
    uint64_t gone_from = UINT64_MAX;
    size_t piece = SIZE_MAX;
    int calls = 0;

private:
    Bytes bytes_;
    std::map<uint64_t, int> failures_;
    std::map<uint64_t, int> flaky_failures_;
};

// An image file in a temporary folder of its own, removed when done.
class TempImage {
public:
    explicit TempImage(const Bytes& content) : path_(dir_.file("image", content)) {}
    const std::string& path() const { return path_; }
    Bytes read_back() const { return quen::test::read_bytes(path_); }

private:
    quen::test::TempDir dir_{"quen-engine"};
    std::string path_;
};

// A root with one disk node reading the file; the disk is the scanned node.
struct ImageTree {
    std::unique_ptr<CdrNode> root = make_root();
    CdrNode* disk = nullptr;

    ImageTree(const std::string& path, uint64_t length) {
        disk = root->add_child(CdrKind::Disk, "image");
        disk->path = path;
        disk->length = length;
        disk->removable = true;
        disk->read_handle = platform::open_read_only(path);
    }
};

// ---- toy formats -----------------------------------------------------------
// "toy": "TOY!" and a u32 total length at 4; a length beyond the bytes given
// asks for the window. "ftr": "<F>" ... "</F>", footer searched within the
// max length. "nox": no extractor. "htm": "<html" ... "</html>", any case.
// Type ids of their own, outside the built-in ones.
constexpr FormatType kToy = static_cast<FormatType>(100);
constexpr FormatType kFtr = static_cast<FormatType>(101);
constexpr FormatType kNox = static_cast<FormatType>(102);
constexpr FormatType kHtm = static_cast<FormatType>(103);
constexpr FormatType kStuck = static_cast<FormatType>(104);

inline ExtractResult toy_length(const ExtractInput& in) {
    if (in.available < 8) return std::nullopt;
    uint32_t len = 0;
    for (int i = 0; i < 4; ++i) len |= uint32_t{in.hit[4 + i]} << (8 * i);
    if (len < 8 || len > in.spec->max_length) return 4;
    if (len > in.available) return std::nullopt;
    in.recorder->record(*in.spec, in.device_offset(0), len);
    return len;
}

inline ExtractResult toy_footer(const ExtractInput& in) {
    const size_t h = in.spec->header.size();
    const uint64_t n = std::min(in.available, in.spec->max_length);
    if (n <= h) return std::nullopt;
    const ptrdiff_t at = pattern_search(in.spec->footer, in.hit + h, n - h);
    if (at < 0) return std::nullopt;
    const uint64_t end = h + static_cast<uint64_t>(at) + in.spec->footer.size();
    in.recorder->record(*in.spec, in.device_offset(0), end);
    return end;
}

// Says "continue at the hit itself" for every header.
inline ExtractResult toy_stuck(const ExtractInput&) { return 0; }

inline std::vector<FormatRow> toy_rows() {
    return {
        FormatRow{"toy", kToy, bytes_of("TOY!"), {}, 3 * kMiB, {}, true, toy_length},
        FormatRow{"ftr", kFtr, bytes_of("<F>"), bytes_of("</F>"), 2 * kMiB, {}, true, toy_footer},
        FormatRow{"nox", kNox, bytes_of("NOX"), {}, 1 * kMiB, {}, true, nullptr},
        FormatRow{"htm", kHtm, bytes_of("<html"), bytes_of("</html>"), 1 * kMiB, {}, false, toy_footer},
    };
}

inline const FormatCatalog& toy_catalog() {
    static const FormatCatalog c{
        [](std::string_view name) -> std::vector<FormatRow> {
            if (name == "all") return toy_rows();
            if (name == "stuck")
                return {FormatRow{"stk", kStuck, bytes_of("STK"), {}, 1 * kMiB, {}, true, toy_stuck}};
            for (const FormatRow& r : toy_rows())
                if (name == r.extension) return {r};
            return {};
        },
    };
    return c;
}

// A toy file of `len` bytes (len ≥ 8) at `at`.
inline void put_toy(Bytes& img, size_t at, uint32_t len) {
    put(img, at, bytes_of("TOY!"));
    put_u32(img, at + 4, len);
}

struct Found {
    std::string type, name;
    uint64_t offset = 0, size = 0;
    bool operator==(const Found& o) const {
        return std::tie(type, name, offset, size) == std::tie(o.type, o.name, o.offset, o.size);
    }
};

inline void PrintTo(const Found& f, std::ostream* os) {
    *os << f.type << ":" << f.name << "@" << f.offset << "+" << f.size;
}

// Every found file under the scanned node, type node by type node.
inline std::vector<Found> collect(const CdrNode& scanned) {
    std::vector<Found> out;
    for (const auto& child : scanned.children)
        if (child->kind == CdrKind::FileType)
            for (const FoundFile& f : child->found_files)
                out.push_back({child->name, f.name, f.offset, f.size});
    return out;
}

struct RunOutput {
    CarveResult result;
    std::vector<Found> files;
};

// One run over a fresh tree on the image file.
inline RunOutput run_image(const std::string& path, uint64_t length, std::vector<std::string> args,
                           const FormatCatalog& catalog, ReaderKind reader = ReaderKind::ReadAhead,
                           ProgressFn progress = {}) {
    ImageTree tree(path, length);
    args.push_back("-i");
    args.push_back(path);
    CarveRunConfig cfg;
    cfg.reader = reader;
    cfg.progress = std::move(progress);
    RunOutput out;
    out.result = carve_run(*tree.disk, args, catalog, cfg);
    out.files = collect(*tree.disk);
    return out;
}

}  // namespace quen::cdr::test
