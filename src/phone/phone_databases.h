#pragma once
// Where each Android version keeps the two databases, and the files that go
// with each. All of them hold records: the write-ahead log ("-wal") the latest
// changes, the rollback journal ("-journal") the pages as they were before the
// last change (deleted rows among them), the shared-memory file ("-shm") the
// log's index.
#include <array>
#include <string>
#include <vector>

#include "phone/work_folder.h"

namespace quen::phone {

enum class PhoneDatabase { Contacts, Messages };

// The database's file name ("contacts2.db", "mmssms.db").
const char* database_file_name(PhoneDatabase database);
// "contacts", "messages".
const char* database_label(PhoneDatabase database);

// The folders that may hold the database, in the order they are tried:
//   contacts: /data/data/com.android.providers.contacts/databases, then
//             /data/user/0/... (the same place on most phones, the real one on some)
//   messages: from Android 7 (API 24) the telephony provider keeps its
//             database in device-protected storage, /data/user_de/0/...; before
//             that in /data/data/... . An unknown version tries the newer place first.
std::vector<std::string> database_folders(PhoneDatabase database, int sdk);

// The suffixes of the files copied for one database, in the order they are
// copied: the database, its shared memory, its log, its journal.
constexpr std::array<const char*, 4> kDatabaseCompanions = {"", "-shm", "-wal", "-journal"};

// The work folder's targets of those four files.
std::array<std::string, 4> local_targets(const WorkFolder& work, PhoneDatabase database);

}  // namespace quen::phone
