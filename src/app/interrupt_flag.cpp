#include "app/interrupt_flag.h"

#include <csignal>

namespace quen::cli {
namespace {

volatile std::sig_atomic_t g_interrupted = 0;
void on_interrupt(int) { g_interrupted = 1; }

using Handler = void (*)(int);

// The handler, with the flag cleared before it goes in so that a press from
// an earlier run is not seen.
Handler cleared_handler() {
    g_interrupted = 0;
    return on_interrupt;
}

}  // namespace

InterruptFlag::InterruptFlag() : scope_(cleared_handler()) {}

bool InterruptFlag::raised() { return g_interrupted != 0; }

}  // namespace quen::cli
