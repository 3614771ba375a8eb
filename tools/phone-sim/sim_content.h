#pragma once
// "content query" as Android's content tool answers it, over the simulated
// phone's own databases: content://sms from mmssms.db's sms table,
// content://com.android.contacts/data from contacts2.db's data rows of
// contacts that are not deleted, with their mimetype texts. Each row is
// printed "Row: <n> <column>=<value>, ..." with the values as stored (NULL as
// "NULL"), then a line feed; no row gives "No result found.".
#include <string>
#include <vector>

#include "sim_shell.h"

namespace phone_sim {

Output content_command(const Folder& folder, const std::vector<std::string>& words);

}  // namespace phone_sim
