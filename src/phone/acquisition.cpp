#include "phone/acquisition.h"

#include <algorithm>

namespace quen::phone {

std::array<std::string, 6> local_database_targets(const WorkFolder& w) {
    return {w.contacts_db, w.contacts_shm, w.contacts_wal, w.messages_db, w.messages_shm, w.messages_wal};
}

std::vector<FileOutcome> AcquisitionReport::lost() const {
    std::vector<FileOutcome> out;
    std::copy_if(files.begin(), files.end(), std::back_inserter(out),
                 [](const FileOutcome& f) { return lost_in_transfer(f.result); });
    return out;
}

bool AcquisitionReport::refused() const {
    return std::any_of(files.begin(), files.end(), [](const FileOutcome& f) { return f.result == FileResult::Refused; });
}

FileOutcome adb_fetch(const AdbHelper& helper, const std::string& remote, const std::string& local,
                      const TransferControl& control) {
    adb_run(helper, {"shell", "su", "root", "chmod", "777", remote});
    return pull_file(helper, remote, local, 0, control);
}

AcquisitionReport run_acquisition(const AdbHelper& given, const WorkFolder& work, const TransferControl& control) {
    AdbHelper helper = given;
    if (control.stop) helper.stop = control.stop;
    AcquisitionReport report;
    report.device = adb_list_devices(helper);
    report.stopped = control.stopped();
    if (report.state() != DeviceState::Ready || report.stopped) return report;
    if (!work.ok()) {
        report.error = work.error;
        return report;
    }
    const auto locals = local_database_targets(work);
    for (std::size_t i = 0; i < kRemoteDatabaseFiles.size(); ++i) {
        if (control.stopped()) {
            report.stopped = true;
            return report;
        }
        report.files.push_back(adb_fetch(helper, kRemoteDatabaseFiles[i], locals[i], control));
    }
    report.stopped = control.stopped();
    make_backups(work);
    return report;
}

}  // namespace quen::phone
