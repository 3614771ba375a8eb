#pragma once
// Found-file recovery output: the checked found files of one scanned disk are
// copied byte for byte from the disk's copy handle into
//   <output folder>/disk<time>/<type>/<sector>.<ext>
// where the output folder is <chosen folder>/Retrivane<time>.
//
// A file counts as done only when every byte was written and the file closed
// cleanly; a file that could not be created, was cut short by the disk, or
// whose write or close failed (a full or failing output disk) is reported as
// failed with its path and reason.
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "cdr/output/copy_out.h"
#include "cdr/output/recovery_state.h"
#include "cdr/scan/scan_tree.h"
#include "platform/message_sink.h"

namespace quen::cdr {

struct FoundFileWriterJob {
    MessageSink* window = nullptr;        // the progress dialog
    const ScanTreeNode* disk = nullptr;   // the disk's result-tree node
    std::string destination;              // the disk's folder (output folder + "/disk<time>")
};

struct FailedFile {
    std::string path;
    std::string reason;
};

struct FoundFileWriteResult {
    uint64_t written = 0;  // files copied whole
    std::vector<FailedFile> failed;
    bool cancelled = false;  // the recovery was stopped; what was written stays
};

// Called after each copy with the file's path and whether it was written whole.
using FileWrittenFn = std::function<void(const std::string& path, bool whole)>;

// Writes the checked items of every file-type child of the disk, in order,
// through the caller's buffer, until `state` asks to stop. Adds 1 to `done`
// for each file written whole. Folders are made only for types with at least
// one checked item.
FoundFileWriteResult write_found_files(const FoundFileWriterJob& job, const RecoveryState& state,
                                       CopyBuffer& buffer, std::atomic<uint64_t>& done,
                                       const FileWrittenFn& on_file = {});

// Creates <dir>/Retrivane<%Y%m%d%H%M%S> (and dir itself when missing). Returns
// the folder, or an empty text with the reason in *error.
std::string make_output_folder(const std::string& dir, std::string* error);

// "<output folder>/disk<%Y%m%d%H%M%S>", taken now. Two disks written within
// one second would share a folder and overwrite each other's files of the
// same name, so a folder that already exists gets "-2", "-3", ... appended.
std::string make_disk_folder_text(const std::string& output_folder);

// Checked items under the disk's file-type children.
uint64_t count_checked_items(const ScanTreeNode& disk);

}  // namespace quen::cdr
