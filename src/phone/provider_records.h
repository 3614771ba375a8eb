#pragma once
// The live contacts and messages of a phone without root, read through its
// content providers with "content query", and turned into records. They are
// the rows the phone shows; deleted rows need the database files, hence root.
//
// Command lines sent ("shell" on phones whose adbd has no exec-out):
//   exec-out content query --uri content://com.android.contacts/data
//            --projection _id:raw_contact_id:mimetype --sort _id
//   exec-out content query --uri content://com.android.contacts/data
//            --projection _id:data1 --sort _id
//   exec-out content query --uri content://sms
//            --projection _id:thread_id:type:date:address --sort _id
//   exec-out content query --uri content://sms --projection _id:body --sort _id
// Each query leaves one free-text column, last (content_query.h). The second
// query of each pair reads the free text the rows' users typed (a name, a
// note, a body) with the ids of the first as anchors, and the two are joined
// row by row.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "phone/device_info.h"
#include "phone/device_link.h"
#include "records/model/record_model.h"

namespace quen::phone {

struct ProviderContactRow {
    std::int64_t raw_contact_id = 0;
    std::string mimetype;
    std::string data1;
};

struct ProviderMessageRow {
    std::int64_t id = 0;
    std::int64_t thread_id = 0;
    std::int32_t type = 0;
    std::optional<std::int64_t> date;  // milliseconds since 1970
    std::string address;
    std::string body;
};

// How one provider answered.
struct ProviderRead {
    bool tried = false;
    bool ok = false;      // its rows were read
    bool absent = false;  // the phone has no such provider (a tablet without telephony)
    std::string error;    // the phone's words when it refused
};

struct ProviderRecords {
    ProviderRead contacts_read;
    ProviderRead messages_read;
    std::vector<ProviderContactRow> contacts;
    std::vector<ProviderMessageRow> messages;
};

// Runs "content query <arguments>" on the phone and returns its stdout as
// bytes, watched for stalls rather than bounded in time (a phone with many
// messages takes a while). Nothing when the query had to be ended (it stalled,
// or the run was stopped): the rows it printed until then are not all of them.
std::optional<std::string> run_content_query(const DeviceLink& link, const std::string& arguments);

ProviderRead query_contacts(const DeviceLink& link, std::vector<ProviderContactRow>& out);
ProviderRead query_messages(const DeviceLink& link, std::vector<ProviderMessageRow>& out);

// Files the rows as live records: contacts under -raw_contact_id (as the live
// rows of a database are), messages into their threads. Naming the threads
// and ordering their messages is left to the caller.
void add_provider_records(const ProviderRecords& rows, records::ContactMap& contacts, records::ThreadMap& threads);

}  // namespace quen::phone
