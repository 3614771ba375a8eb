#pragma once
// Android's schemas of contacts2.db and mmssms.db, as far as the sample uses
// them: the tables, their column orders and a few of the phone's indexes.
// (Android's custom collations, PHONEBOOK and UNICODE, are left out: plain
// SQLite does not have them.)
#include <string>

namespace quen::sample_phone {

// current layout when `kitkat` is false, Android 4.4 when it is true
std::string contacts_schema(bool kitkat);
std::string messages_schema(bool kitkat);

}  // namespace quen::sample_phone
