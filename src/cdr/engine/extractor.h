#pragma once
// The contract between the carving engine and the per-format extractors.
//
// For each header hit the engine calls the extractor of the SearchSpec with
// the bytes from the hit on. The extractor checks that they really begin a file
// of its format, decides where the file ends, records it through the recorder,
// and says where searching goes on. Extractors never read the device; they may
// read only hit[-before .. available).
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

namespace quen::cdr {

struct SearchSpec;

// What the engine has to say besides the files it finds. Library code prints
// nothing: a front end decides what, if anything, to show and where.
enum class EngineText {
    Progress,  // "Processing: <input>\n|" and the closing "|\n"; "-t: <list>\n"
    Warning,   // something odd that the run goes on after (a rejected WMV header, a window without memory)
    Error,     // the run cannot go on; the same text is in the result's message
};
using EngineTextFn = std::function<void(EngineText kind, const std::string& text)>;

class FileRecorder {
public:
    virtual ~FileRecorder() = default;
    // Records a found file of `spec` at an absolute device offset.
    virtual void record(SearchSpec& spec, uint64_t device_offset, uint64_t size) = 0;
};

// Bytes beyond those an extractor was given, read from the device: for
// formats whose end is found by following sizes from header to header (boxes
// of a movie, chunks of a RIFF file), where reading everything in between
// would cost the whole file.
class ByteFetcher {
public:
    virtual ~ByteFetcher() = default;
    // Exactly `len` bytes (at most kMaxFetch) at a device offset, or an empty
    // span when not all of them can be read. Valid until the next call.
    virtual std::span<const uint8_t> fetch(uint64_t device_offset, size_t len) = 0;
    static constexpr size_t kMaxFetch = 64 * 1024;
};

struct ExtractInput {
    const uint8_t* hit = nullptr;  // bytes at the hit
    uint64_t hit_offset = 0;       // the hit's offset within its buffer
    uint64_t available = 0;        // bytes readable from the hit on
    // Bytes readable before the hit, hit[-before .. 0): for a chunk the
    // chunk's bytes before the hit, and for a disk window whatever the window
    // holds ahead of the hit (0 when it starts at the hit). QuickTime reads the
    // atom size 4 bytes before its "moov"/"pnot" hit, and C++ text extends its
    // run backwards; neither reads before hit - before.
    uint64_t before = 0;
    // Bytes before the hit that belong to the file as quick mode found it:
    // the header's offset in the file, or the lead-in before it (never more
    // than `before`). The file starts at hit - lead.
    uint64_t lead = 0;
    uint64_t buffer_offset = 0;    // the buffer's device offset
    SearchSpec* spec = nullptr;
    FileRecorder* recorder = nullptr;
    const EngineTextFn* on_text = nullptr;  // where a warning goes; null or empty: nowhere
    ByteFetcher* fetch = nullptr;  // null: nothing beyond the bytes given
    // No more bytes will come: these are the window, or no window would
    // bring more. The extractor decides with what it has.
    bool final_try = false;
    // Device offset where the scanned range ends: a box that runs "to the
    // end" ends there. UINT64_MAX: not known.
    uint64_t range_end = UINT64_MAX;

    // Device offset of the byte `rel` bytes after the hit.
    uint64_t device_offset(uint64_t rel) const { return buffer_offset + hit_offset + rel; }
};

// Where to go on searching, in bytes after the hit; std::nullopt means the file
// may run past the bytes given (the engine then tries a max-length window).
using ExtractResult = std::optional<uint64_t>;
using ExtractFn = ExtractResult (*)(const ExtractInput&);

}  // namespace quen::cdr
