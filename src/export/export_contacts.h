#pragma once
// The contacts report page, "Contacts.html".
#include "export/report_job.h"

namespace quen::exports {

// Header row plus one row per contact (12 columns: ID, Deleted, Name, Phone,
// Email, Note, Organization, Address, IM, Nickname, Website, Others). The SIP
// address is not written. Null entries of the list are skipped.
RowTable contact_rows(const records::ContactList& contacts);

// Writes destination + "/Contacts.html" titled "Contacts". An empty list
// writes nothing (ReportStatus::Nothing).
ReportStatus export_contacts(const ContactExport& job);

}  // namespace quen::exports
