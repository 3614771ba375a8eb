#include "records/free_space_accept.h"

#include <string_view>

namespace quen::records {

namespace {

std::string_view as_text(std::span<const uint8_t> bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

}  // namespace

void accept_contact(const ContactCandidate& candidate, ContactMap& contacts) {
    const int64_t key = static_cast<int64_t>(candidate.raw_contact_id);
    if (key <= 0) return;
    ContactRecord& record = find_or_create_contact(contacts, key, true);
    const FieldKind kind = kind_for_mimetype_id(static_cast<int32_t>(candidate.mimetype_id));
    add_contact_value(record, as_text(candidate.data1), kind);
}

void accept_message(const MessageCandidate& candidate, ThreadMap& threads) {
    MessageRecord message;
    message.type = static_cast<int32_t>(candidate.type);
    message.thread_id = static_cast<int64_t>(candidate.thread_id);
    message.deleted = true;
    // The unsigned number read back as signed milliseconds.
    message.date_text = sms_date_text(static_cast<int64_t>(candidate.date));
    message.address = std::string(as_text(candidate.address));
    message.body = std::string(as_text(candidate.body));
    ThreadRecord& thread = find_or_create_thread(threads, message.address, message.thread_id, true);
    add_message(thread, std::move(message));
}

}  // namespace quen::records
