// phone-sim: plays an Android phone behind the adb helper's command lines, for
// tests and demos without a phone. Use it as the helper (--adb PATH, or placed
// beside the program as quenfora-recovery-for-android-adb-help).
//
// The phone is the folder named by $QUEN_PHONE_SIM_DIR:
//   listing        the bytes "devices" prints after any daemon notice
//                  (absent: "List of devices attached\n\n", no phone)
//   root           present: the phone's su works
//   files/<path>   the phone's files under their phone paths, e.g.
//                  files/data/data/com.android.providers.contacts/databases/contacts2.db
//   delay-<cmd>    milliseconds to sleep before <cmd> (start-server, devices, shell, pull, ...)
//   flood-<cmd>    bytes of filler to print (half on stdout, half on stderr) before <cmd>
//   stay-<cmd>     present: after <cmd> a child is left running that holds stdout
//                  open for 60 s (a helper whose descendants outlive it)
//   pull-rate      bytes per second a pull writes (absent: all at once), as a
//                  slow USB link does
//   pull-stall     a pull writes this many bytes, then hangs for 60 s (a dead link)
//   pull-cut       a pull writes this many bytes, then ends reporting success
//                  with the whole file's size (a copy cut short unnoticed)
// The simulator keeps its own state in the same folder:
//   server         present while the adb server "runs"
//   readable       the phone paths made readable by a chmod run as root
//   calls          one line per invocation: its arguments joined by tabs
//   pid-<cmd>      the process id of the latest <cmd>
// Without $QUEN_PHONE_SIM_DIR the simulator is a PC with no phone attached.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string g_dir;

std::string path_in(const std::string& name) { return g_dir + "/" + name; }

bool exists(const std::string& name) {
    std::error_code ec;
    return !g_dir.empty() && fs::exists(path_in(name), ec);
}

