#pragma once
// What every command of the command line shares: global options and exit codes.
#include <string>

#include "phone/adb_runner.h"

namespace quen::cli {

enum ExitCode : int {
    kExitDone = 0,
    kExitFailed = 1,   // the work failed; a message on stderr says what and why
    kExitUsage = 2,    // bad usage
    kExitStopped = 130 // stopped by Ctrl-C after keeping what was written
};

struct Globals {
    std::string adb;     // --adb PATH; empty: beside the program, else adb on PATH
    std::string serial;  // --serial SERIAL; empty: $ANDROID_SERIAL, else the first phone listed
    bool quiet = false;  // --quiet: no progress on stderr
};

// The adb helper the global options name.
inline phone::AdbHelper adb_helper(const Globals& globals) {
    phone::AdbHelper helper;
    helper.path = globals.adb;
    helper.serial = globals.serial;
    return helper;
}

}  // namespace quen::cli
