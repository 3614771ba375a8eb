#include "platform/process.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "test_support/files.h"

namespace quen::platform {
namespace {

using namespace std::chrono_literals;

platform::CapturedRun sh(const std::string& script, std::chrono::milliseconds limit = platform::kCapturedRunLimit) {
    return platform::run_captured({"/bin/sh", "-c", script}, limit);
}

// A process is gone when it has no /proc entry, or is only a zombie waiting for
// a reaper that is not us.
bool process_gone(long pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    if (!stat) return true;
    std::string line;
    std::getline(stat, line);
    const auto close = line.rfind(')');
    return close != std::string::npos && close + 2 < line.size() && line[close + 2] == 'Z';
}

bool gone_soon(long pid) {
    for (int i = 0; i < 200; ++i) {
        if (process_gone(pid)) return true;
        std::this_thread::sleep_for(10ms);
    }
    return false;
}

TEST(ProcessRunner, StdoutAndStderrShareOnePipeInOrderOfArrival) {
    const auto r = sh("printf a; printf b >&2; printf c; printf d >&2; printf 'e\\r\\n'");
    EXPECT_TRUE(r.started);
    EXPECT_FALSE(r.killed);
    EXPECT_EQ(r.output, "abcde\r\n");  // no line-end translation either
}

TEST(ProcessRunner, EveryArgumentReachesTheProgramIntact) {
    const auto r = platform::run_captured({"printf", "[%s]", "a b", "", "c'd\"e", "$HOME", "x\ty", "/tmp/dir with blank/f.db"});
    EXPECT_EQ(r.output, "[a b][][c'd\"e][$HOME][x\ty][/tmp/dir with blank/f.db]");
}

TEST(ProcessRunner, OutputLargerThanThePipeComesBackWhole) {
    // 1 MiB is sixteen times a Linux pipe buffer: a runner that only reads after
    // the program ends would stall the program until the limit killed it.
    const auto r = sh("head -c 1048576 /dev/zero; printf end", 5s);
    EXPECT_FALSE(r.killed);
    ASSERT_EQ(r.output.size(), 1048576u + 3);
    EXPECT_EQ(r.output.substr(r.output.size() - 3), "end");
    EXPECT_EQ(r.output.find_first_not_of('\0'), 1048576u);
}

TEST(ProcessRunner, OverstayIsKilledAndPartialOutputReturned) {
    const auto started = std::chrono::steady_clock::now();
    const auto r = sh("printf partial; echo ' and more' >&2; exec sleep 30", 2s);
    const auto took = std::chrono::steady_clock::now() - started;
    EXPECT_TRUE(r.started);
    EXPECT_TRUE(r.killed);
    EXPECT_EQ(r.output, "partial and more\n");
    EXPECT_LT(took, 10s);
}

TEST(ProcessRunner, DescendantsHoldingThePipeAreKilledAtTheLimit) {
    // The shell ends at once but leaves a child that keeps the pipe open.
    const auto r = sh("sleep 30 & echo $!", 2s);
    EXPECT_FALSE(r.killed);  // the program itself ended in time
    ASSERT_FALSE(r.output.empty());
    const long grandchild = std::strtol(r.output.c_str(), nullptr, 10);
    ASSERT_GT(grandchild, 0);
    EXPECT_TRUE(gone_soon(grandchild)) << "pid " << grandchild;
}

TEST(ProcessRunner, MissingProgramOrEmptyCommandGivesEmptyOutput) {
    auto r = platform::run_captured({"/nonexistent/quenfora-helper", "devices"});
    EXPECT_FALSE(r.started);
    EXPECT_EQ(r.output, "");
    r = platform::run_captured({"quenfora-no-such-program-on-path", "devices"});
    EXPECT_FALSE(r.started);
    EXPECT_EQ(r.output, "");
    EXPECT_EQ(platform::run_captured({}).output, "");
    EXPECT_FALSE(platform::run_detached({"/nonexistent/quenfora-helper", "start-server"}));
}

TEST(ProcessRunner, ChildGetsNoOtherDescriptorsAndEmptyStdin) {
    const int opened = ::open("/dev/null", O_RDONLY);
    const int fd = ::fcntl(opened, F_DUPFD, 10);  // deliberately without close-on-exec
    ::close(opened);
    ASSERT_GE(fd, 10);
    const auto r = sh("if [ -e /proc/self/fd/" + std::to_string(fd) + " ]; then echo open; else echo closed; fi; cat", 5s);
    ::close(fd);
    EXPECT_FALSE(r.killed);  // cat read end of file at once
    EXPECT_EQ(r.output, "closed\n");
}

TEST(ProcessRunner, KillRunningProgramsEndsTheWaitsInProgress) {
    // The shell says it runs by moving its pid file into place; the kills start
    // only then. Under load a kill sent before that could end the shell before
    // it wrote anything, and the test would see no pid at all.
    const test::TempDir dir("quen-kill");
    const std::string pidfile = (dir / "pid").string();
    std::atomic<bool> done{false};
    platform::CapturedRun r;
    std::thread waiter([&] {
        r = platform::run_captured(
            {"/bin/sh", "-c", "echo $$ > \"$0.part\" && mv \"$0.part\" \"$0\"; exec sleep 30", pidfile}, 60s);
        done = true;
    });
    long pid = 0;
    const auto started = std::chrono::steady_clock::now();
    while (pid <= 0 && !done && std::chrono::steady_clock::now() - started < 50s) {
        std::ifstream(pidfile) >> pid;
        if (pid <= 0) std::this_thread::sleep_for(10ms);
    }
    // Repeated: the runner lists the program only after the spawn returns,
    // which may come after the pid file.
    const auto killing = std::chrono::steady_clock::now();
    while (!done && std::chrono::steady_clock::now() - killing < 50s) {
        platform::kill_running_programs();  // what an interrupt handler calls
        std::this_thread::sleep_for(100ms);
    }
    waiter.join();
    ASSERT_GT(pid, 0) << "the shell never started";
    EXPECT_LT(std::chrono::steady_clock::now() - killing, 20s);
    EXPECT_EQ(r.exit_code, -1) << "ended by the kill, not by itself";
    EXPECT_TRUE(process_gone(pid));
}

TEST(ProcessRunner, DetachedRunWaitsBoundedAndKillsOnOverstay) {
    const test::TempDir dir("quen-detached");
    const std::string pidfile = (dir / "pid").string();

    const auto started = std::chrono::steady_clock::now();
    EXPECT_TRUE(platform::run_detached({"/bin/sh", "-c", "echo $$ > \"$0\"; exec sleep 30", pidfile}, 2s));
    EXPECT_LT(std::chrono::steady_clock::now() - started, 10s);
    std::ifstream in(pidfile);
    long pid = 0;
    in >> pid;
    ASSERT_GT(pid, 0);
    EXPECT_TRUE(process_gone(pid));  // killed and reaped before returning

    // A quick program is simply waited for.
    const std::string marker = (dir / "ran").string();
    EXPECT_TRUE(platform::run_detached({"/bin/sh", "-c", "echo hi; touch \"$0\"", marker}));
    EXPECT_TRUE(std::filesystem::exists(marker));
}

}  // namespace
}  // namespace quen::platform
