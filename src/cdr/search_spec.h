#pragma once
// One file type as the carving engine searches for it.
#include <cstdint>
#include <string>
#include <vector>

#include "cdr/pattern.h"

namespace quen::cdr {

struct CdrNode;

constexpr size_t kMaxMarkers = 5;
constexpr size_t kMaxSpecs = 50;

struct SearchSpec {
    std::string extension;        // used in names; extractors may change it during a run
    int type = 0;                 // selects the extractor
    uint64_t max_length = 0;      // largest file accepted; also the window size
    Pattern header;
    Pattern footer;               // empty: none
    std::vector<Pattern> markers; // at most kMaxMarkers
    bool case_sensitive = true;
    uint64_t found_count = 0;
    bool written = false;         // a file was recorded for the current hit
    CdrNode* type_node = nullptr; // the file-type node; owned by the tree
};

}  // namespace quen::cdr
