#pragma once
// The contact and thread records as the command line prints them: the JSON
// members "contacts" and "threads" (display-list order, deleted first;
// messages in thread order), and the plain-text listing. Shared by `read` and
// `phone`.
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <cstdio>
#include <string>

#include "cli/output/json_text.h"
#include "records/record_model.h"

namespace quen::cli {

template <typename Writer>
void write_contact_json(Writer& w, const records::ContactRecord& c) {
    w.StartObject();
    w.Key("raw_contact_id");
    w.Int64(c.raw_contact_id);
    w.Key("deleted");
    w.Bool(c.deleted);
    const std::pair<const char*, const std::string*> fields[] = {
        {"name", &c.name},
        {"nickname", &c.nickname},
        {"im", &c.im},
        {"phone", &c.phone},
        {"email", &c.email},
        {"organization", &c.organization},
        {"sip_address", &c.sip_address},
        {"postal_address", &c.postal_address},
        {"website", &c.website},
        {"note", &c.note},
        {"others", &c.others},
    };
    for (const auto& [key, text] : fields) {
        w.Key(key);
        write_text(w, *text);
    }
    w.EndObject();
}

template <typename Writer>
void write_message_json(Writer& w, const records::MessageRecord& m) {
    w.StartObject();
    w.Key("type");
    w.Int(m.type);
    w.Key("thread_id");
    w.Int64(m.thread_id);
    w.Key("deleted");
    w.Bool(m.deleted);
    w.Key("date_text");
    write_text(w, m.date_text);
    w.Key("address");
    write_text(w, m.address);
    w.Key("body");
    write_text(w, m.body);
    w.EndObject();
}

template <typename Writer>
void write_thread_json(Writer& w, const records::ThreadRecord& t) {
    w.StartObject();
    w.Key("address");
    write_text(w, t.address);
    w.Key("thread_id");
    w.Int64(t.thread_id);
    w.Key("name");
    write_text(w, t.name);
    w.Key("deleted");
    w.Bool(t.deleted);
    w.Key("messages");
    w.StartArray();
    for (const auto& m : t.messages) write_message_json(w, m);
    w.EndArray();
    w.EndObject();
}

// Writes the "contacts" and "threads" members into an object the caller has
// started (the `phone` command puts "state" before them).
template <typename Writer>
void write_records_members(Writer& w, const records::ContactList& contacts, const records::ThreadList& threads) {
    w.Key("contacts");
    w.StartArray();
    for (const records::ContactRecord* c : contacts) write_contact_json(w, *c);
    w.EndArray();
    w.Key("threads");
    w.StartArray();
    for (const records::ThreadRecord* t : threads) write_thread_json(w, *t);
    w.EndArray();
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
