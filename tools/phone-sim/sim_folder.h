#pragma once
// The simulated phone's folder: its control files, its state files, and its
// file system under files/, whose real modes are the phone's.
#include <string>
#include <string_view>

namespace phone_sim {

struct Folder {
    std::string top;    // $QUEN_PHONE_SIM_DIR: listing, server, calls, pid-<cmd>
    std::string phone;  // the phone played: top, or top/devices/<serial>

    bool empty() const { return top.empty(); }
    std::string control(const std::string& name) const { return phone + "/" + name; }
    bool has(const std::string& name) const;
    // A control file's content; empty when absent.
    std::string read(const std::string& name) const;
    long number(const std::string& name) const;
    void append_top(const std::string& name, const std::string& line) const;

    // Where a phone path lives; empty for a path that is not absolute or climbs.
    std::string file(const std::string& remote) const;
    // Whether adb's shell user may read `remote`: every folder on its way is
    // o+x, the file o+r, and (with "selinux") it is not an app's private file.
    bool shell_may_read(const std::string& remote) const;
    bool adbd_root() const { return has("adbd-root"); }
};

std::string read_whole(const std::string& path, bool* ok = nullptr);

}  // namespace phone_sim
