#pragma once
// The process-wide state of a recovery, read by every copy's stop check: the
// window's progress dialog and the command line's Ctrl-C handler ask a
// recovery (and the preview copies) to stop through it.
#include <atomic>

#include "cdr/disks/cdr_node.h"

namespace quen::cdr {

enum RecoveryStateValue : int {
    kRecoveryIdle = 0,
    kRecoveryRunning = 1,
    kRecoveryStopRequested = 3,
    kRecoveryFinished = 4,
};

class RecoveryState {
public:
    int get() const { return value_.load(std::memory_order_acquire); }
    // Lock-free, so it may be set from a signal handler.
    void set(int v) { value_.store(v, std::memory_order_release); }
    bool stop_requested() const { return get() == kRecoveryStopRequested; }
    // The stop check handed to copies: kProgressStop while a stop is requested.
    ProgressFn stop_check() const;

private:
    std::atomic<int> value_{kRecoveryIdle};
};
static_assert(std::atomic<int>::is_always_lock_free);

// The one recovery state of the process.
RecoveryState& process_recovery_state();

}  // namespace quen::cdr
