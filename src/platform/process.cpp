#include "platform/process.h"

#include "platform/unique_fd.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>

extern char** environ;

namespace quen::platform {
namespace {

using Clock = std::chrono::steady_clock;

// The programs being waited for, so that an interrupt handler can kill them;
// lock-free atomics are safe to read from a signal handler.
constexpr int kRunningSlots = 64;
std::atomic<pid_t> g_running[kRunningSlots];
static_assert(std::atomic<pid_t>::is_always_lock_free);

class RunningProgram {
public:
    explicit RunningProgram(pid_t pid) {
        for (int i = 0; i < kRunningSlots; ++i) {
            pid_t free_slot = 0;
            if (g_running[i].compare_exchange_strong(free_slot, pid)) {
                slot_ = i;
                break;
            }
        }
    }
    ~RunningProgram() {
        if (slot_ >= 0) g_running[slot_].store(0);
    }
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

private:
    int slot_ = -1;
};

// Starts the program in a process group of its own, so that on overstay the
// program and every child it started share one kill. stdout goes to out_fd and
// stderr to err_fd; a negative descriptor means /dev/null. Every descriptor
// from 3 up is closed in the child, whether or not its owner set close-on-exec.
bool spawn(const std::vector<std::string>& argv, int out_fd, int err_fd, pid_t& pid) {
    if (argv.empty() || argv[0].empty()) return false;
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    if (posix_spawn_file_actions_init(&actions) != 0) return false;
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (out_fd >= 0) posix_spawn_file_actions_adddup2(&actions, out_fd, 1);
    else posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    if (err_fd == out_fd) posix_spawn_file_actions_adddup2(&actions, 1, 2);
    else if (err_fd >= 0) posix_spawn_file_actions_adddup2(&actions, err_fd, 2);
    else posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);

    posix_spawnattr_t attr;
    if (posix_spawnattr_init(&attr) != 0) {
        posix_spawn_file_actions_destroy(&actions);
        return false;
    }
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGTERM);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF |
                                        POSIX_SPAWN_SETSIGMASK);
    posix_spawnattr_setpgroup(&attr, 0);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    posix_spawnattr_setsigmask(&attr, &none);

    const int rc = posix_spawnp(&pid, argv[0].c_str(), &actions, &attr, args.data(), environ);
    posix_spawnattr_destroy(&attr);
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0;
}

// A descriptor that becomes readable when the child ends, or -1 where the
// kernel lacks pidfd_open (the wait then falls back to short polls).
int open_pidfd(pid_t pid) {
#ifdef SYS_pidfd_open
    return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
#else
    (void)pid;
    return -1;
#endif
}

bool reap_nohang(pid_t pid, int* exit_code = nullptr) {
    int status = 0;
    for (;;) {
        const pid_t reaped = ::waitpid(pid, &status, WNOHANG);
        if (reaped == pid) {
            if (exit_code && WIFEXITED(status)) *exit_code = WEXITSTATUS(status);
            return true;
        }
        if (reaped < 0 && errno == EINTR) continue;
        // ECHILD: somebody else reaped it; it has ended either way.
        return reaped < 0;
    }
}

void reap_blocking(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
}

// Kills the group the child leads; the child itself too while it has not been
// reaped (its pid cannot have been reused before that).
void kill_group(pid_t pid, bool reaped) {
    ::kill(-pid, SIGKILL);
    if (!reaped) ::kill(pid, SIGKILL);
}

// Moves a descriptor to 3 or above: when the program runs with stdin, stdout
// or stderr closed, a new pipe could land on 0, 1 or 2 and be overwritten by
// the child's own redirections.
int above_std(int fd) {
    if (fd < 0 || fd > 2) return fd;
    const int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, 3);
    ::close(fd);
    return moved;
}

int millis_left(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return static_cast<int>(std::clamp<long long>(left.count(), 0, 1 << 30));
}

// Reads what the pipe holds now without blocking. Returns true at end of file
// (every writer has closed its end).
bool drain(int fd, std::string& out) {
    char buf[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buf, sizeof buf);
        if (got > 0) {
            const std::size_t room = kCapturedOutputLimit - std::min(out.size(), kCapturedOutputLimit);
            out.append(buf, std::min(static_cast<std::size_t>(got), room));
            continue;
        }
        if (got == 0) return true;
        if (errno == EINTR) continue;
        return errno != EAGAIN && errno != EWOULDBLOCK;
    }
}

}  // namespace

