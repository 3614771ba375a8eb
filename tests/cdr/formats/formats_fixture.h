#pragma once
// Runs one extractor over a byte buffer the way the carving engine does, and
// checks what it records. Shared by the extractor tests and the extractor
// fuzz target (no test framework in here).
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "cdr/engine/extractor.h"
#include "cdr/engine/search_spec.h"
#include "cdr/formats/format_table.h"

namespace quen::cdr::test {

// Where run_extractor puts the buffer on the device unless told otherwise.
inline constexpr uint64_t kBufferAt = 1u << 20;

// The bytes followed by `zeros` zero bytes, as a file lies on a wiped card.
inline std::vector<uint8_t> padded(std::vector<uint8_t> b, size_t zeros = 4096) {
    b.resize(b.size() + zeros, 0);
    return b;
}

struct Recorded {
    std::string extension;
    uint64_t offset;
    uint64_t size;
};

// The SearchSpec the engine sets up for a row.
inline SearchSpec spec_from(const FormatRow& row) { return spec_from_row(row); }

// The SearchSpec of a -t name (one row), e.g. "jpg", "doc", "wav".
inline SearchSpec spec_named(const std::string& name) { return spec_from(formats_for_name(name).at(0)); }

// Records into a list and notes any file outside the bytes the extractor was
// given: [device offset of hit - before, device offset of hit + available).
class CheckingRecorder : public FileRecorder {
public:
    uint64_t lo = 0, hi = 0;
    std::vector<Recorded> files;
    std::vector<std::string> faults;

    void record(SearchSpec& spec, uint64_t off, uint64_t size) override {
        files.push_back({spec.extension, off, size});
        if (off < lo || off > hi || size > hi - off || size == 0)
            faults.push_back("file " + std::to_string(off) + "+" + std::to_string(size) + " outside [" +
                             std::to_string(lo) + ", " + std::to_string(hi) + ")");
        spec.written = true;
    }
};

// The rest of a disk beyond the bytes an extractor is given, as the engine
// fetches it: `disk` holds the device's bytes from `at` on.
class DiskFetcher final : public ByteFetcher {
public:
    DiskFetcher(const std::vector<uint8_t>& disk, uint64_t at) : disk_(disk), at_(at) {}
    std::span<const uint8_t> fetch(uint64_t off, size_t len) override {
        if (off < at_ || off - at_ > disk_.size() || len > disk_.size() - (off - at_) || len > kMaxFetch) return {};
        // A copy of exactly those bytes, so that a read past them is caught.
        buf_.reset(new uint8_t[len ? len : 1]);
        std::memcpy(buf_.get(), disk_.data() + (off - at_), len);
        return {buf_.get(), len};
    }

private:
    const std::vector<uint8_t>& disk_;
    uint64_t at_;
    std::unique_ptr<uint8_t[]> buf_;
};

// How the engine hands the bytes over, beyond the bytes themselves.
struct RunOptions {
    uint64_t k = kBufferAt;  // the buffer's device offset
    // The device's bytes from the buffer's start on, for fetches past the
    // bytes given; null: nothing can be fetched.
    const std::vector<uint8_t>* disk = nullptr;
    bool final_try = false;  // these are the window: no more bytes will come
    uint64_t lead = 0;       // bytes of the file before the hit
    uint64_t range_end = UINT64_MAX;  // where the scanned range ends
};

struct ExtractRun {
    ExtractResult result;
    std::vector<Recorded> files;
    std::vector<std::string> faults;
    std::vector<std::string> warnings;  // what the extractor said
    bool has_extractor = true;
};

// Calls the extractor of `spec` on bytes[before ..] with exactly those bytes
// in a fresh allocation (so that a read outside them is caught by the address
// sanitizer). The buffer lies at device offset `k`.
inline ExtractRun run_extractor(SearchSpec& spec, const uint8_t* data, size_t size, size_t before,
                                const RunOptions& o) {
    const uint64_t k = o.k;
    ExtractRun out;
    const ExtractFn fn = spec.extract;
    if (!fn) {
        out.has_extractor = false;
        return out;
    }
    // Exactly `size` bytes, so that a read outside them is caught.
    std::unique_ptr<uint8_t[]> exact(new uint8_t[size ? size : 1]);
    if (size) std::memcpy(exact.get(), data, size);
    CheckingRecorder rec;
    const EngineTextFn on_text = [&out](EngineText, const std::string& text) { out.warnings.push_back(text); };
    ExtractInput in;
    in.hit = exact.get() + before;
    in.hit_offset = before;
    in.before = before;
    in.available = size - before;
    in.buffer_offset = k;
    in.spec = &spec;
    in.recorder = &rec;
    in.on_text = &on_text;
    in.final_try = o.final_try;
    in.lead = o.lead;
    in.range_end = o.range_end;
    std::optional<DiskFetcher> fetcher;
    if (o.disk) {
        fetcher.emplace(*o.disk, k);
        in.fetch = &*fetcher;
    }
    rec.lo = k;
    rec.hi = k + (o.disk ? std::max<uint64_t>(o.disk->size(), size) : size);
    spec.written = false;
    out.result = fn(in);
    if (out.result && *out.result == 0) out.faults.push_back("continues at the hit itself");
    out.files = std::move(rec.files);
    for (auto& f : rec.faults) out.faults.push_back(std::move(f));
    return out;
}

inline ExtractRun run_extractor(SearchSpec& spec, const uint8_t* data, size_t size, size_t before = 0,
                                uint64_t k = kBufferAt) {
    RunOptions o;
    o.k = k;
    return run_extractor(spec, data, size, before, o);
}

inline ExtractRun run_extractor(SearchSpec& spec, const std::vector<uint8_t>& bytes, size_t before = 0,
                                uint64_t k = kBufferAt) {
    return run_extractor(spec, bytes.data(), bytes.size(), before, k);
}

// The window: as many bytes as there are, and no more to come.
inline ExtractRun run_final(SearchSpec& spec, const std::vector<uint8_t>& bytes) {
    RunOptions o;
    o.final_try = true;
    return run_extractor(spec, bytes.data(), bytes.size(), 0, o);
}

// The first `given` bytes of a disk (a chunk ending there), the rest of the
// disk reachable by fetches only.
inline ExtractRun run_on_disk(SearchSpec& spec, const std::vector<uint8_t>& disk, size_t given) {
    RunOptions o;
    o.disk = &disk;
    return run_extractor(spec, disk.data(), std::min(given, disk.size()), 0, o);
}

}  // namespace quen::cdr::test
