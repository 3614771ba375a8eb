#pragma once
// Contacts reader: turns the pulled contacts2.db (work copy with its "-wal"
// and "-journal" beside it, and the plain backup copy) into contact records:
// the live rows, then every deleted row that the recovery engine finds,
// wherever it survived.
#include <string>

#include "platform/message_sink.h"
#include "records/model/record_model.h"

namespace quen::records {

// Reads both copies into `contacts_out`: contacts of the live rows under
// -raw_contact_id (deleted when only the backup copy has them, or when the
// phone flagged them deleted but did not sync the deletion yet), then
// contacts rebuilt from deleted rows under +raw_contact_id, holding only the
// values that the contact of the live rows does not hold (with its name when
// they have none). Posts WM_LOAD_PROGRESS with steps 1 to 4 to `window`
// (which may be null). Leaves the backup copy's mimetypes in the mimetype id
// table.
void read_contacts(const std::string& work_path, const std::string& backup_path, ContactMap& contacts_out,
                   MessageSink* window);

// The live rows of one file into `map`, under the plain raw_contact_id; new
// records get `deleted`. Refills the mimetype id table from the file when the
// file has a mimetypes table.
void read_contacts_file(ContactMap& map, const std::string& path, bool deleted);

}  // namespace quen::records
