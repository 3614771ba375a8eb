#pragma once
// The contract between the carving engine and the per-format extractors.
//
// For each header hit the engine calls the extractor of the SearchSpec's type with
// the bytes from the hit on. The extractor checks that they really begin a file
// of its format, decides where the file ends, records it through the recorder,
// and says where searching goes on. Extractors never read the device; they may
// read only hit[-before .. available).
#include <cstdint>
#include <optional>

#include "cdr/search_spec.h"

namespace quen::cdr {

class FileRecorder {
public:
    virtual ~FileRecorder() = default;
    // Records a found file of `spec` at an absolute device offset.
    virtual void record(SearchSpec& spec, uint64_t device_offset, uint64_t size) = 0;
};

struct ExtractInput {
    const uint8_t* hit = nullptr;  // bytes at the hit
    uint64_t hit_offset = 0;       // h: the hit's offset within its buffer
    uint64_t available = 0;        // r: bytes readable from hit on
    // Bytes readable before the hit, hit[-before .. 0): h for a chunk (the
    // chunk's bytes before the hit), and for a disk window whatever the window
    // holds ahead of the hit (0 when it starts at the hit). QuickTime reads the
    // atom size 4 bytes before its "moov"/"pnot" hit, and C++ text extends its
    // run backwards; neither reads before hit - before.
    uint64_t before = 0;
    uint64_t buffer_offset = 0;    // K: the buffer's device offset
    SearchSpec* spec = nullptr;
    FileRecorder* recorder = nullptr;

    // Device offset of the byte `rel` bytes after the hit.
    uint64_t device_offset(uint64_t rel) const { return buffer_offset + hit_offset + rel; }
};

// Where to go on searching, in bytes after the hit; std::nullopt means the file
// may run past the bytes given (the engine then tries a max-length window).
using ExtractResult = std::optional<uint64_t>;
using ExtractFn = ExtractResult (*)(const ExtractInput&);

// The extractor for a type id, or nullptr when the type has none.
ExtractFn find_extractor(int type);

}  // namespace quen::cdr
