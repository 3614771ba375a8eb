#include "cli/output/records_json.h"

#include <cinttypes>

#include "platform/utf8.h"

namespace quen::cli {

std::string records_json_document(const records::ContactList& contacts, const records::ThreadList& threads) {
    rapidjson::StringBuffer sb;
    rapidjson::Writer<rapidjson::StringBuffer> w(sb);
    w.StartObject();
    write_records_members(w, contacts, threads);
    w.EndObject();
    return std::string(sb.GetString(), sb.GetSize());
}

std::string printable_text(std::string_view bytes) {
    const std::string clean = platform::sanitize_utf8(bytes);
    std::string out;
    out.reserve(clean.size());
    for (unsigned char ch : clean) {
        switch (ch) {
            case '\t': out += "\\t"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\\': out += "\\\\"; break;
            default:
                if (ch < 0x20 || ch == 0x7f) {
                    char buf[5];
                    std::snprintf(buf, sizeof buf, "\\x%02X", ch);
                    out += buf;
                } else {
                    out.push_back(static_cast<char>(ch));
                }
        }
    }
    return out;
}

namespace {

const char* state_word(bool deleted) { return deleted ? "deleted" : "live"; }

}  // namespace

void print_records_text(std::FILE* out, const records::ContactList& contacts, const records::ThreadList& threads) {
    size_t deleted_contacts = 0, deleted_threads = 0, messages = 0, deleted_messages = 0;
    for (const auto* c : contacts) deleted_contacts += c->deleted;
    for (const auto* t : threads) {
        deleted_threads += t->deleted;
        messages += t->messages.size();
        for (const auto& m : t->messages) deleted_messages += m.deleted;
    }
    std::fprintf(out, "Contacts: %zu (%zu deleted)\n", contacts.size(), deleted_contacts);
    std::fprintf(out, "Threads: %zu (%zu deleted)\n", threads.size(), deleted_threads);
    std::fprintf(out, "Messages: %zu (%zu deleted)\n", messages, deleted_messages);

    for (const auto* c : contacts) {
        std::string line = "contact " + std::to_string(c->raw_contact_id) + " " + state_word(c->deleted);
        // The SIP address is kept in the record but, as in every view, not shown.
        const std::pair<const char*, const std::string*> fields[] = {
            {"name", &c->name},
            {"nickname", &c->nickname},
            {"im", &c->im},
            {"phone", &c->phone},
            {"email", &c->email},
            {"organization", &c->organization},
            {"postal_address", &c->postal_address},
            {"website", &c->website},
            {"note", &c->note},
            {"others", &c->others},
        };
        for (const auto& [key, text] : fields)
            if (!text->empty()) line += std::string("  ") + key + ": " + printable_text(*text);
        std::fprintf(out, "%s\n", line.c_str());
    }
    for (const auto* t : threads) {
        std::fprintf(out, "thread %s #%" PRId64 " %s  name: %s  messages: %zu\n",
                     t->address.empty() ? "(no address)" : printable_text(t->address).c_str(), t->thread_id,
                     state_word(t->deleted), t->name.empty() ? "-" : printable_text(t->name).c_str(),
                     t->messages.size());
        for (const auto& m : t->messages)
            std::fprintf(out, "    %s  %s  %s  %s\n", m.date_text.empty() ? "(no date)" : m.date_text.c_str(),
                         m.type == 1 ? "received" : "sent", state_word(m.deleted), printable_text(m.body).c_str());
    }
}

}  // namespace quen::cli
