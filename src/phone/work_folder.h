#pragma once
// The local folders and files into which the phone's two databases are pulled.
// They hold the phone's contacts and messages, so they live in a folder that
// only this user can enter, one per run:
//
//   T = the user's temporary folder (ends with "/")
//   T + "quenfora-<uid>"                    this user's folder: 0700, owned by the user,
//                                           refused when it is a link or someone else's
//       /run-XXXXXX                         one run's folder (0700), locked while the run lives
//           /lock                           held locked by the run; a run folder whose lock
//                                           is free is left from an ended run and removed
//           /Quenfora                       contacts folder
//               /contacts2.db, -shm, -wal, -journal
//                                           contacts work copy and its SQLite companions
//               /bak/contacts2.db           contacts backup copy (made without companions)
//               /picture/                   preview copies of found files
//           /quenfora-recovery-for-android  messages folder
//               /mmssms.db, -shm, -wal, -journal
//               /bak/mmssms.db
//
// Every file written there is 0600.
#include <array>
#include <memory>
#include <string>

#include "platform/unique_fd.h"

namespace quen::phone {

struct WorkFolder {
    std::string error;  // why no work folder could be prepared; empty when it was
    std::string run_folder;
    std::string contacts_folder;
    std::string contacts_db;
    std::string contacts_shm;
    std::string contacts_wal;
    std::string contacts_journal;
    std::string contacts_backup_folder;
    std::string contacts_backup;
    std::string picture_folder;  // ends with "/"
    std::string messages_folder;
    std::string messages_db;
    std::string messages_shm;
    std::string messages_wal;
    std::string messages_journal;
    std::string messages_backup_folder;
    std::string messages_backup;
    // Held (locked) while any copy of this WorkFolder lives, so that another
    // run does not take the folder for one left behind.
    std::shared_ptr<const platform::UniqueFd> lock;

    bool ok() const { return error.empty(); }

    // The eight database paths in the readers' order: contacts work copy,
    // contacts backup copy, contacts -shm, contacts -wal, then the same four of
    // the messages database.
    std::array<std::string, 8> database_paths() const;
    // Every file a run may write: the eight database paths and both journals.
    std::array<std::string, 10> work_files() const;
};

// Every path under the run folder `run_folder` (no trailing "/").
WorkFolder work_folder_paths(const std::string& run_folder);

// The user's own folder under `temp` (which ends with "/"): created 0700 when
// missing, tightened to 0700 when it is ours, refused (empty result, `error`
// set) when it is a link, not a folder, or belongs to another user.
std::string private_user_folder(const std::string& temp, std::string& error);

// Prepares a fresh run folder under the user's folder in temp_folder() (or
// `temp`): removes the folders of runs that have ended, makes a new run folder,
// locks it and creates the contacts folder, the picture folder, the contacts
// backup folder, the messages folder and the messages backup folder. On
// failure `error` says why and no path is set.
WorkFolder prepare_work_folder();
WorkFolder prepare_work_folder(const std::string& temp);

// Deletes both work copies and both backup copies, and the -shm, -wal and
// -journal files beside the work copies: a log left from another run or
// another phone must never be applied to a freshly pulled database. Failures
// are ignored.
void delete_work_files(const WorkFolder& work);

// Copies each work copy onto its backup copy (0600), contacts first,
// overwriting; a failed copy (work copy absent) is ignored and leaves the
// backup absent.
void make_backups(const WorkFolder& work);

// Deletes the picture folder with everything below it; the result is ignored.
void remove_picture_folder(const WorkFolder& work);

// Deletes the run folder with everything in it: the end of every run that
// does not keep its copies.
void remove_work_folder(const WorkFolder& work);

// Creates (or truncates) `path` as an empty file only this user may read,
// without following a link; false when that fails.
bool create_private_file(const std::string& path);

// Sets `path` to 0600; false when that fails.
bool make_private(const std::string& path);

}  // namespace quen::phone
