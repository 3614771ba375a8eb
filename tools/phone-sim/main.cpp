// phone-sim: plays an Android phone behind the adb helper's command lines, for
// tests and demos without a phone. Use it as the helper (--adb PATH, or placed
// beside the program as quenfora-recovery-for-android-adb-help).
//
// The phones are the folder named by $QUEN_PHONE_SIM_DIR:
//   listing        the bytes "devices" prints after any daemon notice
//                  (absent: "List of devices attached\n\n", no phone)
//   devices/<serial>/  a phone of its own, played for "-s <serial>", with the
//                  phone files below; without it every serial plays the top folder.
//                  With several phones listed, a command without -s fails as
//                  adb's does ("more than one device/emulator").
// In a phone's folder:
//   files/<path>   the phone's files under their phone paths, e.g.
//                  files/data/data/com.android.providers.contacts/databases/contacts2.db;
//                  their real modes are the phone's: the shell user reads a file
//                  only when it is o+r and every folder on its way o+x
//   root           present: the phone has su; its content says which:
//                    empty or "root"  old su, only "su root <command...>"
//                    "c"              Magisk/SuperSU, "su -c '<line>'"
//                    "0"              Android's own, "su 0 <command...>" or "su root <command...>"
//   su-denied      su exists but refuses ("Permission denied": the prompt was denied)
//   debuggable     a userdebug build: "root" restarts adbd as root
//   adbd-root      (also state) adbd runs as root: shell commands run as root
//                  and pull reads anything; "unroot" removes it
//   selinux        the shell user may not read any file under /data/data,
//                  /data/user or /data/user_de, whatever its mode
//   no-exec-out    an adbd before Android 5: "exec-out" fails with "error: closed"
//   pty            an adbd before Android 7: shell output runs through a
//                  terminal (stdout and stderr on one stream, LF written as
//                  CR LF) and its exit status is always 0
//   no-stat        a toolbox without stat; "ls -l" prints toolbox's format
//   props          what "getprop" prints (absent: a Google Pixel 7 on Android 14, API 34)
//   content-denied "content query" is refused with a SecurityException
//   delay-<cmd>    milliseconds to sleep before <cmd> (start-server, devices, shell, pull, ...)
//   flood-<cmd>    bytes of filler to print (half on stdout, half on stderr) before <cmd>
//   stay-<cmd>     present: after <cmd> a child is left running that holds stdout
//                  open for 60 s (a helper whose descendants outlive it)
//   pull-rate      bytes per second a pull or exec-out delivers (absent: all at
//                  once), as a slow USB link does
//   pull-stall     a pull writes this many bytes, then hangs for 60 s (a dead link)
//   pull-cut       a pull writes this many bytes, then ends reporting success
//                  with the whole file's size (a copy cut short unnoticed)
// Shell lines are split as sh does and understand: id, getprop, su, sh -c,
// stat -c, ls -l, cat, chmod (octal), content query (sim_content.h), each with
// an optional 2>/dev/null.
// The simulator keeps its own state in the top folder:
//   server         present while the adb server "runs"
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
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "sim_folder.h"
#include "sim_shell.h"

namespace fs = std::filesystem;
using phone_sim::Folder;
using phone_sim::Output;

