#include "export/export_messages.h"

namespace quen::exports {

RowTable message_rows(const records::ThreadList& threads) {
    RowTable rows;
    rows.push_back(
        {"ID", "Deleted", "Name", "Phone Number", "Message", "Date Time", "Type", "Text"});
    int position = 0;
    for (const records::ThreadRecord* thread : threads) {
        if (thread == nullptr) continue;
        ++position;
        rows.push_back({std::to_string(position), thread->deleted ? "Yes" : "No", thread->name, thread->address,
                        "->", "-", "-", "-"});
        for (const records::MessageRecord& message : thread->messages)
            rows.push_back(
                {"", "", "", "", "->", message.date_text, message.type == 1 ? "Received" : "Sent", message.body});
    }
    return rows;
}

ReportStatus export_messages(const MessageExport& job) {
    if (job.threads.empty()) return ReportStatus::Nothing;
    return write_job_page(job, "Messages", message_rows(job.threads));
}

}  // namespace quen::exports
