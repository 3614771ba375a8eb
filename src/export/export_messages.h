#pragma once
// The messages report page, "Messages.html".
#include "export/report_job.h"

namespace quen::exports {

// Header row (ID, Deleted, Name, Phone Number, Message, Date Time, Type,
// Text), then per thread one thread row ("->", "-", "-", "-" in the last four
// columns) followed by one row per message in the thread's order (first four
// cells empty; "Received" for type 1, "Sent" otherwise). Null entries of the
// list are skipped.
RowTable message_rows(const records::ThreadList& threads);

// Writes destination + "/Messages.html" titled "Messages". An empty list
// writes nothing (ReportStatus::Nothing).
ReportStatus export_messages(const MessageExport& job);

}  // namespace quen::exports
