#include "phone/acquisition.h"

#include <algorithm>

#include "phone/phone_databases.h"
#include "phone/remote_file.h"
#include "phone/root_copy.h"

namespace quen::phone {

std::vector<FileOutcome> AcquisitionReport::lost() const {
    std::vector<FileOutcome> out;
    std::copy_if(files.begin(), files.end(), std::back_inserter(out),
                 [](const FileOutcome& f) { return lost_in_transfer(f.result); });
    return out;
}

bool AcquisitionReport::refused() const {
    return std::any_of(files.begin(), files.end(), [](const FileOutcome& f) { return f.result == FileResult::Refused; });
}

namespace {

// Puts back what root detection changed on the phone, whichever way the
// acquisition ends.
class RootRestorer {
public:
    RootRestorer(const DeviceLink& link, AcquisitionReport& report) : link_(link), report_(report) {}
    ~RootRestorer() { restore_root(link_, report_.root, report_.log); }
    RootRestorer(const RootRestorer&) = delete;
    RootRestorer& operator=(const RootRestorer&) = delete;

private:
    const DeviceLink& link_;
    AcquisitionReport& report_;
};

FileOutcome absent(const std::string& remote, const std::string& local) {
    FileOutcome outcome;
    outcome.remote = remote;
    outcome.local = local;
    outcome.result = FileResult::Absent;
    return outcome;
}

// Copies one database with its companions as root. Returns whether the
// database itself arrived whole.
bool copy_database(const DeviceLink& link, PhoneDatabase database, AcquisitionReport& report,
                   const WorkFolder& work, const TransferControl& control) {
    const RootMethod method = report.root.method;
    const std::string name = database_file_name(database);
    const auto folders = database_folders(database, report.info.sdk);
    std::string folder;
    RemoteFile main;
    for (const auto& candidate : folders) {
        if (control.stopped()) return false;
        main = stat_remote(link, method, candidate + "/" + name);
        if (!main.absent()) {  // present, or not knowable: worth a try
            folder = candidate;
            break;
        }
    }
    const auto locals = local_targets(work, database);
    if (folder.empty()) {
        report.files.push_back(absent(folders.front() + "/" + name, locals[0]));
        report.notes.push_back("the phone has no " + name + " (looked in " + std::to_string(folders.size()) +
                               " places)");
        return false;
    }
    bool whole = false;
    for (std::size_t i = 0; i < kDatabaseCompanions.size(); ++i) {
        if (control.stopped()) break;
        const std::string remote = folder + "/" + name + kDatabaseCompanions[i];
        RemoteFile info = i == 0 ? main : stat_remote(link, method, remote);
        if (info.absent()) {
            report.files.push_back(absent(remote, locals[i]));
            continue;
        }
        FileOutcome outcome = copy_as_root(link, method, remote, info, locals[i], control, report.log);
        if (outcome.result == FileResult::Cut) {
            // A live phone may have written to the file (its log grows with
            // each new message) between the size and the copy: once more,
            // with the size as it is now.
            info = stat_remote(link, method, remote);
            if (!info.absent()) outcome = copy_as_root(link, method, remote, info, locals[i], control, report.log);
        }
        report.files.push_back(std::move(outcome));
        if (i == 0) whole = report.files.back().result == FileResult::Pulled;
    }
    return whole;
}

void read_live_records(const DeviceLink& link, PhoneDatabase database, AcquisitionReport& report) {
    if (database == PhoneDatabase::Contacts)
        report.provider.contacts_read = query_contacts(link, report.provider.contacts);
    else
        report.provider.messages_read = query_messages(link, report.provider.messages);
    const ProviderRead& read =
        database == PhoneDatabase::Contacts ? report.provider.contacts_read : report.provider.messages_read;
    if (!read.ok && !read.absent)
        report.notes.push_back(std::string("the phone refused its live ") + database_label(database) +
                               " to adb: " + read.error);
}

}  // namespace

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

    const DeviceLink link(helper, report.device.serial);
    report.info = read_device_info(link);
    report.root = detect_root(link, report.info, report.log);
    {
        // Its own scope, so that the phone is put back (and the log says so)
        // before the report is handed out.
        const RootRestorer restorer(link, report);
        for (const PhoneDatabase database : {PhoneDatabase::Contacts, PhoneDatabase::Messages}) {
            if (control.stopped()) break;
            const bool copied = report.root.method != RootMethod::None &&
                                copy_database(link, database, report, work, control);
            if (!copied && !control.stopped()) read_live_records(link, database, report);
        }
        report.stopped = control.stopped();
        if (!report.stopped) make_backups(work);
    }

    if (report.root.method == RootMethod::None) {
        report.notes.push_back("this phone gives adb no root: only its live contacts and messages were read; "
                               "deleted ones need root (su, or adb root on a userdebug build)");
        if (!report.root.refusal.empty())
            report.notes.push_back("su answered: " + report.root.refusal + " (allow root for the shell on the phone)");
    }
    return report;
}

}  // namespace quen::phone
