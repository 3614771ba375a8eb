#pragma once
// Ctrl-C while the adb helper runs: the helper runs in a process group of its
// own, which the terminal's interrupt does not reach, so it is killed here
// before the program ends with exit code 130.
#include <unistd.h>

#include "app/cli_context.h"
#include "app/sigint_scope.h"
#include "platform/process.h"

namespace quen::cli {

class HelperInterrupt {
public:
    HelperInterrupt() : scope_(&HelperInterrupt::on_interrupt) {}

private:
    static void on_interrupt(int) {
        platform::kill_running_programs();
        _exit(kExitStopped);
    }
    SigintScope scope_;
};

}  // namespace quen::cli
