#include "cli/interrupt.h"

#include <unistd.h>

#include <csignal>

#include "cli/context.h"
#include "platform/process.h"

namespace quen::cli {
namespace {

volatile std::sig_atomic_t g_interrupted = 0;
void raise_flag(int) { g_interrupted = 1; }

using Handler = void (*)(int);

// The handler, with the flag cleared before it goes in so that a press from
// an earlier run is not seen.
Handler cleared_handler() {
    g_interrupted = 0;
    return raise_flag;
}

// Both calls are async-signal-safe.
void kill_helper_and_exit(int) {
    platform::kill_running_programs();
    _exit(kExitStopped);
}

}  // namespace

InterruptFlag::InterruptFlag() : scope_(cleared_handler()) {}

bool InterruptFlag::raised() { return g_interrupted != 0; }

HelperInterrupt::HelperInterrupt() : scope_(&kill_helper_and_exit) {}

}  // namespace quen::cli
