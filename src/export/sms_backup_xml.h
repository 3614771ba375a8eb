#pragma once
// Messages as the XML that the Android app "SMS Backup & Restore" imports:
// "Messages.xml", so that recovered messages can go back onto a phone.
#include <cstdint>
#include <string>
#include <string_view>

#include "records/model/record_model.h"

namespace quen::exports {

// A text as the value of a double-quoted XML attribute: & < > " ' as entity
// references, TAB, LF and CR as character references (a parser would turn
// them into blanks otherwise), after the strict rules of export_text, which
// replace every character XML 1.0 forbids with U+FFFD.
std::string xml_attribute(std::string_view value);

// The moment as that app shows it, in local time: "Nov 5, 2023 3:41:31 PM"
// (English month names whatever the locale). Empty when the moment cannot be
// represented.
std::string readable_date(int64_t millis);

// The whole file: the XML declaration, <smses count="N"> and one <sms .../>
// per message, thread by thread in list order (null entries skipped), each
// thread's messages in their order. Per message: protocol "0", address, date
// (the stored milliseconds; 0 for a moment before 1970 or after the year 3000,
// which the report pages show as 1970 too), type (as stored), body, read "1", status "-1",
// locked "0", date_sent "0" (not kept by the phone's table reader),
// readable_date, and contact_name: the thread's first name, "(Unknown)" when
// it has none, as that app writes it.
std::string sms_backup_xml(const records::ThreadList& threads);

}  // namespace quen::exports
