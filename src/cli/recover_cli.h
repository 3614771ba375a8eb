#pragma once
// Writing found files out from the command line (carve --out, scan --out):
// the recovery itself is cdr/output/recovery_run.h; here Ctrl-C becomes its
// stop request, a progress line follows the files, and the outcome is printed.
#include <rapidjson/writer.h>

#include <string>
#include <vector>

#include "cli/output/json_text.h"
#include "cdr/output/recovery_run.h"
#include "cdr/scan/scan_tree.h"

namespace quen::cli {

using cdr::RecoverySummary;

// Writes every checked found file of the disks into a new output folder
// under `dir`. While it runs, Ctrl-C asks the recovery to stop. A folder that
// cannot be made and every failed file are named on stderr.
RecoverySummary run_recovery(const std::string& dir, const std::vector<const cdr::ScanTreeNode*>& disks,
                             bool quiet);

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
