#include "phone/acquisition.h"

namespace quen::phone {

std::array<std::string, 6> local_database_targets(const WorkFolder& w) {
    return {w.contacts_db, w.contacts_shm, w.contacts_wal, w.messages_db, w.messages_shm, w.messages_wal};
}

void adb_fetch(const AdbHelper& helper, const std::string& remote, const std::string& local) {
    adb_run(helper, {"shell", "su", "root", "chmod", "777", remote});
    adb_run(helper, {"pull", remote, local});
}

DeviceState run_acquisition(const AdbHelper& helper, const WorkFolder& work) {
    const DeviceState state = adb_devices_state(helper);
    if (state != DeviceState::Ready) return state;
    const auto locals = local_database_targets(work);
    for (std::size_t i = 0; i < kRemoteDatabaseFiles.size(); ++i)
        adb_fetch(helper, kRemoteDatabaseFiles[i], locals[i]);
    make_backups(work);
    return state;
}

}  // namespace quen::phone
