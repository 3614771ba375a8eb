#include "cli/recover_cli.h"

#include <csignal>
#include <cstdio>

#include "cli/context.h"
#include "cli/output/progress_line.h"
#include "cli/interrupt.h"
#include "cdr/output/recovery_state.h"

namespace quen::cli {
namespace {

// Ctrl-C while files are written: the recovery's stop request. Storing into a
// lock-free atomic is safe in a signal handler.
void on_interrupt(int) { cdr::process_recovery_state().set(cdr::kRecoveryStopRequested); }

}  // namespace

RecoverySummary run_recovery(const std::string& dir, const std::vector<const cdr::ScanTreeNode*>& disks,
                             bool quiet) {
    uint64_t total = 0;
    for (const auto* d : disks) total += cdr::count_checked_items(*d);
    uint64_t attempted = 0;
    int shown = -1;
    ProgressLine progress(quiet);
    auto on_file = [&](const std::string&, bool) {
        ++attempted;
        const int percent = total ? static_cast<int>(attempted * 100 / total) : 100;
        if (percent != shown) {
            shown = percent;
            progress.step("writing files " + std::to_string(attempted) + "/" + std::to_string(total));
        }
    };

    SigintScope guard(on_interrupt);
    RecoverySummary s = cdr::recover_found_files(dir, disks, cdr::process_recovery_state(), on_file);
    progress.finish();
    if (s.folder.empty()) {
        std::fprintf(stderr, "quenfora-cli: %s\n", s.error.c_str());
        return s;
    }
    // Failed files are named on stderr in every output mode.
    for (const auto& f : s.failed)
        std::fprintf(stderr, "quenfora-cli: %s: %s\n", f.path.c_str(), f.reason.c_str());
    return s;
}

void print_recovery_text(const RecoverySummary& s) {
    if (s.folder.empty()) return;
    std::printf("%llu files written to %s", static_cast<unsigned long long>(s.written), s.folder.c_str());
    if (!s.failed.empty()) std::printf(", %zu failed", s.failed.size());
    if (s.cancelled) std::printf(" (stopped)");
    std::printf("\n");
}

int recovery_exit_code(const RecoverySummary& s) {
    if (s.folder.empty() || !s.failed.empty()) return kExitFailed;
    if (s.cancelled) return kExitStopped;
    return kExitDone;
}

}  // namespace quen::cli
