#pragma once
// Ctrl-C while the adb helper runs: the helper runs in a process group of its
// own, which the terminal's interrupt does not reach, so it is killed here
// before the program ends with exit code 130.
#include <signal.h>
#include <unistd.h>

#include "app/cli_context.h"
#include "platform/process.h"

namespace quen::cli {

class HelperInterrupt {
public:
    HelperInterrupt() {
        struct sigaction sa {};
        sa.sa_handler = &HelperInterrupt::on_interrupt;
        sigemptyset(&sa.sa_mask);
        sigaction(SIGINT, &sa, &old_);
    }
    ~HelperInterrupt() { sigaction(SIGINT, &old_, nullptr); }
    HelperInterrupt(const HelperInterrupt&) = delete;
    HelperInterrupt& operator=(const HelperInterrupt&) = delete;

private:
    static void on_interrupt(int) {
        kill_running_programs();
        _exit(kExitStopped);
    }
    struct sigaction old_ {};
};

}  // namespace quen::cli
