#pragma once
// What libblkid tells about a disk and the volumes on it, probed through a
// handle we already hold (so a partition needs no device node of its own).
#include <cstdint>
#include <string>

#include "cdr/disks/cdr_node.h"

namespace quen::cdr {

// The partition-table kind at the start of the disk: Mbr, Gpt, or Raw when
// there is none (or libblkid cannot tell).
PartitionStyle probe_partition_style(int fd, uint64_t disk_length);

struct VolumeInfo {
    bool found = false;    // a file system was recognised
    std::string label;     // may be empty
    std::string fs_name;   // e.g. "FAT32", "ext4", "exfat"
};

// The file system in [offset, offset + length) of the handle's device.
VolumeInfo probe_volume(int fd, uint64_t offset, uint64_t length);

}  // namespace quen::cdr
