#pragma once
// Ctrl-C as a request to stop: while an InterruptFlag lives, SIGINT only
// raises a flag that the carving loops look at; what was found is kept.
#include "app/sigint_scope.h"

namespace quen::cli {

class InterruptFlag {
public:
    InterruptFlag();  // clears the flag
    // True once Ctrl-C was pressed; it stays raised after the scope ends.
    static bool raised();

private:
    SigintScope scope_;
};

}  // namespace quen::cli
