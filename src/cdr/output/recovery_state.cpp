#include "cdr/output/recovery_state.h"

namespace quen::cdr {

ProgressFn RecoveryState::stop_check() const {
    return [this](uint64_t, uint64_t, const FoundFile*) {
        return stop_requested() ? kProgressStop : kProgressGoOn;
    };
}

RecoveryState& process_recovery_state() {
    static RecoveryState state;
    return state;
}

}  // namespace quen::cdr
