#pragma once
// One recovery from start to end, as the window's progress dialog and the
// command line run it: a new output folder under the chosen one, then for
// each disk a folder of its own holding its checked found files,
//   <dir>/Retrivane<time>/disk<time>/<type>/<name>
// until the recovery state asks to stop. Nothing is printed: the summary says
// what happened, and a caller shows progress through `on_file`.
#include <cstdint>
#include <string>
#include <vector>

#include "cdr/output/found_file_writer.h"
#include "cdr/output/recovery_state.h"
#include "cdr/scan/scan_tree.h"

namespace quen::cdr {

struct RecoverySummary {
    std::string folder;            // the Retrivane folder; empty when it could not be made
    std::string error;             // why the folder could not be made
    std::vector<std::string> disk_folders;  // the disk folders that received files
    uint64_t written = 0;          // files written whole
    std::vector<FailedFile> failed;
    bool cancelled = false;        // the state asked to stop; what was written stays
};

// Writes every checked found file of the disks into a new output folder
// under `dir`. The state is running from the moment the folder exists and
// finished when this returns; a stop request ends the recovery early.
RecoverySummary recover_found_files(const std::string& dir, const std::vector<const ScanTreeNode*>& disks,
                                    RecoveryState& state, const FileWrittenFn& on_file = {});

}  // namespace quen::cdr
