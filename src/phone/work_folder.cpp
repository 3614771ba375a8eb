#include "phone/work_folder.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
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

std::array<std::string, 10> WorkFolder::work_files() const {
    return {contacts_db, contacts_backup, contacts_shm, contacts_wal, contacts_journal,
            messages_db, messages_backup, messages_shm, messages_wal, messages_journal};
}

namespace {

constexpr const char* kRunPrefix = "run-";
constexpr const char* kLockName = "lock";
// A run folder without its lock file is one being made right now, or one whose
// run died before it locked it; only the second is old.
constexpr auto kUnlockedRunAge = std::chrono::minutes(10);

// The files of one database: its folder, the work copy with the shared-memory
// file, log and journal that SQLite keeps beside it, the backup folder "bak"
// and the backup copy in it, in the order WorkFolder names them.
std::tuple<std::string, std::string, std::string, std::string, std::string, std::string, std::string> database_files(
    const std::string& folder, const std::string& file) {
    const std::string work_copy = folder + "/" + file;
    const std::string backup_folder = folder + "/bak";
    return {folder,        work_copy,      work_copy + "-shm", work_copy + "-wal", work_copy + "-journal",
            backup_folder, backup_folder + "/" + file};
}

std::string errno_text(int error) { return std::strerror(error); }

// Takes the run folder's lock without waiting; an invalid descriptor when
// another run holds it or the lock file cannot be opened.
platform::UniqueFd take_lock(const std::string& run_folder) {
    platform::UniqueFd fd(::open((run_folder + "/" + kLockName).c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!fd.valid()) return fd;
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) fd.reset();
    return fd;
}

// Removes the run folders of runs that have ended: their lock is free (the
// run's process is gone), or they never got a lock file and are old.
void remove_ended_runs(const std::string& user_folder) {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(user_folder, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(kRunPrefix, 0) != 0 || !entry.is_directory(ec) || entry.is_symlink(ec)) continue;
        const std::string run = entry.path().string();
        struct stat lock_stat {};
        if (::lstat((run + "/" + kLockName).c_str(), &lock_stat) != 0) {
            const auto age = fs::file_time_type::clock::now() - fs::last_write_time(run, ec);
            if (!ec && age > kUnlockedRunAge) fs::remove_all(run, ec);
            continue;
        }
        const platform::UniqueFd lock = take_lock(run);
        if (lock.valid()) fs::remove_all(run, ec);
    }
}

}  // namespace

WorkFolder work_folder_paths(const std::string& run_folder) {
    WorkFolder work;
    work.run_folder = run_folder;
    std::tie(work.contacts_folder, work.contacts_db, work.contacts_shm, work.contacts_wal, work.contacts_journal,
             work.contacts_backup_folder, work.contacts_backup) = database_files(run_folder + "/Quenfora", "contacts2.db");
    work.picture_folder = work.contacts_folder + "/picture/";
    std::tie(work.messages_folder, work.messages_db, work.messages_shm, work.messages_wal, work.messages_journal,
             work.messages_backup_folder, work.messages_backup) =
        database_files(run_folder + "/quenfora-recovery-for-android", "mmssms.db");
    return work;
}

std::string private_user_folder(const std::string& temp, std::string& error) {
    const std::string folder = temp + "quenfora-" + std::to_string(::geteuid());
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        error = "cannot create the work folder " + folder + ": " + errno_text(errno);
        return {};
    }
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0) {
        error = "cannot read the work folder " + folder + ": " + errno_text(errno);
        return {};
    }
    if (S_ISLNK(st.st_mode)) {
        error = "the work folder " + folder + " is a link; remove it (it is not this program's)";
        return {};
    }
    if (!S_ISDIR(st.st_mode)) {
        error = "the work folder " + folder + " is not a folder; remove it";
        return {};
    }
    if (st.st_uid != ::geteuid()) {
        error = "the work folder " + folder + " belongs to another user (uid " + std::to_string(st.st_uid) +
                "); remove it, or set TMPDIR to a folder of your own";
        return {};
    }
    if ((st.st_mode & 07777) != 0700 && ::chmod(folder.c_str(), 0700) != 0) {
        error = "cannot make the work folder " + folder + " private: " + errno_text(errno);
        return {};
    }
    return folder;
}

WorkFolder prepare_work_folder() { return prepare_work_folder(platform::temp_folder()); }

WorkFolder prepare_work_folder(const std::string& temp) {
    WorkFolder failed;
    const std::string user_folder = private_user_folder(temp, failed.error);
    if (user_folder.empty()) return failed;
    remove_ended_runs(user_folder);

    std::string pattern = user_folder + "/" + kRunPrefix + "XXXXXX";
    if (!::mkdtemp(pattern.data())) {
        failed.error = "cannot create a run folder in " + user_folder + ": " + errno_text(errno);
        return failed;
    }
    platform::UniqueFd lock = take_lock(pattern);
    if (!lock.valid()) {
        failed.error = "cannot lock the run folder " + pattern + ": " + errno_text(errno);
        std::error_code ec;
        fs::remove_all(pattern, ec);
        return failed;
    }
    WorkFolder work = work_folder_paths(pattern);
    work.lock = std::make_shared<const platform::UniqueFd>(std::move(lock));
    for (const std::string* dir : {&work.contacts_folder, &work.picture_folder, &work.contacts_backup_folder,
                                   &work.messages_folder, &work.messages_backup_folder}) {
        if (::mkdir(dir->c_str(), 0700) != 0 && errno != EEXIST) {
            failed.error = "cannot create " + *dir + ": " + errno_text(errno);
            remove_work_folder(work);
            return failed;
        }
    }
    return work;
}

void delete_work_files(const WorkFolder& work) {
    for (const std::string& file : work.work_files()) {
        if (file.empty()) continue;
        std::error_code ec;
        fs::remove(file, ec);
    }
}

void make_backups(const WorkFolder& work) {
    for (const auto& [from, to] : {std::pair{&work.contacts_db, &work.contacts_backup},
                                   std::pair{&work.messages_db, &work.messages_backup}}) {
        std::error_code ec;
        if (fs::copy_file(*from, *to, fs::copy_options::overwrite_existing, ec)) make_private(*to);
    }
}

void remove_picture_folder(const WorkFolder& work) {
    std::string dir = work.picture_folder;
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    if (dir.empty()) return;
    std::error_code ec;
    fs::remove_all(dir, ec);
}

void remove_work_folder(const WorkFolder& work) {
    if (work.run_folder.empty()) return;
    std::error_code ec;
    fs::remove_all(work.run_folder, ec);
}

bool create_private_file(const std::string& path) {
    const platform::UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600));
    return fd.valid() && ::fchmod(fd.get(), 0600) == 0;
}

bool make_private(const std::string& path) { return ::chmod(path.c_str(), 0600) == 0; }

}  // namespace quen::phone
