#pragma once
// /proc/self/mountinfo: one mount per line,
//   id parent-id major:minor root mount-point options [optional...] - fstype source super-options
// Blanks, tabs, newlines and backslashes inside paths are written as \ooo octal.
#include <string>
#include <string_view>
#include <vector>

namespace quen::cdr {

struct MountEntry {
    unsigned major = 0;
    unsigned minor = 0;
    std::string root;         // the mounted part of the file system ("/" for all of it)
    std::string mount_point;
    std::string fs_type;
};

// Lines that do not follow the format are skipped.
std::vector<MountEntry> parse_mountinfo(std::string_view text);

// Reads and parses a mountinfo file; empty when it cannot be read.
std::vector<MountEntry> read_mountinfo(const std::string& path);

// The first mount of the device that shows its whole file system (root "/"),
// else its first mount at all; null when the device is not mounted.
const MountEntry* find_mount(const std::vector<MountEntry>& mounts, unsigned major, unsigned minor);

}  // namespace quen::cdr
