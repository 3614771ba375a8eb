#pragma once
// The storage tree: one record type for every level (root, disk, partition,
// file-type node). Disks own two raw read handles on their medium: the carving
// engine reads through the first, copy-out of found files through the second,
// so a copy never moves the engine's position. Partitions and file-type nodes
// use the handles of the disk above them.
//
// Found files hang on file-type nodes in discovery order. Both lists only grow
// at their end while a scan runs, and their elements never move, so a pointer
// to a node or a found file stays valid until the node is cleared or the tree
// is freed.
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <string>

#include "platform/unique_fd.h"

namespace quen::cdr {

enum class CdrKind { Root, Disk, Partition, FileType };

// The partition table kind of a disk.
enum class PartitionStyle : uint32_t { Mbr = 0, Gpt = 1, Raw = 2 };

struct CdrNode;

// One carved file. The name is "%llu.%s": the device offset divided by the
// block size, a dot, and the type's extension at the time it was found.
struct FoundFile {
    CdrNode* owner = nullptr;  // the file-type node it hangs on
    std::string name;
    // Two further texts of the found-file record. Carving knows nothing to
    // put there, so the list shows them empty.
    std::string description, comment;
    uint64_t size = 0;
    uint64_t offset = 0;       // absolute byte offset on the device (from the disk's byte 0)
    uint32_t block_size = 512;
};

// Progress and stop callback of scanning and copying. total and current are
// device offsets while scanning (total = the extent's end) and byte counts
// while copying; found is the file just recorded or being copied, else null.
// Returns kProgressGoOn to go on or kProgressStop to stop.
constexpr int kProgressGoOn = 0;
constexpr int kProgressStop = -2;
using ProgressFn = std::function<int(uint64_t total, uint64_t current, const FoundFile* found)>;

struct CdrNode {
    CdrKind kind = CdrKind::Root;
    CdrNode* parent = nullptr;  // null for the root
    std::list<std::unique_ptr<CdrNode>> children;  // display order
    std::list<FoundFile> found_files;             // file-type nodes only; discovery order
    uint32_t found_count = 0;                     // reset with the found-file list

    // root: "root"; disk: friendly name; partition: "PARTITION-%d", or the
    // label, " (" mount point ")" once mounted; file-type node: the extension.
    std::string name;
    // The mount point of a mounted partition (it takes the drive letter's
    // place); for an image partition the image path; else empty.
    std::string drive;
    // disk and partition: the device path (/dev/NAME); image: the file's path.
    std::string path;
    uint64_t length = 0;        // bytes; a disk: the size of its medium
    uint64_t free_bytes = 0;    // free bytes available to the user on a mounted volume
    uint64_t block_size = 512;
    uint64_t start_offset = 0;  // partition: its first byte on the disk; else 0
    // partition: its length as a size text, or the file-system name once known
    std::string detail;
    // disk: the medium is removable (or sits on a USB/MMC bus); partition:
    // its disk's, once mounted; image disk and partition: always.
    bool removable = false;
    bool is_image = false;      // the partition of an image file
    PartitionStyle partition_style = PartitionStyle::Raw;
    uint32_t partition_index = 0;  // index in the partition table: the partition number - 1

    // Owned by disk nodes only.
    platform::UniqueFd read_handle;
    platform::UniqueFd copy_handle;

    // The raw handles to read this node's bytes with: the nearest disk's (self
    // included). -1 when the disk's open failed or there is no disk above.
    int read_fd() const;
    int copy_fd() const;
    // The disk node this node belongs to (self for a disk), or null.
    const CdrNode* disk() const;

    // Appends a child (its parent is set) and returns it.
    CdrNode* add_child(std::unique_ptr<CdrNode> child);
    CdrNode* add_child(CdrKind kind, std::string name);

    // Appends a found file to this node's list and counts it.
    FoundFile& add_found_file(std::string name, uint64_t size, uint64_t offset,
                              uint32_t block_size = 512);
};

// A fresh root named "root".
std::unique_ptr<CdrNode> make_root();

// A disk node, the one kind that owns handles: both opened read-only on the
// medium, the first for the carving engine, the second for copies.
std::unique_ptr<CdrNode> make_disk(std::string name, std::string path, uint64_t length, bool removable,
                                   platform::UniqueFd read_handle, platform::UniqueFd copy_handle);

// Frees the whole tree: nodes, found files, and the handles of every disk.
void cdr_free_tree(std::unique_ptr<CdrNode>& root);

// Frees the node's children (with their found files) and its own found files;
// the node itself stays.
void cdr_clear_node(CdrNode& node);

// A byte count as "%.1f Byte", "%.1f KB", "%.1f MB" or "%.1f GB" (powers of 1024).
std::string size_text(uint64_t bytes);

}  // namespace quen::cdr
