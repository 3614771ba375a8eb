#pragma once
// Installs a SIGINT handler for the life of a scope and puts the one that
// was there before back when the scope ends.
#include <signal.h>

namespace quen::cli {

class SigintScope {
public:
    explicit SigintScope(void (*handler)(int)) {
        struct sigaction sa {};
        sa.sa_handler = handler;
        sigemptyset(&sa.sa_mask);
        sigaction(SIGINT, &sa, &old_);
    }
    ~SigintScope() { sigaction(SIGINT, &old_, nullptr); }
    SigintScope(const SigintScope&) = delete;
    SigintScope& operator=(const SigintScope&) = delete;

private:
    struct sigaction old_ {};
};

}  // namespace quen::cli
