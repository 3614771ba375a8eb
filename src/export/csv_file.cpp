#include "export/csv_file.h"

#include "export/export_contacts.h"
#include "export/export_text.h"

namespace quen::exports {
namespace {

// Digits and the marks phone numbers are written with ("|" between the
// numbers of one contact): with no letter in it a text can name no function,
// cell or other program, so a spreadsheet can at most do sums with it.
bool is_plain_number(std::string_view text) {
    bool digit = false;
    for (const char c : text) {
        if (c >= '0' && c <= '9') digit = true;
        else if (std::string_view(" +-().,/#*|").find(c) == std::string_view::npos) return false;
    }
    return digit;
}

}  // namespace

std::string spreadsheet_safe(std::string_view text) {
    if (text.empty() || std::string_view("=+-@\t\r").find(text.front()) == std::string_view::npos ||
        is_plain_number(text))
        return std::string(text);
    std::string guarded;
    guarded.reserve(text.size() + 1);
    guarded.push_back('\'');
    guarded.append(text);
    return guarded;
}

std::string csv_text(const RowTable& rows) {
    std::string out = "\xEF\xBB\xBF";
    for (const ReportRow& row : rows) {
        for (size_t i = 0; i < row.size(); ++i) {
            if (i > 0) out.push_back(',');
            out.push_back('"');
            for (const char c : spreadsheet_safe(export_text(row[i], TextRules::Lenient))) {
                if (c == '"') out.push_back('"');
                out.push_back(c);
            }
            out.push_back('"');
        }
        out += "\r\n";
    }
    return out;
}

RowTable contact_csv_rows(const records::ContactList& contacts) {
    RowTable rows = contact_rows(contacts);
    rows.front().push_back("SIP Address");
    size_t row = 1;
    for (const records::ContactRecord* contact : contacts)
        if (contact != nullptr) rows[row++].push_back(contact->sip_address);
    return rows;
}

RowTable message_csv_rows(const records::ThreadList& threads) {
    RowTable rows;
    rows.push_back({"Thread", "Deleted", "Name", "Phone Number", "Date Time", "Type", "Text"});
    int position = 0;
    for (const records::ThreadRecord* thread : threads) {
        if (thread == nullptr) continue;
        ++position;
        for (const records::MessageRecord& message : thread->messages)
            rows.push_back({std::to_string(position), message.deleted ? "Yes" : "No", thread->name, thread->address,
                            message.date_text, message.type == 1 ? "Received" : "Sent", message.body});
    }
    return rows;
}

}  // namespace quen::exports
