#include "phone/root_access.h"

#include <algorithm>

namespace quen::phone {
namespace {

// su may wait for the user to grant root on the phone's screen; Magisk gives
// the user ten seconds for that.
constexpr std::chrono::milliseconds kSuProbeLimit{20000};
// How long the phone may take to come back after adbd restarts.
constexpr std::chrono::milliseconds kAdbdRestartLimit{20000};

// The first line of an answer, for a message.
std::string first_line(const std::string& text) {
    const std::string clean = shell_text(text);
    std::string line = clean.substr(0, clean.find('\n'));
    if (line.size() > 200) line.resize(200);
    return line;
}

bool probe(const DeviceLink& link, const std::string& line, std::string& answer) {
    const auto run = link.shell(line, std::max(link.helper().command_limit, kSuProbeLimit));
    answer = run.output;
    return is_root_id(run.output);
}

// "adb root" restarts adbd, which drops the connection for a moment.
bool restart_adbd(const DeviceLink& link, bool as_root) {
    link.run({as_root ? "root" : "unroot"});
    platform::RunWatch wait;
    wait.limit = kAdbdRestartLimit;
    link.run({"wait-for-device"}, wait);
    std::string answer;
    return probe(link, "id", answer) == as_root;
}

}  // namespace

const char* root_method_name(RootMethod method) {
    switch (method) {
        case RootMethod::AdbRoot: return "adb root";
        case RootMethod::SuC: return "su -c";
        case RootMethod::Su0: return "su 0";
        case RootMethod::SuRoot: return "su root";
        case RootMethod::None: break;
    }
    return "none";
}

bool is_root_id(const std::string& output) { return output.find("uid=0(") != std::string::npos; }

std::string as_root(RootMethod method, const std::string& command) {
    switch (method) {
        case RootMethod::SuC: return "su -c " + shell_quote(command);
        case RootMethod::Su0: return "su 0 sh -c " + shell_quote(command);
        case RootMethod::SuRoot: return "su root sh -c " + shell_quote(command);
        case RootMethod::AdbRoot:
        case RootMethod::None: break;
    }
    return command;
}

RootAccess detect_root(const DeviceLink& link, const DeviceInfo& info, std::vector<std::string>& log) {
    RootAccess access;
    std::string answer;
    if (probe(link, "id", answer)) {
        access.method = RootMethod::AdbRoot;
        return access;
    }
    struct Probe {
        RootMethod method;
        const char* line;
    };
    for (const Probe& p : {Probe{RootMethod::SuC, "su -c id"}, Probe{RootMethod::Su0, "su 0 id"},
                           Probe{RootMethod::SuRoot, "su root id"}}) {
        if (link.helper().stop && link.helper().stop->load()) return access;
        if (probe(link, p.line, answer)) {
            access.method = p.method;
            return access;
        }
        // A su that exists but said no (the user denied the prompt) is worth telling.
        if (access.refusal.empty() && answer.find("not found") == std::string::npos &&
            answer.find("unknown user") == std::string::npos && !answer.empty())
            access.refusal = first_line(answer);
    }
    if (info.debuggable) {
        if (restart_adbd(link, true)) {
            access.method = RootMethod::AdbRoot;
            access.adbd_restarted = true;
            access.refusal.clear();
            log.push_back("restarted adbd as root (adb root); it is put back with adb unroot at the end");
        } else {
            restart_adbd(link, false);  // whatever "adb root" left, put back
        }
    }
    return access;
}

void restore_root(const DeviceLink& link, RootAccess& access, std::vector<std::string>& log) {
    if (!access.adbd_restarted) return;
    // Putting the phone back does not obey a stop: it must happen.
    if (restart_adbd(link.unstoppable(), false)) log.push_back("adbd restarted without root again (adb unroot)");
    else log.push_back("adb unroot did not take: the phone's adbd may still run as root until it restarts");
    access.adbd_restarted = false;
}

}  // namespace quen::phone
