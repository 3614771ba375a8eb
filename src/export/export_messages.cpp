#include "export/export_messages.h"

namespace quen::exports {

RowTable message_rows(const records::ThreadList& threads) {
    RowTable rows;
    rows.push_back(
        {"ID", "Deleted", "Name", "Phone Number", "Message", "Date Time", "Type", "Text"});
    int position = 0;
    for (const records::ThreadRecord* t : threads) {
        if (t == nullptr) continue;
        ++position;
        rows.push_back({std::to_string(position), t->deleted ? "Yes" : "No", t->name, t->address,
                        "->", "-", "-", "-"});
        for (const records::MessageRecord& m : t->messages)
            rows.push_back(
                {"", "", "", "", "->", m.date_text, m.type == 1 ? "Received" : "Sent", m.body});
    }
    return rows;
}

ReportStatus export_messages(const MessageExport& job) {
    if (job.threads.empty()) return ReportStatus::Nothing;
    const std::string data = serialize_row_table(message_rows(job.threads));
    return write_report_page("Messages", template_or_default(job.template_path), job.destination + "/Messages.html", data);
}

}  // namespace quen::exports
