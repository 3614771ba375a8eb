#pragma once
// The state of one carving run and the result it hands back.
//
// The engine keeps a small command-line surface of its own (options, usage
// text); the state below is what those options set, plus the search
// SearchSpecs set up for the run and the node being scanned.
#include <cstdint>
#include <string>
#include <vector>

#include "cdr/cdr_node.h"
#include "cdr/search_spec.h"

namespace quen::cdr {

// Mode flags (-v, -Q, -d, -q, -a, -w, -m).
enum CarveMode : uint32_t {
    kModeVerbose = 2,
    kModeQuiet = 4,        // no progress text, no per-chunk callback
    kModeIndirect = 8,     // indirect-block detection (accepted, not acted on)
    kModeQuick = 16,       // headers only at block-size boundaries
    kModeWriteAll = 32,    // record every header, no error detection
    kModeAuditOnly = 64,
    kModeFlag128 = 128,
};

constexpr uint64_t kMiB = 1024 * 1024;
constexpr uint32_t kDefaultChunkMiB = 4;
constexpr uint32_t kDefaultBlockSize = 512;
constexpr const char* kEngineVersion = "1.0.0";

struct CarveState {
    uint32_t mode = 0;
    std::string config_file;     // -c; kept, never read
    std::string input_name;      // -i
    std::string output_dir;      // -o; kept, nothing is written
    std::string start_time;      // ctime text of the run's start
    std::string invocation;      // the argument vector joined by blanks, at most 1024 bytes
    std::vector<SearchSpec> specs;  // at most kMaxSpecs, in set-up (and search) order
    uint32_t chunk_mib = kDefaultChunkMiB;  // -k
    uint64_t files_found = 0;
    uint32_t block_size = kDefaultBlockSize;  // -b
    uint64_t extent_start = 0;   // the scanned node's start offset
    uint64_t extent_length = 0;  // and length
    uint64_t skip_blocks = 0;    // -s; kept, the scan always starts at the extent's start
    bool time_stamp = false;     // -T
    CdrNode* node = nullptr;     // the scanned node; file-type nodes become its children
    ProgressFn progress;         // may be empty

    uint64_t extent_end() const { return extent_start + extent_length; }
    uint64_t chunk_bytes() const { return uint64_t{chunk_mib} * kMiB; }
    bool quick() const { return (mode & kModeQuick) != 0; }
    bool quiet() const { return (mode & kModeQuiet) != 0; }
};

enum class CarveStatus {
    Done,         // the extent was read to its end, or a read returned nothing
    Stopped,      // the callback returned kProgressStop
    Help,         // -h: message holds the usage text
    Version,      // -V: message holds the version text
    UsageError,   // bad option, missing argument, unknown type name, bad number
    InputError,   // no input name, or the node has no readable handle
};

struct CarveResult {
    CarveStatus status = CarveStatus::Done;
    std::string message;      // usage/version text or what went wrong
    uint64_t bytes_read = 0;  // every byte read from the source, chunks and windows alike
    uint64_t files_found = 0;
};

}  // namespace quen::cdr
