#pragma once
// Copying one root-only file off the phone without leaving the phone changed.
//
//   1. "pull": enough when adbd runs as root, or the file is readable anyway.
//   2. "exec-out su -c 'cat <file>'" into the work copy when the pull is
//      refused (SELinux denies the shell user an app's files even after a
//      chmod); byte for byte, checked against the size stat reported.
//   3. Only on phones whose adbd has no exec-out (Android before 5): read the
//      file's mode, add read permission for others, pull, and put the mode
//      back at once; both steps are logged.
#include <string>
#include <vector>

#include "phone/remote_file.h"
#include "phone/root_access.h"
#include "phone/transfer.h"

namespace quen::phone {

// Copies `remote` (as `info` describes it) to `local` with root got by
// `method`. Changes made to the phone and their undoing go to `log`.
FileOutcome copy_as_root(const DeviceLink& link, RootMethod method, const std::string& remote,
                         const RemoteFile& info, const std::string& local, const TransferControl& control,
                         std::vector<std::string>& log);

}  // namespace quen::phone
