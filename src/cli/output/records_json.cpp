#include "cli/output/records_json.h"

#include <cinttypes>

#include "platform/utf8.h"

namespace quen::cli {

std::string records_json_document(const records::ContactList& contacts, const records::ThreadList& threads) {
    rapidjson::StringBuffer buffer;
    rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
    writer.StartObject();
    write_records_members(writer, contacts, threads);
    writer.EndObject();
    return std::string(buffer.GetString(), buffer.GetSize());
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
                    char escaped[5];
                    std::snprintf(escaped, sizeof escaped, "\\x%02X", ch);
                    out += escaped;
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
    for (const auto* contact : contacts) deleted_contacts += contact->deleted;
    for (const auto* thread : threads) {
        deleted_threads += thread->deleted;
        messages += thread->messages.size();
        for (const auto& message : thread->messages) deleted_messages += message.deleted;
    }
    std::fprintf(out, "Contacts: %zu (%zu deleted)\n", contacts.size(), deleted_contacts);
    std::fprintf(out, "Threads: %zu (%zu deleted)\n", threads.size(), deleted_threads);
    std::fprintf(out, "Messages: %zu (%zu deleted)\n", messages, deleted_messages);

    for (const auto* contact : contacts) {
        std::string line = "contact " + std::to_string(contact->raw_contact_id) + " " + state_word(contact->deleted);
        for (const auto& [key, text] : contact_text_fields(*contact)) {
            // The SIP address is kept in the record but, as in every view, not shown.
            if (text == &contact->sip_address || text->empty()) continue;
            line += std::string("  ") + key + ": " + printable_text(*text);
        }
        std::fprintf(out, "%s\n", line.c_str());
    }
    for (const auto* thread : threads) {
        std::fprintf(out, "thread %s #%" PRId64 " %s  name: %s  messages: %zu\n",
                     thread->address.empty() ? "(no address)" : printable_text(thread->address).c_str(),
                     thread->thread_id, state_word(thread->deleted),
                     thread->name.empty() ? "-" : printable_text(thread->name).c_str(), thread->messages.size());
        for (const auto& message : thread->messages) {
            // Where a deleted message was found, so that it can be checked.
            std::string place;
            if (message.deleted && !message.origin.source.empty())
                place = "  [" + message.origin.source + " page " + std::to_string(message.origin.page) + " offset " +
                        std::to_string(message.origin.offset) + "]";
            std::fprintf(out, "    %s  %s  %s  %s%s\n",
                         message.date_text.empty() ? "(no date)" : message.date_text.c_str(),
                         message.type == 1 ? "received" : "sent", state_word(message.deleted),
                         printable_text(message.body).c_str(), place.c_str());
        }
    }
}

}  // namespace quen::cli
