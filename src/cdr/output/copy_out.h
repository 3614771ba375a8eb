#pragma once
// Copying one found file byte for byte from the raw disk into a file.
//
// Reads use pread on the disk's copy handle, so a copy never moves a file
// position that someone else relies on, and every caller brings its own
// CopyBuffer: a preview copy and a recovery may run at the same time without
// sharing a buffer or interleaving seeks on the handle.
#include <cstdint>
#include <memory>
#include <string>

#include "cdr/disks/cdr_node.h"
#include "platform/sizes.h"

namespace quen::cdr {

constexpr size_t kCopyUnit = platform::kMiB;  // bytes per read of the copy loop

// A 1 MiB copy buffer, allocated on first use and kept by its owner.
class CopyBuffer {
public:
    uint8_t* data();

private:
    std::unique_ptr<uint8_t[]> bytes_;
};

enum class CopyStatus {
    Done,         // every byte written and the file closed cleanly
    CreateFailed, // the destination could not be created; nothing copied
    ReadShort,    // the disk gave fewer bytes than the file's size; they stay as "<path>.part"
    WriteFailed,  // a write, or closing the file, failed; nothing is left
    Stopped,      // the stop check answered kProgressStop; nothing is left
};

struct CopyResult {
    CopyStatus status = CopyStatus::Done;
    uint64_t written = 0;  // bytes written to the destination
    int error = 0;         // errno of a failed create, read, write or close
    bool ok() const { return status == CopyStatus::Done; }
};

// Copies `file` from the raw handle `copy_fd` (the disk's copy handle) to
// `dest_path`, replacing an existing file, through the caller's buffer. The
// bytes are written to "<dest_path>.part", which takes the final name only
// when the copy is whole (see CopyStatus for what stays otherwise). A file
// that does not start on a 512-byte sector takes its first bytes from the
// sector read at the offset rounded down; then 1 MiB units follow, the last
// cut to the file's size. `stop_check` is called before each write with
// (size, bytes so far including this unit, file); kProgressStop ends the copy.
CopyResult cdr_copy_out(const FoundFile& file, int copy_fd, const std::string& dest_path, CopyBuffer& buffer,
                        const ProgressFn& stop_check);

// A short text for a failed copy ("write failed: No space left on device").
std::string copy_failure_text(const CopyResult& r, uint64_t size);

}  // namespace quen::cdr
