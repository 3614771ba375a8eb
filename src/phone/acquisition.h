#pragma once
// Copying the phone's contacts and messages into the work folder, leaving the
// phone as it was.
//
//   1. the device listing; the phone asked for (AdbHelper::serial, else
//      $ANDROID_SERIAL, else the first listed) must be Ready;
//   2. what the phone is ("getprop") and how to get root (root_access.h);
//   3. with root, for each database: the first of its folders that holds it
//      (phone_databases.h), then the database, its -shm, -wal and -journal,
//      each checked (root_copy.h), and a backup copy of each database;
//   4. for a database that could not be copied (no root, not found, not whole):
//      its live records through the content provider (provider_records.h);
//   5. whatever was changed on the phone is put back ("adb unroot").
#include <string>
#include <vector>

#include "phone/adb_runner.h"
#include "phone/device_info.h"
#include "phone/device_state.h"
#include "phone/provider_records.h"
#include "phone/root_access.h"
#include "phone/transfer.h"
#include "phone/work_folder.h"

namespace quen::phone {

// What one acquisition did.
struct AcquisitionReport {
    ListedDevice device;             // the phone worked with and its state
    DeviceInfo info;                 // model and Android version (Ready phones only)
    RootAccess root;                 // how root was got, if at all
    std::string error;               // why nothing could be copied (no usable work folder)
    std::vector<FileOutcome> files;  // one per file tried, in order
    ProviderRecords provider;        // live records read without the database files
    std::vector<std::string> log;    // each change made to the phone, and its undoing
    std::vector<std::string> notes;  // what the user should know (no root, su refused, ...)
    bool stopped = false;            // a stop was asked for; what was copied whole stays

    DeviceState state() const { return device.state; }
    // The files the phone has that did not reach the work folder whole.
    std::vector<FileOutcome> lost() const;
    // Whether the phone refused a file for lack of permission.
    bool refused() const;
};

// The acquisition, steps 1 to 5. `control` can stop it (the transfer under
// way ends, its partial copy is deleted, the phone is still put back) and is
// told the progress of each transfer.
AcquisitionReport run_acquisition(const AdbHelper& helper, const WorkFolder& work,
                                  const TransferControl& control = {});

}  // namespace quen::phone
