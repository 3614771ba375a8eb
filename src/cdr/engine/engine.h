#pragma once
// The carving engine: finds files of known types in the byte range of a disk
// or partition node by their header bytes, lets each type's extractor decide
// the true length, and hangs every accepted file on a per-type node under the
// scanned node.
//
// A run reads the range in chunks (4 MiB by default) and searches each chunk
// for every type in set-up order; a header whose file may run past its chunk
// is retried once on a window of the type's max length read at the header.
//
// Two ways in: carve_disk, which every caller that carves a disk uses (the
// storage scan job, the command line, the benchmark), and carve_run, the
// engine's own argument-vector surface that carve_disk is built on.
#include <cstdint>
#include <string>
#include <vector>

#include "cdr/disks/cdr_node.h"
#include "cdr/engine/carve_reader.h"
#include "cdr/engine/carve_state.h"
#include "cdr/engine/extractor.h"
#include "cdr/engine/search_spec.h"

namespace quen::cdr {

enum class ReaderKind {
    ReadAhead,  // one ring over the source: every byte read about once
    Direct,     // every chunk and window read from the source as asked
};

// Type groups of a scan; no group means the whole built-in table.
enum ScanTypeGroup : uint32_t {
    kScanPictures = 1,   // jpg,png,gif,bmp
    kScanVideo = 2,      // mpg,avi,wmv,mov,wav,vjpeg,rif
    kScanDocuments = 4,  // pdf,doc,htm,xls,ppt,cpp,sxw,sxc,sxi,wpd
};

// The -t list of the groups, joined by ","; empty for no groups.
std::string scan_type_list(uint32_t type_groups);

struct CarveDiskOptions {
    std::string types;  // a -t list such as "jpg,png"; empty: the whole built-in table
    ReaderKind reader = ReaderKind::ReadAhead;
    EngineTextFn on_text;  // the engine's own text; empty: dropped
};

// Carves the node's whole range (a disk from its byte 0 for its length, a
// partition over its extent) in quick mode with the built-in formats, hanging
// a file-type node per type under it. The input name is the node's path.
CarveResult carve_disk(CdrNode& node, const CarveDiskOptions& options, const ProgressFn& progress);

struct CarveRunConfig {
    ProgressFn progress;   // may be empty
    EngineTextFn on_text;  // the engine's own text; empty: dropped
    ReaderKind reader = ReaderKind::ReadAhead;
    // Operands end the options (POSIXLY_CORRECT set) instead of being passed
    // over while scanning goes on.
    bool posixly_correct = false;
    // Read from this source instead of the node's read handle: a disk whose
    // sectors fail where a test wants them to.
    ByteSource* source = nullptr;
};

// One run over the scanned node with an engine argument vector such as
// {"search", "-q", "-t", "jpg,png", "-i", "/dev/sdb"}, the -t names looked up
// in the catalog. The node's read handle is the source; its start offset and
// length are the extent.
CarveResult carve_run(CdrNode& node, const std::vector<std::string>& args, const FormatCatalog& catalog,
                      const CarveRunConfig& config);

}  // namespace quen::cdr
