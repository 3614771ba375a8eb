#pragma once
// Every exchange with the phone goes through one outside program, the adb
// helper. These calls build its argument vector, run it with bounded waits and
// hand back what it printed.
//
// Command lines sent (the helper's contract):
//   start-server                        before every captured command; not captured
//   kill-server                         once, when the program closes
//   devices                             listing: a header "List of devices attached",
//                                       one line per device ("<serial>\t<state>")
//   shell su root chmod 777 <remote>    makes a phone file readable; output ignored
//   pull <remote> <local>               copies a phone file to a local path; output ignored
#include <chrono>
#include <string>
#include <vector>

#include "phone/device_state.h"
#include "platform/process.h"

namespace quen::phone {

// The helper's file name beside the program.
constexpr const char* kAdbHelperFileName = "quenfora-recovery-for-android-adb-help";
// Used from PATH when no helper lies beside the program.
constexpr const char* kAdbFallbackName = "adb";

// Which helper to run and how long to wait for it. An empty path means: the
// helper file beside the program, else "adb" on PATH, looked up afresh on every
// call (nothing is cached).
struct AdbHelper {
    std::string path;
    std::chrono::milliseconds command_limit = platform::kCapturedRunLimit;
    std::chrono::milliseconds server_limit = platform::kDetachedRunLimit;
};

// The program that a call with this helper runs.
std::string adb_helper_program(const AdbHelper& helper);

// Starts the adb server (detached "start-server"), then runs the helper with
// the arguments, each passed intact, and returns everything it printed on
// stdout and stderr. Empty on any failure.
std::string adb_run(const AdbHelper& helper, const std::vector<std::string>& arguments);

// Runs the helper with the arguments without capturing its output, waiting at
// most the server limit.
void adb_run_detached(const AdbHelper& helper, const std::vector<std::string>& arguments);

// "kill-server", detached, without starting the server first.
void adb_kill_server(const AdbHelper& helper);

// "devices" through adb_run, reduced to one state.
DeviceState adb_devices_state(const AdbHelper& helper);

}  // namespace quen::phone
