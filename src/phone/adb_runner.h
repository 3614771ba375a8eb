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
//   pull <remote> <local>               copies a phone file to a local path; prints
//                                       "... (<n> bytes in <t>s)" when done
#include <atomic>
#include <chrono>
#include <string>
#include <utility>
#include <vector>

#include "phone/device_state.h"
#include "platform/process.h"

namespace quen::phone {

// The helper's file name beside the program.
constexpr const char* kAdbHelperFileName = "quenfora-recovery-for-android-adb-help";
// Used from PATH when no helper lies beside the program.
constexpr const char* kAdbFallbackName = "adb";

// How long a transfer may go without any byte arriving before it is taken
// for stalled. A phone busy writing its database can pause a pull for some
// seconds; a minute of silence is a dead link.
constexpr std::chrono::milliseconds kTransferStallLimit{30000};

// Which helper to run and how long to wait for it. An empty path means: the
// helper file beside the program, else "adb" on PATH, looked up afresh on every
// call (nothing is cached).
struct AdbHelper {
    AdbHelper() = default;
    explicit AdbHelper(std::string helper_path) : path(std::move(helper_path)) {}

    std::string path;
    // Which phone, when several are attached (--serial); empty: $ANDROID_SERIAL,
    // else the first one listed.
    std::string serial;
    std::chrono::milliseconds command_limit = platform::kCapturedRunLimit;
    std::chrono::milliseconds server_limit = platform::kDetachedRunLimit;
    std::chrono::milliseconds stall_limit = kTransferStallLimit;
    // When raised (Ctrl-C, the window closing), the call under way is ended
    // within a fifth of a second and no new one is started.
    const std::atomic<bool>* stop = nullptr;
};

// The program that a call with this helper runs.
std::string adb_helper_program(const AdbHelper& helper);

// Starts the adb server (detached "start-server"), then runs the helper with
// the arguments, each passed intact, and returns everything it printed on
// stdout and stderr. Empty on any failure.
std::string adb_run(const AdbHelper& helper, const std::vector<std::string>& arguments);

// adb_run, with the whole run's result (whether the helper started, its exit
// status, why it was killed), watched as `watch` says. With no limit in
// `watch`, the helper's command limit applies.
platform::CapturedRun adb_run_watched(const AdbHelper& helper, const std::vector<std::string>& arguments,
                                      platform::RunWatch watch = {});

// Runs the helper with the arguments without capturing its output, waiting at
// most the server limit.
void adb_run_detached(const AdbHelper& helper, const std::vector<std::string>& arguments);

// "kill-server", detached, without starting the server first.
void adb_kill_server(const AdbHelper& helper);

// The serial asked for: `helper.serial`, else $ANDROID_SERIAL; empty for "the
// first phone listed".
std::string wanted_serial(const AdbHelper& helper);

// "devices" through adb_run, reduced to the phone asked for (wanted_serial),
// else the first one listed; NoHelper when the helper could not be started.
ListedDevice adb_list_devices(const AdbHelper& helper);
DeviceState adb_devices_state(const AdbHelper& helper);

}  // namespace quen::phone
