#pragma once
// Disk image files (and device nodes given by path) as removable disks of the
// storage tree.
#include <cstdint>
#include <optional>
#include <string>

#include "cdr/disks/cdr_node.h"

namespace quen::cdr {

// The size of what a handle reads: BLKGETSIZE64 for a block device, the file
// size for a regular file; nullopt when neither can be found.
std::optional<uint64_t> medium_size(int fd);

// Adds the image at `path` under `parent` as a removable disk node (name: the
// part after the last "/", path: the full path) with one partition child of
// the same name (drive: the path, start 0, the image's whole length, detail:
// its size text, is_image set). Both handles are opened read-only on the file.
// Returns the disk node, or null with a reason in *error when the file cannot
// be opened or sized; nothing is added then.
CdrNode* cdr_add_image(const std::string& path, CdrNode& parent, std::string* error = nullptr);

}  // namespace quen::cdr
