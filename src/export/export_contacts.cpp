#include "export/export_contacts.h"

namespace quen::exports {

RowTable contact_rows(const records::ContactList& contacts) {
    RowTable rows;
    rows.reserve(contacts.size() + 1);
    rows.push_back({"ID", "Deleted", "Name", "Phone", "Email", "Note", "Organization", "Address",
                    "IM", "Nickname", "Website", "Others"});
    int position = 0;
    for (const records::ContactRecord* contact : contacts) {
        if (contact == nullptr) continue;
        ++position;
        rows.push_back({std::to_string(position), contact->deleted ? "Yes" : "No", contact->name, contact->phone,
                        contact->email, contact->note, contact->organization, contact->postal_address, contact->im, contact->nickname,
                        contact->website, contact->others});
    }
    return rows;
}

ReportStatus export_contacts(const ContactExport& job) {
    if (job.contacts.empty()) return ReportStatus::Nothing;
    return write_job_page(job, "Contacts", contact_rows(job.contacts));
}

}  // namespace quen::exports
