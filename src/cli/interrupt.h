#pragma once
// Ctrl-C in the command line. Long work keeps what it has done: SIGINT is
// turned into a stop request (InterruptFlag) or, while only the adb helper
// runs, ends the program after killing the helper (HelperInterrupt). Each
// holds its handler for the life of a scope.
#include <signal.h>

namespace quen::cli {

// Installs a SIGINT handler for the life of a scope and puts the one that
// was there before back when the scope ends.
class SigintScope {
public:
    explicit SigintScope(void (*handler)(int)) {
        struct sigaction action {};
        action.sa_handler = handler;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &old_);
    }
    ~SigintScope() { sigaction(SIGINT, &old_, nullptr); }
    SigintScope(const SigintScope&) = delete;
    SigintScope& operator=(const SigintScope&) = delete;

private:
    struct sigaction old_ {};
};

// Ctrl-C as a request to stop: while an InterruptFlag lives, SIGINT only
// raises a flag that the carving loops look at; what was found is kept.
class InterruptFlag {
public:
    InterruptFlag();  // clears the flag
    // True once Ctrl-C was pressed; it stays raised after the scope ends.
    static bool raised();

private:
    SigintScope scope_;
};

// Ctrl-C while the adb helper runs: the helper runs in a process group of its
// own, which the terminal's interrupt does not reach, so it is killed here
// before the program ends with exit code 130.
class HelperInterrupt {
public:
    HelperInterrupt();

private:
    SigintScope scope_;
};

}  // namespace quen::cli
