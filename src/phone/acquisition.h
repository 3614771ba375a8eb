#pragma once
// Pulling the phone's databases into the work folder.
#include <array>
#include <string>
#include <vector>

#include "phone/adb_runner.h"
#include "phone/device_state.h"
#include "phone/transfer.h"
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

// What one acquisition did.
struct AcquisitionReport {
    ListedDevice device;             // the phone worked with and its state
    std::string error;               // why nothing could be pulled (no usable work folder)
    std::vector<FileOutcome> files;  // one per file tried, in order
    bool stopped = false;            // a stop was asked for; what was pulled whole stays

    DeviceState state() const { return device.state; }
    // The files the phone has that did not reach the work folder whole.
    std::vector<FileOutcome> lost() const;
    // Whether the phone refused a file for lack of permission (no root).
    bool refused() const;
};

// Makes one phone file readable through the phone's su ("shell su root chmod
// 777 <remote>") and pulls it, checked (pull_file).
FileOutcome adb_fetch(const AdbHelper& helper, const std::string& remote, const std::string& local,
                      const TransferControl& control = {});

// The acquisition: the device listing; with a Ready phone, the six fetches in
// order, then the two backup copies.
AcquisitionReport run_acquisition(const AdbHelper& helper, const WorkFolder& work,
                                  const TransferControl& control = {});

}  // namespace quen::phone
