#pragma once
// Ctrl-C while the phone is being read. The first press asks the phone job to
// stop: the adb call under way is ended within a fifth of a second, a partial
// copy is deleted, and whatever the run changed on the phone is put back
// before the command ends with 130. A second press ends the program at once:
// the adb helper is killed and, unless the command keeps its copies, the work
// files are deleted from the signal handler itself.
#include <atomic>

#include "cli/interrupt.h"
#include "phone/work_folder.h"

namespace quen::cli {

class PhoneInterrupt {
public:
    // `stop` is raised on the first press; with `delete_on_exit` the work
    // folder's files are removed on a second one.
    PhoneInterrupt(std::atomic<bool>& stop, const phone::WorkFolder& work, bool delete_on_exit);
    ~PhoneInterrupt();
    PhoneInterrupt(const PhoneInterrupt&) = delete;
    PhoneInterrupt& operator=(const PhoneInterrupt&) = delete;

private:
    SigintScope scope_;
};

}  // namespace quen::cli
