#pragma once
// Running an outside program (the adb helper) with an argument vector: either
// with its output captured, or detached with its output thrown away. Both wait
// a bounded time and kill the program's whole process group on overstay.
#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

namespace quen::platform {

// How long a captured run may take before it is killed.
constexpr std::chrono::milliseconds kCapturedRunLimit{10000};
// How long a detached run may take before it is killed.
constexpr std::chrono::milliseconds kDetachedRunLimit{3000};
// Bytes kept of a captured run's output; anything beyond is read and dropped,
// so a program that floods its output cannot exhaust memory.
constexpr std::size_t kCapturedOutputLimit = 64u << 20;

struct CapturedRun {
    std::string output;    // stdout and stderr, in order of arrival, as bytes
    bool started = false;  // the program could be started
    bool killed = false;   // it overstayed the limit and was killed
    int exit_code = -1;    // its exit status when it ended by itself, else -1
};

// Runs argv[0] (looked up on PATH when it holds no "/") with the arguments
// argv[1..] passed as they are, each one intact. stdout and stderr share one
// pipe, which is drained while the program runs. After `limit` the program's
// process group is killed and what it printed until then is returned. stdin is
// /dev/null; no other file descriptor is inherited. A program that cannot be
// started gives an empty output.
CapturedRun run_captured(const std::vector<std::string>& argv,
                         std::chrono::milliseconds limit = kCapturedRunLimit);

// Runs the program with stdin, stdout and stderr on /dev/null and waits at most
// `limit`, then kills its process group. Returns whether it could be started.
bool run_detached(const std::vector<std::string>& argv,
                  std::chrono::milliseconds limit = kDetachedRunLimit);

// Kills the process group of every program that a run is waiting for right
// now. Async-signal-safe, for an interrupt handler: the programs run in groups
// of their own, so the terminal's Ctrl-C does not reach them by itself.
void kill_running_programs() noexcept;

}  // namespace quen::platform
