#pragma once
// The contact and thread records as the command line prints them: the JSON
// members "contacts" and "threads" (display-list order, deleted first;
// messages in thread order), and the plain-text listing. Shared by `read` and
// `phone`.
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <array>
#include <cstdio>
#include <string>
#include <string_view>
#include <utility>

#include "cli/output/json_text.h"
#include "records/model/record_model.h"

namespace quen::cli {

// The text fields of a contact by their names in the output, in record order.
inline std::array<std::pair<const char*, const std::string*>, 11> contact_text_fields(
    const records::ContactRecord& contact) {
    return {{{"name", &contact.name},
             {"nickname", &contact.nickname},
             {"im", &contact.im},
             {"phone", &contact.phone},
             {"email", &contact.email},
             {"organization", &contact.organization},
             {"sip_address", &contact.sip_address},
             {"postal_address", &contact.postal_address},
             {"website", &contact.website},
             {"note", &contact.note},
             {"others", &contact.others}}};
}

// One member of the object being written: a number, a flag, or a record text.
template <typename Writer>
void write_number(Writer& writer, const char* key, int64_t number) {
    writer.Key(key);
    writer.Int64(number);
}
template <typename Writer>
void write_flag(Writer& writer, const char* key, bool flag) {
    writer.Key(key);
    writer.Bool(flag);
}
template <typename Writer>
void write_text_member(Writer& writer, const char* key, std::string_view text) {
    writer.Key(key);
    write_text(writer, text);
}

// Where a row was found: "source" (btree for a live row), "page", "offset",
// "frame" (null outside a log or journal), "partial".
template <typename Writer>
void write_origin_members(Writer& writer, const records::RecordOrigin& origin) {
    writer.Key("source");
    writer.String(origin.source.empty() ? "btree" : origin.source.c_str());
    write_number(writer, "page", origin.page);
    write_number(writer, "offset", origin.offset);
    writer.Key("frame");
    if (origin.frame) writer.Uint(origin.frame);
    else writer.Null();
    write_flag(writer, "partial", origin.partial);
}

template <typename Writer>
void write_contact_json(Writer& writer, const records::ContactRecord& contact) {
    writer.StartObject();
    write_number(writer, "raw_contact_id", contact.raw_contact_id);
    write_flag(writer, "deleted", contact.deleted);
    for (const auto& [key, text] : contact_text_fields(contact)) write_text_member(writer, key, *text);
    // The rows its values came from.
    writer.Key("sources");
    writer.StartArray();
    for (const auto& origin : contact.origins) {
        writer.StartObject();
        write_origin_members(writer, origin);
        writer.EndObject();
    }
    writer.EndArray();
    writer.EndObject();
}

template <typename Writer>
void write_message_json(Writer& writer, const records::MessageRecord& message) {
    writer.StartObject();
    write_number(writer, "type", message.type);
    write_number(writer, "thread_id", message.thread_id);
    write_flag(writer, "deleted", message.deleted);
    write_text_member(writer, "date_text", message.date_text);
    write_text_member(writer, "address", message.address);
    write_text_member(writer, "body", message.body);
    write_origin_members(writer, message.origin);
    writer.EndObject();
}

template <typename Writer>
void write_thread_json(Writer& writer, const records::ThreadRecord& thread) {
    writer.StartObject();
    write_text_member(writer, "address", thread.address);
    write_number(writer, "thread_id", thread.thread_id);
    write_text_member(writer, "name", thread.name);
    write_flag(writer, "deleted", thread.deleted);
    writer.Key("messages");
    writer.StartArray();
    for (const auto& message : thread.messages) write_message_json(writer, message);
    writer.EndArray();
    writer.EndObject();
}

// Writes the "contacts" and "threads" members into an object the caller has
// started (the `phone` command puts "state" before them).
template <typename Writer>
void write_records_members(Writer& writer, const records::ContactList& contacts, const records::ThreadList& threads) {
    writer.Key("contacts");
    writer.StartArray();
    for (const records::ContactRecord* contact : contacts) write_contact_json(writer, *contact);
    writer.EndArray();
    writer.Key("threads");
    writer.StartArray();
    for (const records::ThreadRecord* thread : threads) write_thread_json(writer, *thread);
    writer.EndArray();
}

// {"contacts": [...], "threads": [...]} as one compact document.
std::string records_json_document(const records::ContactList& contacts, const records::ThreadList& threads);

// The text listing: counts, then one line per contact and per thread with its
// messages indented below it. Record texts are made printable (see
// printable_text), so a hostile record cannot break lines or drive the terminal.
void print_records_text(std::FILE* out, const records::ContactList& contacts, const records::ThreadList& threads);

// Ill-formed UTF-8 as U+FFFD; tab, line breaks and other control bytes as
// "\t", "\n", "\r", "\xHH"; a backslash as "\\".
std::string printable_text(std::string_view bytes);

}  // namespace quen::cli