namespace {

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

std::string listing(const Folder& folder) {
    bool ok = false;
    const std::string text = folder.empty() ? "" : phone_sim::read_whole(folder.top + "/listing", &ok);
    return ok ? text : std::string("List of devices attached\n\n");
}

// The serials of the listing's device lines ("<serial>\t<state>").
std::vector<std::string> listed_serials(const Folder& folder) {
    std::vector<std::string> serials;
    std::istringstream lines(listing(folder));
    std::string line;
    while (std::getline(lines, line)) {
        const auto tab = line.find('\t');
        if (tab != std::string::npos && tab > 0) serials.push_back(line.substr(0, tab));
    }
    return serials;
}

void start_server(const Folder& folder) {
    if (folder.empty() || fs::exists(folder.top + "/server")) return;
    err("* daemon not running; starting now at tcp:5037\n* daemon started successfully\n");
    std::ofstream(folder.top + "/server") << "running\n";
}

// The line a shell or exec-out command runs: adb joins the arguments with blanks.
std::string joined(const std::vector<std::string>& args, std::size_t from) {
    std::string line;
    for (std::size_t i = from; i < args.size(); ++i) line += (i > from ? " " : "") + args[i];
    return line;
}

int cmd_shell(const Folder& folder, const std::vector<std::string>& args) {
    const Output o = phone_sim::run_line(folder, joined(args, 1), folder.adbd_root());
    if (!folder.has("pty")) {
        out(o.out);
        err(o.err);
        return o.code;
    }
    std::string terminal;
    for (char c : o.out + o.err) {
        if (c == '\n') terminal += '\r';
        terminal += c;
    }
    out(terminal);
    return 0;
}

int cmd_exec_out(const Folder& folder, const std::vector<std::string>& args) {
    if (folder.has("no-exec-out")) {
        err("error: closed\n");
        return 1;
    }
    // Without a terminal and without the shell protocol, the command's
    // stderr shares the one stream with its stdout.
    const Output o = phone_sim::run_line(folder, joined(args, 1), folder.adbd_root());
    const std::string stream = o.out + o.err;
    const long rate = folder.number("pull-rate");
    const std::size_t piece = rate > 0 ? static_cast<std::size_t>(std::max(1L, rate / 10)) : stream.size();
    for (std::size_t done = 0; done < stream.size(); done += piece) {
        out(stream.substr(done, piece));
        if (rate > 0) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return 0;
}

int cmd_pull(const Folder& folder, const std::vector<std::string>& args) {
    if (args.size() != 3) {
        err("adb: usage: pull REMOTE LOCAL\n");
        return 1;
    }
    const std::string& remote = args[1];
    const std::string& local = args[2];
    const std::string file = folder.file(remote);
    std::error_code ec;
    if (file.empty() || !fs::is_regular_file(file, ec)) {
        err("adb: error: failed to stat remote object '" + remote + "': No such file or directory\n");
        return 1;
    }
    if (!folder.adbd_root() && !folder.shell_may_read(remote)) {
        err("adb: error: failed to stat remote object '" + remote + "': Permission denied\n");
        return 1;
    }
    const std::string content = phone_sim::read_whole(file);
    std::ofstream target(local, std::ios::binary | std::ios::trunc);
    if (!target) {
        err("adb: error: cannot create '" + local + "': No such file or directory\n");
        return 1;
    }
    // Written in pieces, as a link delivers them, so that the size of the
    // target grows while the pull runs.
    const long rate = folder.number("pull-rate");
    const long stall = folder.has("pull-stall") ? folder.number("pull-stall") : -1;
    const long cut = folder.has("pull-cut") ? folder.number("pull-cut") : -1;
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

int cmd_root(const Folder& folder, bool root) {
    const std::string state = folder.control("adbd-root");
    if (!root) {
        std::error_code ec;
        fs::remove(state, ec);
        out("restarting adbd as non root\n");
        return 0;
    }
    if (folder.adbd_root()) {
        out("adbd is already running as root\n");
        return 0;
    }
    if (!folder.has("debuggable")) {
        out("adbd cannot run as root in production builds\n");
        return 1;
    }
    std::ofstream(state) << "root\n";
    out("restarting adbd as root\n");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const char* dir = std::getenv("QUEN_PHONE_SIM_DIR");
    Folder folder;
    folder.top = folder.phone = dir ? dir : "";
    std::vector<std::string> args(argv + 1, argv + argc);

    std::string all;
    for (std::size_t i = 0; i < args.size(); ++i) all += (i ? "\t" : "") + args[i];
    folder.append_top("calls", all);

    std::string serial;
    if (args.size() >= 2 && args[0] == "-s") {
        serial = args[1];
        args.erase(args.begin(), args.begin() + 2);
    }
    if (args.empty()) {
        err("adb: no command given\n");
        return 1;
    }
    const std::string cmd = args[0];
    if (!folder.empty()) std::ofstream(folder.top + "/pid-" + cmd) << getpid() << '\n';
    if (const long ms = folder.number("delay-" + cmd); ms > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    if (const long bytes = folder.number("flood-" + cmd); bytes > 0) flood(bytes);
    if (folder.has("stay-" + cmd)) leave_child_holding_stdout();

    if (cmd == "start-server") {
        start_server(folder);
        return 0;
    }
    if (cmd == "kill-server") {
        std::error_code ec;
        if (!folder.empty()) fs::remove(folder.top + "/server", ec);
        return 0;
    }
    if (cmd == "version") {
        out("Android Debug Bridge version 1.0.41 (phone-sim)\n");
        return 0;
    }
    if (cmd == "devices") {
        start_server(folder);
        out(listing(folder));
        return 0;
    }

    // Every other command talks to one phone.
    const auto serials = listed_serials(folder);
    if (serials.empty()) {
        err("adb: error: no devices/emulators found\n");
        return 1;
    }
    if (serial.empty() && serials.size() > 1) {
        err("adb: error: more than one device/emulator\n");
        return 1;
    }
    if (!serial.empty() && std::find(serials.begin(), serials.end(), serial) == serials.end()) {
        err("adb: error: device '" + serial + "' not found\n");
        return 1;
    }
    std::error_code ec;
    if (!serial.empty() && fs::is_directory(folder.top + "/devices/" + serial, ec))
        folder.phone = folder.top + "/devices/" + serial;

    if (cmd == "shell") return cmd_shell(folder, args);
    if (cmd == "exec-out") return cmd_exec_out(folder, args);
    if (cmd == "pull") return cmd_pull(folder, args);
    if (cmd == "root" || cmd == "unroot") return cmd_root(folder, cmd == "root");
    if (cmd == "wait-for-device") return 0;
    err("adb: unknown command " + cmd + "\n");
    return 1;
}
