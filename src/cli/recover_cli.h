#pragma once
// Writing found files out from the command line (carve --out, scan --out):
// DIR/Retrivane<time>/disk<time>/<type>/<name>, one disk folder per scanned
// disk, with a progress line and Ctrl-C as the recovery's stop request.
#include <rapidjson/writer.h>

#include <cstdint>
#include <string>
#include <vector>

#include "cli/output/json_text.h"
#include "cdr/scan_job_tree.h"
#include "export/found_file_writer.h"

namespace quen::cli {

struct RecoverySummary {
    std::string folder;            // the Retrivane folder; empty when it could not be made
    std::string error;             // why the folder could not be made
    std::vector<std::string> disk_folders;
    uint64_t written = 0;          // files written whole
    std::vector<exports::FailedFile> failed;
    bool cancelled = false;        // stopped by Ctrl-C; what was written stays
};

// Writes every checked found file of the disks into a new output folder
// under `dir`. While it runs, Ctrl-C asks the recovery to stop. A folder that
// cannot be made and every failed file are named on stderr.
RecoverySummary recover_found_files(const std::string& dir,
                                    const std::vector<const cdr::ScanTreeNode*>& disks, bool quiet);

// Text mode: the summary line on stdout.
void print_recovery_text(const RecoverySummary& s);

// Exit code contribution: failed folder or files -> kExitFailed, a stop -> kExitStopped.
int recovery_exit_code(const RecoverySummary& s);

// JSON mode: "output_folder", "written" and "failed" keys in the open object.
template <typename Writer>
void write_recovery_json(Writer& w, const RecoverySummary& s) {
    w.Key("output_folder");
    write_text(w, s.folder);
    w.Key("written");
    w.Uint64(s.written);
    w.Key("failed");
    w.StartArray();
    for (const auto& f : s.failed) {
        w.StartObject();
        w.Key("path");
        write_text(w, f.path);
        w.Key("reason");
        write_text(w, f.reason);
        w.EndObject();
    }
    w.EndArray();
    w.Key("stopped");
    w.Bool(s.cancelled);
}

}  // namespace quen::cli
