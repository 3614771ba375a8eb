#pragma once
// Running an outside program (the adb helper) with an argument vector: either
// with its output captured, or detached with its output thrown away. Both wait
// a bounded time and kill the program's whole process group on overstay.
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
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
    bool killed = false;   // it was killed: overstayed, stalled or stopped
    bool stalled = false;  // killed because it made no progress for the stall limit
    bool stopped = false;  // killed because a stop was asked for
    int exit_code = -1;    // its exit status when it ended by itself, else -1
};

// How a long run (a file transfer) is watched. A transfer's length depends on
// the file's size and the link's speed, so it is bounded by progress, not by a
// fixed total: it is killed when `progress` (or, without one, the captured
// output) has not grown for `stall_limit`.
struct RunWatch {
    std::chrono::milliseconds limit{0};        // total time allowed; 0: no total limit
    std::chrono::milliseconds stall_limit{0};  // longest time without progress; 0: not watched
    // Bytes done so far (the size of the file being written, say); called about
    // five times a second. Empty: the bytes of output captured count instead.
    std::function<std::uint64_t()> progress;
    // Told each new progress figure, on the calling thread.
    std::function<void(std::uint64_t)> on_progress;
    // Raised by another thread (or a signal handler) to stop the run: the
    // program is killed within a fifth of a second.
    const std::atomic<bool>* stop = nullptr;
    // >= 0: the program's stdout goes to this descriptor (a file being
    // written) and only its stderr is captured.
    int stdout_fd = -1;
};

// Runs argv[0] (looked up on PATH when it holds no "/") with the arguments
// argv[1..] passed as they are, each one intact. stdout and stderr share one
// pipe, which is drained while the program runs. After `limit` the program's
// process group is killed and what it printed until then is returned. stdin is
// /dev/null; no other file descriptor is inherited. A program that cannot be
// started gives an empty output.
CapturedRun run_captured(const std::vector<std::string>& argv,
                         std::chrono::milliseconds limit = kCapturedRunLimit);

// run_captured, watched as `watch` says.
CapturedRun run_watched(const std::vector<std::string>& argv, const RunWatch& watch);

// Runs the program with stdin, stdout and stderr on /dev/null and waits at most
// `limit`, then kills its process group. Returns whether it could be started.
bool run_detached(const std::vector<std::string>& argv,
                  std::chrono::milliseconds limit = kDetachedRunLimit);

// Kills the process group of every program that a run is waiting for right
// now. Async-signal-safe, for an interrupt handler: the programs run in groups
// of their own, so the terminal's Ctrl-C does not reach them by itself.
void kill_running_programs() noexcept;

}  // namespace quen::platform
