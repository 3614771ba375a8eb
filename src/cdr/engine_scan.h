#pragma once
// The storage scan's entry to the carving engine.
#include <cstdint>
#include <string>

#include "cdr/carve_state.h"
#include "cdr/cdr_node.h"

namespace quen::cdr {

// Type groups of a scan; no group means the whole built-in table.
enum ScanTypeGroup : uint32_t {
    kScanPictures = 1,   // jpg,png,gif,bmp
    kScanVideo = 2,      // mpg,avi,wmv,mov,wav,vjpeg,rif
    kScanDocuments = 4,  // pdf,doc,htm,xls,ppt,cpp,sxw,sxc,sxi,wpd
};

// The -t list of the groups, joined by ","; empty for no groups.
std::string scan_type_list(uint32_t type_groups);

// Carves the node's range in quick mode with the built-in formats, hanging a
// file-type node per type under `partition`. Returns 0 (-1 for a null node).
// The result with the bytes read is left in *result when given.
int cdr_scan(CdrNode* partition, uint32_t type_groups, ProgressFn progress,
             CarveResult* result = nullptr);

}  // namespace quen::cdr
