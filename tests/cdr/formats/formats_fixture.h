#pragma once
// Runs one extractor over a byte buffer the way the carving engine does, and
// checks what it records. Shared by the extractor tests and the extractor
// fuzz target (no test framework in here).
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
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
inline ExtractRun run_extractor(SearchSpec& spec, const uint8_t* data, size_t size, size_t before = 0,
                                uint64_t k = kBufferAt) {
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
    rec.lo = k;
    rec.hi = k + size;
    spec.written = false;
    out.result = fn(in);
    if (out.result && *out.result == 0) out.faults.push_back("continues at the hit itself");
    out.files = std::move(rec.files);
    for (auto& f : rec.faults) out.faults.push_back(std::move(f));
    return out;
}

inline ExtractRun run_extractor(SearchSpec& spec, const std::vector<uint8_t>& bytes, size_t before = 0,
                                uint64_t k = kBufferAt) {
    return run_extractor(spec, bytes.data(), bytes.size(), before, k);
}

}  // namespace quen::cdr::test
