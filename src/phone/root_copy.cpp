#include "phone/root_copy.h"

#include <cstdio>

#include "phone/work_folder.h"

namespace quen::phone {
namespace {

std::string octal(unsigned mode) {
    char text[8];
    std::snprintf(text, sizeof text, "%o", mode);
    return text;
}

FileOutcome pull_with_mode_change(const DeviceLink& link, RootMethod method, const std::string& remote,
                                  const RemoteFile& info, const std::string& local, const TransferControl& control,
                                  std::vector<std::string>& log) {
    const unsigned readable = info.mode | 0004u;
    const std::string quoted = shell_quote(remote);
    link.shell(as_root(method, "chmod " + octal(readable) + " " + quoted));
    log.push_back("changed the mode of " + remote + " from " + octal(info.mode) + " to " + octal(readable) +
                  " to copy it (this phone's adb has no exec-out)");
    FileOutcome outcome = pull_file(link, remote, local, info.size, control);
    outcome.method = "pull after chmod";

    // Runs even after a stop: a mode that was changed must be put back.
    const DeviceLink restorer = link.unstoppable();
    restorer.shell(as_root(method, "chmod " + octal(info.mode) + " " + quoted));
    const RemoteFile after = stat_remote(restorer, method, remote);
    if (after.present() && after.mode == info.mode)
        log.push_back("restored the mode of " + remote + " to " + octal(info.mode));
    else
        log.push_back("could not restore the mode of " + remote + " to " + octal(info.mode) +
                      ": set it by hand (chmod " + octal(info.mode) + ")");
    return outcome;
}

}  // namespace

FileOutcome copy_as_root(const DeviceLink& link, RootMethod method, const std::string& remote,
                         const RemoteFile& info, const std::string& local, const TransferControl& control,
                         std::vector<std::string>& log) {
    if (info.present() && info.size == 0) {
        // An empty file (a journal truncated after its last commit): nothing
        // to copy, and a transfer of nothing could not be told from a failed one.
        FileOutcome empty;
        empty.remote = remote;
        empty.local = local;
        empty.method = "empty";
        empty.result = create_private_file(local) ? FileResult::Pulled : FileResult::Failed;
        return empty;
    }
    const std::uint64_t expected = info.present() ? info.size : 0;
    FileOutcome pulled = pull_file(link, remote, local, expected, control);
    // A pull that the shell user may not make (refused, or the file hidden
    // from it) is taken over by su; a cut or stalled one is the link's fault.
    const bool shell_denied = pulled.result == FileResult::Refused || pulled.result == FileResult::Failed ||
                              (pulled.result == FileResult::Absent && info.present());
    if (!shell_denied || method == RootMethod::AdbRoot || method == RootMethod::None) return pulled;

    bool unsupported = false;
    // su's own complaints go to /dev/null too: with exec-out they would land
    // in the copy.
    const std::string line = as_root(method, "cat " + shell_quote(remote) + " 2>/dev/null") + " 2>/dev/null";
    FileOutcome streamed = stream_file(link, line, remote, local, expected, control, unsupported);
    if (!unsupported) return streamed;
    if (!info.present()) return pulled;  // without its mode the file cannot be put back as it was
    return pull_with_mode_change(link, method, remote, info, local, control, log);
}

}  // namespace quen::phone
