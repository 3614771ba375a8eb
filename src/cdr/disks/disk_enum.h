#pragma once
// Finding the PC's disks, their partitions and the mount points on them, as a
// storage tree (cdr/cdr_node.h).
//
// On Linux a physical disk is a /sys/block entry with a "device" link (loop,
// ram and device-mapper devices have none). Its partitions are the
// sub-entries with a "partition" file; "start" and "size" count 512-byte
// sectors whatever the medium's own sector size. Labels, file systems and the
// partition-table kind come from libblkid probing the disk's own read handle;
// mount points from mountinfo, matched by device number.
#include <memory>
#include <string>
#include <vector>

#include "cdr/disks/cdr_node.h"

namespace quen::cdr {

// Where enumeration looks; tests point these into a temporary folder.
struct EnumPaths {
    std::string sysfs_block = "/sys/block";
    std::string dev_root = "/dev";
    std::string mountinfo = "/proc/self/mountinfo";
};

// A device that was skipped, and why: one sentence naming the device (and
// the fix, when it is a matter of permission).
struct EnumProblem {
    std::string text;
    bool removable = false;  // the device would have been a removable disk
};

struct EnumResult {
    std::unique_ptr<CdrNode> root;  // null when the disk list cannot be read at all
    std::vector<EnumProblem> problems;
};

// Builds a new tree: "root", one disk node per openable disk in name order,
// each with its partitions (mounted ones first, by mount point; then the rest
// in table order). A disk that cannot be opened or read is left out and named
// in problems; enumeration goes on with the next one.
EnumResult cdr_enum_disks(const EnumPaths& paths = {});

// True when removable disks were there but every one was skipped (no
// permission, no size): a scan of the removable disks would read nothing,
// which is a failure, not an empty card.
bool no_removable_disk_readable(const CdrNode* root, const std::vector<EnumProblem>& problems);

}  // namespace quen::cdr
