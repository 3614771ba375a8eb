#pragma once
// The carving engine: finds files of known types in the byte range of a disk
// or partition node by their header bytes, lets each type's extractor decide
// the true length, and hangs every accepted file on a per-type node under the
// scanned node.
//
// A run reads the range in chunks (4 MiB by default) and searches each chunk
// for every type in set-up order; a header whose file may run past its chunk
// is retried once on a window of the type's max length read at the header.
#include <cstdio>
#include <string>
#include <vector>

#include "cdr/carve_catalog.h"
#include "cdr/carve_state.h"
#include "cdr/cdr_node.h"

namespace quen::cdr {

enum class ReaderKind {
    ReadAhead,  // one ring over the source: every byte read about once
    Direct,     // every chunk and window read from the source as asked
};

struct CarveRunConfig {
    ProgressFn progress;              // may be empty
    std::FILE* messages = stderr;     // the engine's own text; null: none
    ReaderKind reader = ReaderKind::ReadAhead;
    // Operands end the options (POSIXLY_CORRECT set) instead of being passed
    // over while scanning goes on.
    bool posixly_correct = false;
};

// One run over the scanned node with an engine argument vector such as
// {"search", "-q", "-t", "jpg,png", "-i", "/dev/sdb"}. The node's read handle
// is the source; its start offset and length are the extent.
CarveResult carve_run(const std::vector<std::string>& args, CdrNode& node,
                      const FormatCatalog& catalog, const CarveRunConfig& config);

// The argument vector the storage scan uses: quick mode, the type list if
// any, and the node's device path as input name.
std::vector<std::string> scan_arguments(const std::string& input, const std::string& types);

}  // namespace quen::cdr