CapturedRun run_captured(const std::vector<std::string>& argv, std::chrono::milliseconds limit) {
    RunWatch watch;
    watch.limit = limit;
    return run_watched(argv, watch);
}

CapturedRun run_watched(const std::vector<std::string>& argv, const RunWatch& watch) {
    CapturedRun result;
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return result;
    UniqueFd read_end(above_std(fds[0]));
    UniqueFd write_end(above_std(fds[1]));
    if (read_end.get() < 0 || write_end.get() < 0) return result;
    pid_t pid = 0;
    const int out_fd = watch.stdout_fd >= 0 ? watch.stdout_fd : write_end.get();
    if (!spawn(argv, out_fd, write_end.get(), pid)) return result;
    result.started = true;
    const RunningProgram running(pid);
    write_end.reset();  // only the child's copies keep the pipe open now
    ::fcntl(read_end.get(), F_SETFL, ::fcntl(read_end.get(), F_GETFL) | O_NONBLOCK);
    UniqueFd pidfd(open_pidfd(pid));

    const auto started = Clock::now();
    const auto deadline = watch.limit.count() > 0 ? started + watch.limit : Clock::time_point::max();
    const bool watched = watch.stall_limit.count() > 0 || watch.stop || watch.progress;
    std::uint64_t done = 0;
    auto last_progress = started;
    bool exited = false;
    bool eof = false;
    // Done when the child has ended and nobody holds the pipe any more; a
    // grandchild that keeps the pipe open is bounded by the same limits.
    while (!(exited && eof)) {
        const int left = millis_left(deadline);
        if (left <= 0) break;
        if (watch.stop && watch.stop->load()) {
            result.stopped = true;
            break;
        }
        const std::uint64_t now_done = watch.progress ? watch.progress() : result.output.size();
        if (now_done != done) {
            done = now_done;
            last_progress = Clock::now();
            if (watch.on_progress) watch.on_progress(done);
        } else if (watch.stall_limit.count() > 0 && Clock::now() - last_progress >= watch.stall_limit) {
            result.stalled = true;
            break;
        }
        pollfd watched_fds[2];
        nfds_t watching = 0;
        if (!eof) watched_fds[watching++] = pollfd{read_end.get(), POLLIN, 0};
        if (!exited && pidfd.get() >= 0) watched_fds[watching++] = pollfd{pidfd.get(), POLLIN, 0};
        const bool must_poll_child = !exited && pidfd.get() < 0;
        int wait = left;
        if (must_poll_child) wait = std::min(wait, 20);
        if (watched) wait = std::min(wait, 200);
        if (::poll(watched_fds, watching, wait) < 0 && errno != EINTR) break;
        if (!eof) eof = drain(read_end.get(), result.output);
        if (!exited) exited = reap_nohang(pid, &result.exit_code);
    }
    if (!(exited && eof)) {
        result.killed = !exited;
        kill_group(pid, exited);
        if (!exited) reap_blocking(pid);
        drain(read_end.get(), result.output);  // what it wrote before the kill
    }
    if (!result.killed) result.stalled = result.stopped = false;
    if (watch.progress && watch.on_progress) {
        const std::uint64_t last = watch.progress();
        if (last != done) watch.on_progress(last);
    }
    return result;
}

bool run_detached(const std::vector<std::string>& argv, std::chrono::milliseconds limit) {
    pid_t pid = 0;
    if (!spawn(argv, -1, -1, pid)) return false;
    const RunningProgram running(pid);
    UniqueFd pidfd(open_pidfd(pid));
    const auto deadline = Clock::now() + limit;
    for (;;) {
        if (reap_nohang(pid)) return true;
        const int left = millis_left(deadline);
        if (left <= 0) break;
        if (pidfd.get() >= 0) {
            pollfd child{pidfd.get(), POLLIN, 0};
            ::poll(&child, 1, left);
        } else {
            ::poll(nullptr, 0, std::min(left, 20));
        }
    }
    kill_group(pid, false);
    reap_blocking(pid);
    return true;
}

void kill_running_programs() noexcept {
    for (auto& slot : g_running) {
        const pid_t pid = slot.load();
        if (pid > 0) {
            ::kill(-pid, SIGKILL);
            ::kill(pid, SIGKILL);
        }
    }
}

}  // namespace quen::platform