std::string read_file(const std::string& path, bool* ok = nullptr) {
    std::ifstream in(path, std::ios::binary);
    if (ok) *ok = static_cast<bool>(in);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void append_line(const std::string& name, const std::string& line) {
    if (g_dir.empty()) return;
    std::ofstream out(path_in(name), std::ios::binary | std::ios::app);
    out << line << '\n';
}

long number_in(const std::string& name) {
    if (!exists(name)) return 0;
    return std::strtol(read_file(path_in(name)).c_str(), nullptr, 10);
}

void out(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

void err(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

void flood(long bytes) {
    const std::string line(79, '.');
    for (long i = 0; i < bytes; i += 80) {
        if ((i / 80) % 2 == 0) std::fprintf(stdout, "%s\n", line.c_str());
        else std::fprintf(stderr, "%s\n", line.c_str());
    }
    std::fflush(stdout);
    std::fflush(stderr);
}

void leave_child_holding_stdout() {
    if (fork() == 0) {
        std::this_thread::sleep_for(std::chrono::seconds(60));
        _exit(0);
    }
}

// Where a phone path lives in the simulated phone.
std::string phone_file(const std::string& remote) {
    if (remote.empty() || remote[0] != '/' || remote.find("..") != std::string::npos) return {};
    return path_in("files" + remote);
}

bool readable(const std::string& remote) {
    bool ok = false;
    std::istringstream lines(read_file(path_in("readable"), &ok));
    std::string line;
    while (ok && std::getline(lines, line))
        if (line == remote) return true;
    return false;
}

bool server_running() { return exists("server"); }

void start_server() {
    if (server_running()) return;
    err("* daemon not running; starting now at tcp:5037\n* daemon started successfully\n");
    if (!g_dir.empty()) std::ofstream(path_in("server")) << "running\n";
}

int cmd_devices() {
    start_server();
    bool ok = false;
    const std::string listing = read_file(path_in("listing"), &ok);
    out(ok ? listing : std::string("List of devices attached\n\n"));
    return 0;
}

int cmd_shell(const std::vector<std::string>& args) {
    // Only the one shell command the recovery sends is understood.
    if (args.size() != 7 || args[2] != "su" || args[3] != "root" || args[4] != "chmod" || args[5] != "777") {
        err("/system/bin/sh: unsupported command\n");
        return 127;
    }
    if (!exists("root")) {
        err("/system/bin/sh: su: inaccessible or not found\n");
        return 127;
    }
    const std::string& remote = args[6];
    const std::string file = phone_file(remote);
    std::error_code ec;
    if (file.empty() || !fs::is_regular_file(file, ec)) {
        err("chmod: " + remote + ": No such file or directory\n");
        return 1;
    }
    append_line("readable", remote);
    return 0;
}

int cmd_pull(const std::vector<std::string>& args) {
    if (args.size() != 4) {
        err("adb: usage: pull REMOTE LOCAL\n");
        return 1;
    }
    const std::string& remote = args[2];
    const std::string& local = args[3];
    const std::string file = phone_file(remote);
    std::error_code ec;
    if (file.empty() || !fs::is_regular_file(file, ec)) {
        err("adb: error: failed to stat remote object '" + remote + "': No such file or directory\n");
        return 1;
    }
    if (!readable(remote)) {
        err("adb: error: failed to stat remote object '" + remote + "': Permission denied\n");
        return 1;
    }
    const std::string content = read_file(file);
    std::ofstream target(local, std::ios::binary | std::ios::trunc);
    if (!target) {
        err("adb: error: cannot create '" + local + "': No such file or directory\n");
        return 1;
    }
    // Written in pieces, as a link delivers them, so that the size of the
    // target grows while the pull runs.
    const long rate = number_in("pull-rate");
    const long stall = exists("pull-stall") ? number_in("pull-stall") : -1;
    const long cut = exists("pull-cut") ? number_in("pull-cut") : -1;
    const std::size_t piece = rate > 0 ? static_cast<std::size_t>(std::max(1L, rate / 10)) : content.size();
    for (std::size_t done = 0; done < content.size();) {
        std::size_t n = std::min(piece, content.size() - done);
        if (stall >= 0 && done + n > static_cast<std::size_t>(stall)) n = static_cast<std::size_t>(stall) - done;
        if (cut >= 0 && done + n > static_cast<std::size_t>(cut)) n = static_cast<std::size_t>(cut) - done;
        target.write(content.data() + done, static_cast<std::streamsize>(n));
        target.flush();
        done += n;
        if (stall >= 0 && done >= static_cast<std::size_t>(stall)) {
            std::this_thread::sleep_for(std::chrono::seconds(60));
            return 1;
        }
        if (cut >= 0 && done >= static_cast<std::size_t>(cut)) break;
        if (rate > 0) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    out(remote + ": 1 file pulled, 0 skipped. (" + std::to_string(content.size()) + " bytes in 0.001s)\n");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const char* dir = std::getenv("QUEN_PHONE_SIM_DIR");
    g_dir = dir ? dir : "";
    std::vector<std::string> args(argv, argv + argc);

    std::string joined;
    for (int i = 1; i < argc; ++i) joined += (i > 1 ? "\t" : "") + args[i];
    append_line("calls", joined);

    if (argc < 2) {
        err("adb: no command given\n");
        return 1;
    }
    const std::string& cmd = args[1];
    if (!g_dir.empty()) std::ofstream(path_in("pid-" + cmd)) << getpid() << '\n';
    if (const long ms = number_in("delay-" + cmd); ms > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    if (const long bytes = number_in("flood-" + cmd); bytes > 0) flood(bytes);
    if (exists("stay-" + cmd)) leave_child_holding_stdout();

    if (cmd == "start-server") {
        start_server();
        return 0;
    }
    if (cmd == "kill-server") {
        std::error_code ec;
        if (!g_dir.empty()) fs::remove(path_in("server"), ec);
        return 0;
    }
    if (cmd == "devices") return cmd_devices();
    if (cmd == "shell") return cmd_shell(args);
    if (cmd == "pull") return cmd_pull(args);
    err("adb: unknown command " + cmd + "\n");
    return 1;
}
