#pragma once
// The local folders and files into which the phone's two databases are pulled.
//
//   T = the user's temporary folder (ends with "/")
//   T + "Quenfora"                          contacts folder
//       /contacts2.db, -shm, -wal           contacts work copy and its SQLite companions
//       /bak/contacts2.db                   contacts backup copy (made without companions)
//       /picture/                           preview copies of found files
//   T + "quenfora-recovery-for-android"     messages folder
//       /mmssms.db, -shm, -wal              messages work copy and its companions
//       /bak/mmssms.db                      messages backup copy
#include <array>
#include <string>

namespace quen::phone {

struct WorkFolder {
    std::string contacts_folder;
    std::string contacts_db;
    std::string contacts_shm;
    std::string contacts_wal;
    std::string contacts_backup_folder;
    std::string contacts_backup;
    std::string picture_folder;  // ends with "/"
    std::string messages_folder;
    std::string messages_db;
    std::string messages_shm;
    std::string messages_wal;
    std::string messages_backup_folder;
    std::string messages_backup;

    // The eight database paths in the readers' order: contacts work copy,
    // contacts backup copy, contacts -shm, contacts -wal, then the same four of
    // the messages database.
    std::array<std::string, 8> database_paths() const;
};

// Every path under the temporary folder `temp` (which ends with "/").
WorkFolder work_folder_paths(const std::string& temp);

// Builds the paths under temp_folder(), creates the contacts folder, the
// picture folder, the contacts backup folder, the messages folder and the
// messages backup folder (in that order; existing folders and failures are
// not reported), then deletes the stale work files (delete_work_files).
WorkFolder prepare_work_folder();
WorkFolder prepare_work_folder(const std::string& temp);

// Deletes both work copies and both backup copies, and the -shm and -wal
// files beside the work copies: a log left from another run or another phone
// must never be applied to a freshly pulled database. Failures are ignored.
void delete_work_files(const WorkFolder& work);

// Copies each work copy onto its backup copy, contacts first, overwriting; a
// failed copy (work copy absent) is ignored and leaves the backup absent.
void make_backups(const WorkFolder& work);

// Deletes the picture folder with everything below it; the result is ignored.
void remove_picture_folder(const WorkFolder& work);

}  // namespace quen::phone
