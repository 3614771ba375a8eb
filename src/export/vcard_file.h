#pragma once
// Contacts as vCard 3.0 (RFC 2426), the file that phones, mail programs and
// address books import: "Contacts.vcf".
#include <string>
#include <string_view>

#include "records/model/record_model.h"

namespace quen::exports {

// A text value escaped for a content line: "\" "," ";" are preceded by "\",
// a line break (CR LF, CR or LF) becomes "\n". The value is first made valid
// UTF-8 with the strict rules of export_text.
std::string vcard_escape(std::string_view value);

// "NAME:value" as folded lines, each ending with CR LF: at most 75 octets per
// line, continuation lines starting with one blank, never splitting a UTF-8
// sequence or an escape pair.
std::string vcard_line(std::string_view name, std::string_view escaped_value);

// One entry per contact of the list, in list order (null entries skipped),
// deleted ones written like live ones. Per entry: FN and N from the first
// name (N: the whole name as family name, as Android writes a name it has no
// parts of), NICKNAME for each further name and each nickname, then one line
// per value of TEL, EMAIL, ORG, ADR (the text as street), IMPP, X-SIP, URL,
// NOTE, and X-QUENFORA-OTHER for the values of no vCard kind. Text lists are
// split at every "|".
std::string vcard_text(const records::ContactList& contacts);

}  // namespace quen::exports
