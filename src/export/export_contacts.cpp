#include "export/export_contacts.h"

namespace quen::exports {

RowTable contact_rows(const records::ContactList& contacts) {
    RowTable rows;
    rows.reserve(contacts.size() + 1);
    rows.push_back({"ID", "Deleted", "Name", "Phone", "Email", "Note", "Organization", "Address",
                    "IM", "Nickname", "Website", "Others"});
    int position = 0;
    for (const records::ContactRecord* c : contacts) {
        if (c == nullptr) continue;
        ++position;
        rows.push_back({std::to_string(position), c->deleted ? "Yes" : "No", c->name, c->phone,
                        c->email, c->note, c->organization, c->postal_address, c->im, c->nickname,
                        c->website, c->others});
    }
    return rows;
}

ReportStatus export_contacts(const ContactExport& job) {
    if (job.contacts.empty()) return ReportStatus::Nothing;
    const std::string data = serialize_row_table(contact_rows(job.contacts));
    return write_report_page("Contacts", template_or_default(job.template_path), job.destination + "/Contacts.html", data);
}

}  // namespace quen::exports
