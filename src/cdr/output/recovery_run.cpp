#include "cdr/output/recovery_run.h"

#include <atomic>

namespace quen::cdr {

RecoverySummary recover_found_files(const std::string& dir, const std::vector<const ScanTreeNode*>& disks,
                                    RecoveryState& state, const FileWrittenFn& on_file) {
    RecoverySummary s;
    s.folder = make_output_folder(dir, &s.error);
    if (s.folder.empty()) return s;

    state.set(kRecoveryRunning);
    std::atomic<uint64_t> done{0};
    CopyBuffer buffer;
    for (const ScanTreeNode* d : disks) {
        if (state.stop_requested()) break;
        FoundFileWriterJob job;
        job.disk = d;
        job.destination = make_disk_folder_text(s.folder);
        FoundFileWriteResult r = write_found_files(job, state, buffer, done, on_file);
        if (r.written > 0 || !r.failed.empty()) s.disk_folders.push_back(job.destination);
        s.written += r.written;
        s.failed.insert(s.failed.end(), r.failed.begin(), r.failed.end());
        if (r.cancelled) break;
    }
    s.cancelled = state.stop_requested();
    state.set(kRecoveryFinished);
    return s;
}

}  // namespace quen::cdr
