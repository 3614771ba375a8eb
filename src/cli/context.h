#pragma once
// What every command of the command line shares: global options and exit codes.
#include <string>

namespace quen::cli {

enum ExitCode : int {
    kExitDone = 0,
    kExitFailed = 1,   // the work failed; a message on stderr says what and why
    kExitUsage = 2,    // bad usage
    kExitStopped = 130 // stopped by Ctrl-C after keeping what was written
};

struct Globals {
    std::string adb;     // --adb PATH; empty: beside the program, else adb on PATH
    bool quiet = false;  // --quiet: no progress on stderr
};

}  // namespace quen::cli
