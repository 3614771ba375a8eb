#pragma once
// The state of one carving run and the result it hands back.
//
// The engine keeps a small command-line surface of its own (options, usage
// text); the state below is what those options set that a run acts on, plus
// the SearchSpecs set up for the run and the node being scanned. Options that
// change nothing (-v, -d, -w, -m, -T, -o, -c, -s) are accepted and checked,
// but leave no state behind.
#include <cstdint>
#include <string>
#include <vector>

#include "cdr/disks/cdr_node.h"
#include "cdr/engine/carve_reader.h"
#include "cdr/engine/extractor.h"
#include "cdr/engine/search_spec.h"
#include "platform/sizes.h"

namespace quen::cdr {

constexpr uint32_t kDefaultChunkMiB = 4;
constexpr uint32_t kDefaultBlockSize = 512;
constexpr const char* kEngineVersion = "1.0.0";

struct CarveState {
    bool quick = false;          // -q: headers only at block-size boundaries
    bool quiet = false;          // -Q: no progress text, no per-chunk callback
    bool write_all = false;      // -a: record every header, no error detection
    std::string input_name;      // -i
    std::vector<SearchSpec> specs;  // at most kMaxSpecs, in set-up (and search) order
    uint32_t chunk_mib = kDefaultChunkMiB;    // -k
    uint32_t block_size = kDefaultBlockSize;  // -b
    uint64_t files_found = 0;
    uint64_t extent_start = 0;   // the scanned node's start offset
    uint64_t extent_length = 0;  // and length
    CdrNode* node = nullptr;     // the scanned node; file-type nodes become its children
    ProgressFn progress;         // may be empty
    EngineTextFn on_text;        // may be empty

    uint64_t extent_end() const { return extent_start + extent_length; }
    uint64_t chunk_bytes() const { return uint64_t{chunk_mib} * platform::kMiB; }
    void say(EngineText kind, const std::string& text) const {
        if (on_text) on_text(kind, text);
    }
};

enum class CarveStatus {
    Done,         // the extent was read to its end, or a read returned nothing
    Stopped,      // the callback returned kProgressStop
    Help,         // -h: message holds the usage text
    Version,      // -V: message holds the version text
    UsageError,   // bad option, missing argument, unknown type name, bad number
    InputError,   // no input name, or the node has no readable handle
    DeviceLost,   // the source stopped answering (unplugged) before the extent's end
};


struct CarveResult {
    CarveStatus status = CarveStatus::Done;
    std::string message;      // usage/version text or what went wrong
    uint64_t bytes_read = 0;  // every byte read from the source, chunks and windows alike
    uint64_t files_found = 0;
    // Sectors that could not be read, even on a second try: the run went on
    // past them with zeros in their place.
    std::vector<ByteRange> unreadable;  // device offsets
};

}  // namespace quen::cdr
