#pragma once
// Contacts and messages as CSV (RFC 4180) for spreadsheet programs:
// "Contacts.csv" and "Messages.csv".
#include <string>
#include <string_view>

#include "export/report_json.h"
#include "records/model/record_model.h"

namespace quen::exports {

// A cell as a spreadsheet program may read it without running it: a text
// that starts with = + - @ TAB or CR would be taken as a formula (and a
// received message is anyone's text), so it gets a leading "'", unless it is
// only numbers as a phone writes them ("+49 171 5550100|0171 5550101", "-2").
std::string spreadsheet_safe(std::string_view text);

// The rows as a CSV file: a UTF-8 byte-order mark (so that spreadsheet
// programs read non-Latin text right), then each row as cells in double
// quotes (a quote inside doubled), separated by ",", ending with CR LF. Line
// breaks inside a cell stay as they are, inside its quotes. Cells are made
// valid UTF-8 with the lenient rules of export_text, then spreadsheet_safe.
std::string csv_text(const RowTable& rows);

// The columns of the contacts report page followed by "SIP Address": one row
// per contact, text lists as stored ("|" between values).
RowTable contact_csv_rows(const records::ContactList& contacts);

// One row per message: "Thread" (the thread's position in the list, as the
// report page numbers it), "Deleted" (the message's own flag, "Yes"/"No"),
// "Name" and "Phone Number" of its thread, "Date Time", "Type" ("Received"
// for type 1, else "Sent"), "Text".
RowTable message_csv_rows(const records::ThreadList& threads);

}  // namespace quen::exports
