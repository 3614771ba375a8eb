#include "records/model/record_model.h"

#include <algorithm>
#include <cstring>
#include <ctime>

#include "platform/local_time.h"
#include "records/model/text_list.h"

namespace quen::records {

namespace {

// Unsigned byte-wise comparison; a prefix sorts before the longer text.
int compare_bytes(std::string_view a, std::string_view b) {
    const size_t common = std::min(a.size(), b.size());
    if (common != 0) {
        const int order = std::memcmp(a.data(), b.data(), common);  // memcmp compares unsigned bytes
        if (order != 0) return order < 0 ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool bytes_less(std::string_view a, std::string_view b) { return compare_bytes(a, b) < 0; }

}  // namespace

bool ThreadKeyLess::operator()(const ThreadKey& a, const ThreadKey& b) const {
    const int address_order = compare_bytes(a.first, b.first);
    if (address_order != 0) return address_order < 0;
    return a.second < b.second;
}

std::string& contact_field(ContactRecord& contact, FieldKind kind) {
    switch (kind) {
        case field_kind::kEmail: return contact.email;
        case field_kind::kIm: return contact.im;
        case field_kind::kNickname: return contact.nickname;
        case field_kind::kOrganization: return contact.organization;
        case field_kind::kPhone: return contact.phone;
        case field_kind::kSipAddress: return contact.sip_address;
        case field_kind::kName: return contact.name;
        case field_kind::kPostalAddress: return contact.postal_address;
        case field_kind::kWebsite: return contact.website;
        case field_kind::kNote: return contact.note;
        default: return contact.others;
    }
}

const std::string& contact_field(const ContactRecord& contact, FieldKind kind) {
    return contact_field(const_cast<ContactRecord&>(contact), kind);  // same selection, read only
}

void add_contact_value(ContactRecord& contact, std::string_view value, FieldKind kind) {
    merge_text_value(contact_field(contact, kind), value);
}

ContactRecord& find_or_create_contact(ContactMap& map, int64_t key, bool deleted) {
    auto [entry, inserted] = map.try_emplace(key);
    ContactRecord& contact = entry->second;
    if (inserted) {
        contact.deleted = deleted;
        contact.checked = true;
        contact.raw_contact_id = key;
    }
    return contact;
}

ThreadRecord& find_or_create_thread(ThreadMap& map, std::string_view address, int64_t thread_id,
                                    bool deleted) {
    ThreadKey key{std::string(address), thread_id};
    const auto present = map.find(key);
    if (present != map.end()) return present->second;
    ThreadRecord thread;
    thread.deleted = deleted;
    thread.checked = true;
    thread.address = key.first;
    thread.thread_id = thread_id;
    return map.emplace(std::move(key), std::move(thread)).first->second;
}

bool is_duplicate_message(const MessageRecord& a, const MessageRecord& b) {
    return a.type == b.type && a.thread_id == b.thread_id && a.date_text == b.date_text &&
           a.address == b.address && a.body == b.body;
}

bool add_message(ThreadRecord& thread, MessageRecord message) {
    for (const auto& present : thread.messages)
        if (is_duplicate_message(present, message)) return false;
    thread.messages.push_back(std::move(message));
    return true;
}

void name_threads(const ContactMap& contacts, ThreadMap& threads) {
    std::map<std::string, std::string> names;  // phone item -> contact name
    for (const auto& [key, contact] : contacts) {
        if (contact.phone.empty() || contact.name.empty()) continue;
        for (auto& item : split_text_list(contact.phone)) names[std::move(item)] = contact.name;
    }
    if (names.empty()) return;
    for (auto& [key, thread] : threads) {
        const auto named = names.find(thread.address);
        if (named != names.end()) thread.name = named->second;
    }
}

std::string sms_date_text(int64_t millis) {
    constexpr int64_t kLastSecond = 32535194399;  // 3000-12-31 23:59:59 UTC
    int64_t seconds = millis / 1000;
    if (seconds < 0 || seconds > kLastSecond) seconds = 0;
    return platform::local_time_text("%Y-%m-%d %H:%M:%S", static_cast<std::time_t>(seconds));
}

void sort_thread_messages(ThreadRecord& thread) {
    std::stable_sort(thread.messages.begin(), thread.messages.end(),
                     [](const MessageRecord& a, const MessageRecord& b) {
                         return bytes_less(a.date_text, b.date_text);
                     });
}

namespace {

template <typename Map, typename List>
List deleted_first(Map& map) {
    List list;
    list.reserve(map.size());
    for (auto& entry : map) list.push_back(&entry.second);
    std::stable_partition(list.begin(), list.end(), [](const auto* record) { return record->deleted; });
    return list;
}

}  // namespace

ContactList build_contact_list(ContactMap& map) { return deleted_first<ContactMap, ContactList>(map); }

ThreadList build_thread_list(ThreadMap& map) { return deleted_first<ThreadMap, ThreadList>(map); }

}  // namespace quen::records
