#include "phone/work_folder.h"

#include <filesystem>
#include <system_error>
#include <tuple>

#include "platform/paths.h"

namespace fs = std::filesystem;

namespace quen::phone {

std::array<std::string, 8> WorkFolder::database_paths() const {
    return {contacts_db, contacts_backup, contacts_shm, contacts_wal,
            messages_db, messages_backup, messages_shm, messages_wal};
}

namespace {

// The files of one database: its folder, the work copy with the shared-memory
// file and log that SQLite keeps beside it, the backup folder "bak" and the
// backup copy in it, in the order WorkFolder names them.
std::tuple<std::string, std::string, std::string, std::string, std::string, std::string> database_files(
    const std::string& folder, const std::string& file) {
    const std::string work_copy = folder + "/" + file;
    const std::string backup_folder = folder + "/bak";
    return {folder, work_copy, work_copy + "-shm", work_copy + "-wal", backup_folder, backup_folder + "/" + file};
}

}  // namespace

WorkFolder work_folder_paths(const std::string& temp) {
    WorkFolder work;
    std::tie(work.contacts_folder, work.contacts_db, work.contacts_shm, work.contacts_wal,
             work.contacts_backup_folder, work.contacts_backup) = database_files(temp + "Quenfora", "contacts2.db");
    work.picture_folder = work.contacts_folder + "/picture/";
    std::tie(work.messages_folder, work.messages_db, work.messages_shm, work.messages_wal,
             work.messages_backup_folder, work.messages_backup) =
        database_files(temp + "quenfora-recovery-for-android", "mmssms.db");
    return work;
}

WorkFolder prepare_work_folder() { return prepare_work_folder(platform::temp_folder()); }

WorkFolder prepare_work_folder(const std::string& temp) {
    WorkFolder work = work_folder_paths(temp);
    for (const std::string* dir : {&work.contacts_folder, &work.picture_folder, &work.contacts_backup_folder,
                                   &work.messages_folder, &work.messages_backup_folder}) {
        std::error_code ec;
        fs::create_directory(*dir, ec);
    }
    delete_work_files(work);
    return work;
}

void delete_work_files(const WorkFolder& work) {
    for (const std::string* file : {&work.contacts_db, &work.messages_db, &work.contacts_backup, &work.messages_backup,
                                    &work.contacts_shm, &work.contacts_wal, &work.messages_shm, &work.messages_wal}) {
        std::error_code ec;
        fs::remove(*file, ec);
    }
}

void make_backups(const WorkFolder& work) {
    std::error_code ec;
    fs::copy_file(work.contacts_db, work.contacts_backup, fs::copy_options::overwrite_existing, ec);
    ec.clear();
    fs::copy_file(work.messages_db, work.messages_backup, fs::copy_options::overwrite_existing, ec);
}

void remove_picture_folder(const WorkFolder& work) {
    std::string dir = work.picture_folder;
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    if (dir.empty()) return;
    std::error_code ec;
    fs::remove_all(dir, ec);
}

}  // namespace quen::phone
