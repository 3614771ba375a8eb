#pragma once
// How this run gets root on the phone, found out once per run, and how a
// command is wrapped to run as root that way.
//
// Probes, in order, each "shell <line>" and looking for "uid=0(" in the answer:
//   id                adbd already runs as root (an eng build, or "adb root" done before)
//   su -c id          the su of Magisk, SuperSU and most rooting tools
//   su 0 id           the su of Android's own userdebug builds
//   su root id        the su of old phones, which takes a user name
// and, when none answers and the build is debuggable, "adb root" (adbd
// restarts as root; "adb unroot" puts it back at the end of the run).
#include <string>
#include <vector>

#include "phone/device_info.h"
#include "phone/device_link.h"

namespace quen::phone {

enum class RootMethod {
    None,
    AdbRoot,  // adbd runs as root: commands and pulls need no su
    SuC,      // su -c '<command>'
    Su0,      // su 0 sh -c '<command>'
    SuRoot,   // su root sh -c '<command>'
};

// "none", "adb root", "su -c", "su 0", "su root".
const char* root_method_name(RootMethod method);

struct RootAccess {
    RootMethod method = RootMethod::None;
    bool adbd_restarted = false;  // this run restarted adbd as root and must put it back
    std::string refusal;          // what su said when it refused (for the user), else empty
};

// The shell line that runs `command` (a line of the phone's shell) as root.
std::string as_root(RootMethod method, const std::string& command);

// Finds how to get root; each step it takes that changes the phone is added
// to `log`.
RootAccess detect_root(const DeviceLink& link, const DeviceInfo& info, std::vector<std::string>& log);

// Undoes what detect_root changed ("adb unroot" after "adb root"), logging it.
void restore_root(const DeviceLink& link, RootAccess& access, std::vector<std::string>& log);

// Whether the output of "id" (or of su running it) is root's.
bool is_root_id(const std::string& output);

}  // namespace quen::phone
