#pragma once
// Pulling the phone's databases into the work folder.
#include <array>
#include <string>

#include "phone/adb_runner.h"
#include "phone/device_state.h"
#include "phone/work_folder.h"

namespace quen::phone {

// The six phone files, in the order they are pulled.
constexpr std::array<const char*, 6> kRemoteDatabaseFiles = {
    "/data/data/com.android.providers.contacts/databases/contacts2.db",
    "/data/data/com.android.providers.contacts/databases/contacts2.db-shm",
    "/data/data/com.android.providers.contacts/databases/contacts2.db-wal",
    "/data/data/com.android.providers.telephony/databases/mmssms.db",
    "/data/data/com.android.providers.telephony/databases/mmssms.db-shm",
    "/data/data/com.android.providers.telephony/databases/mmssms.db-wal",
};

// The local targets of kRemoteDatabaseFiles, in the same order.
std::array<std::string, 6> local_database_targets(const WorkFolder& work);

// Makes one phone file readable through the phone's su ("shell su root chmod
// 777 <remote>") and pulls it ("pull <remote> <local>"). Neither result is
// examined: without root the pull is refused and the local file stays absent.
void adb_fetch(const AdbHelper& helper, const std::string& remote, const std::string& local);

// The acquisition: the device listing; with a Ready phone, the six fetches in
// order, then the two backup copies. Returns the state of the listing.
DeviceState run_acquisition(const AdbHelper& helper, const WorkFolder& work);

}  // namespace quen::phone
