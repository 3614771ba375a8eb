#include "phone/work_folder.h"

#include <filesystem>
#include <system_error>

#include "platform/paths.h"

namespace fs = std::filesystem;

namespace quen::phone {

std::array<std::string, 8> WorkFolder::database_paths() const {
    return {contacts_db, contacts_backup, contacts_shm, contacts_wal,
            messages_db, messages_backup, messages_shm, messages_wal};
}

WorkFolder work_folder_paths(const std::string& temp) {
    WorkFolder w;
    w.contacts_folder = temp + "Quenfora";
    w.contacts_db = w.contacts_folder + "/contacts2.db";
    w.contacts_shm = w.contacts_db + "-shm";
    w.contacts_wal = w.contacts_db + "-wal";
    w.contacts_backup_folder = w.contacts_folder + "/bak";
    w.contacts_backup = w.contacts_backup_folder + "/contacts2.db";
    w.picture_folder = w.contacts_folder + "/picture/";
    w.messages_folder = temp + "quenfora-recovery-for-android";
    w.messages_db = w.messages_folder + "/mmssms.db";
    w.messages_shm = w.messages_db + "-shm";
    w.messages_wal = w.messages_db + "-wal";
    w.messages_backup_folder = w.messages_folder + "/bak";
    w.messages_backup = w.messages_backup_folder + "/mmssms.db";
    return w;
}

WorkFolder prepare_work_folder() { return prepare_work_folder(platform::temp_folder()); }

WorkFolder prepare_work_folder(const std::string& temp) {
    WorkFolder w = work_folder_paths(temp);
    for (const std::string* dir : {&w.contacts_folder, &w.picture_folder, &w.contacts_backup_folder,
                                   &w.messages_folder, &w.messages_backup_folder}) {
        std::error_code ec;
        fs::create_directory(*dir, ec);
    }
    delete_work_files(w);
    return w;
}

void delete_work_files(const WorkFolder& w) {
    for (const std::string* file : {&w.contacts_db, &w.messages_db, &w.contacts_backup, &w.messages_backup,
                                    &w.contacts_shm, &w.contacts_wal, &w.messages_shm, &w.messages_wal}) {
        std::error_code ec;
        fs::remove(*file, ec);
    }
}

void make_backups(const WorkFolder& w) {
    std::error_code ec;
    fs::copy_file(w.contacts_db, w.contacts_backup, fs::copy_options::overwrite_existing, ec);
    ec.clear();
    fs::copy_file(w.messages_db, w.messages_backup, fs::copy_options::overwrite_existing, ec);
}

void remove_picture_folder(const WorkFolder& w) {
    std::string dir = w.picture_folder;
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    if (dir.empty()) return;
    std::error_code ec;
    fs::remove_all(dir, ec);
}

}  // namespace quen::phone
