#pragma once
// What root sees of a file on the phone: whether it is there, its size and its
// mode, from "stat -c '%s %a'" or, on phones whose toolbox has no stat
// (Android before 6), from "ls -l".
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "phone/device_link.h"
#include "phone/root_access.h"

namespace quen::phone {

struct RemoteFile {
    enum class Presence { Unknown, Absent, Present };
    Presence presence = Presence::Unknown;
    std::uint64_t size = 0;
    unsigned mode = 0;  // permission bits, e.g. 0660

    bool present() const { return presence == Presence::Present; }
    bool absent() const { return presence == Presence::Absent; }
};

// "<size> <octal mode>" (stat -c '%s %a'); nullopt for anything else.
std::optional<RemoteFile> parse_stat_line(std::string_view line);

// One "ls -l" line of toolbox, toybox or busybox:
//   -rw-rw---- u0_a4    u0_a4      274432 2014-06-10 10:21 contacts2.db
//   -rw-rw---- 1 u0_a4 u0_a4 274432 2020-06-10 10:21 contacts2.db
//   -rw-rw----    1 10004    10004       274432 Jun 10 10:21 contacts2.db
// nullopt when it is not the line of a regular file.
std::optional<RemoteFile> parse_ls_line(std::string_view line);

// Whether the answer says there is no such file.
bool says_no_such_file(std::string_view output);

// The file as root sees it (with RootMethod::None, as the shell user does).
RemoteFile stat_remote(const DeviceLink& link, RootMethod method, const std::string& path);

}  // namespace quen::phone
