#include "records/record_model.h"

#include <algorithm>
#include <cstring>
#include <ctime>

#include "platform/local_time.h"

namespace quen::records {

namespace {

// Unsigned byte-wise comparison; a prefix sorts before the longer text.
int compare_bytes(std::string_view a, std::string_view b) {
    const size_t n = std::min(a.size(), b.size());
    if (n != 0) {
        const int c = std::memcmp(a.data(), b.data(), n);  // memcmp compares unsigned bytes
        if (c != 0) return c < 0 ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool bytes_less(std::string_view a, std::string_view b) { return compare_bytes(a, b) < 0; }

}  // namespace

bool ThreadKeyLess::operator()(const ThreadKey& a, const ThreadKey& b) const {
    const int c = compare_bytes(a.first, b.first);
    if (c != 0) return c < 0;
    return a.second < b.second;
}

// --- mimetype tables ---

const std::map<std::string, FieldKind, std::less<>>& mimetype_kind_table() {
    // Android's ContactsContract data kinds as stored in the `mimetypes` table.
    static const std::map<std::string, FieldKind, std::less<>> table = {
        {"vnd.android.cursor.item/email_v2", field_kind::kEmail},
        {"vnd.android.cursor.item/im", field_kind::kIm},
        {"vnd.android.cursor.item/nickname", field_kind::kNickname},
        {"vnd.android.cursor.item/organization", field_kind::kOrganization},
        {"vnd.android.cursor.item/phone_v2", field_kind::kPhone},
        {"vnd.android.cursor.item/sip_address", field_kind::kSipAddress},
        {"vnd.android.cursor.item/name", field_kind::kName},
        {"vnd.android.cursor.item/postal-address_v2", field_kind::kPostalAddress},
        {"vnd.android.cursor.item/group_membership", field_kind::kGroupMembership},
        {"vnd.android.cursor.item/website", field_kind::kWebsite},
        {"vnd.android.cursor.item/note", field_kind::kNote},
        {"vnd.android.cursor.item/contact_event", field_kind::kContactEvent},
        {"vnd.android.cursor.item/identity", field_kind::kIdentity},
        {"vnd.android.cursor.item/photo", field_kind::kPhoto},
        {"vnd.android.cursor.item/relation", field_kind::kRelation},
    };
    return table;
}

void ensure_mimetype_kind_table() { (void)mimetype_kind_table(); }

FieldKind kind_for_mimetype(std::string_view mimetype) {
    const auto& table = mimetype_kind_table();
    const auto it = table.find(mimetype);
    return it == table.end() ? field_kind::kOther : it->second;
}

MimetypeIdTable& mimetype_id_table() {
    static MimetypeIdTable table;
    return table;
}

std::string mimetype_text_for_id(int32_t id) {
    const auto& table = mimetype_id_table();
    const auto it = table.find(id);
    return it == table.end() ? std::string() : it->second;
}

FieldKind kind_for_mimetype_id(int32_t id) {
    const auto& table = mimetype_id_table();
    const auto it = table.find(id);
    return it == table.end() ? field_kind::kOther : kind_for_mimetype(it->second);
}

// --- text lists ---

void merge_text_value(std::string& list, std::string_view value) {
    if (value.empty()) return;
    if (list.empty()) {
        list.assign(value);
        return;
    }
    size_t start = 0;
    while (true) {
        const size_t bar = list.find('|', start);
        const size_t end = bar == std::string::npos ? list.size() : bar;
        if (std::string_view(list).substr(start, end - start) == value) return;
        if (bar == std::string::npos) break;
        start = bar + 1;
    }
    list.push_back('|');
    list.append(value);
}

std::vector<std::string> split_text_list(std::string_view list) {
    std::vector<std::string> items;
    if (list.empty()) return items;
    size_t start = 0;
    while (true) {
        const size_t bar = list.find('|', start);
        if (bar == std::string_view::npos) {
            items.emplace_back(list.substr(start));
            break;
        }
        items.emplace_back(list.substr(start, bar - start));
        start = bar + 1;
    }
    return items;
}

// --- records ---

std::string& contact_field(ContactRecord& c, FieldKind kind) {
    switch (kind) {
        case field_kind::kEmail: return c.email;
        case field_kind::kIm: return c.im;
        case field_kind::kNickname: return c.nickname;
        case field_kind::kOrganization: return c.organization;
        case field_kind::kPhone: return c.phone;
        case field_kind::kSipAddress: return c.sip_address;
        case field_kind::kName: return c.name;
        case field_kind::kPostalAddress: return c.postal_address;
        case field_kind::kWebsite: return c.website;
        case field_kind::kNote: return c.note;
        default: return c.others;
    }
}

const std::string& contact_field(const ContactRecord& c, FieldKind kind) {
    return contact_field(const_cast<ContactRecord&>(c), kind);  // same selection, read only
}

void add_contact_value(ContactRecord& contact, std::string_view value, FieldKind kind) {
    merge_text_value(contact_field(contact, kind), value);
}

ContactRecord& find_or_create_contact(ContactMap& map, int64_t key, bool deleted) {
    auto [it, inserted] = map.try_emplace(key);
    if (inserted) {
        it->second.deleted = deleted;
        it->second.checked = true;
        it->second.raw_contact_id = key;
    }
    return it->second;
}

ThreadRecord& find_or_create_thread(ThreadMap& map, std::string_view address, int64_t thread_id,
                                    bool deleted) {
    ThreadKey key{std::string(address), thread_id};
    auto it = map.find(key);
    if (it != map.end()) return it->second;
    ThreadRecord t;
    t.deleted = deleted;
    t.checked = true;
    t.address = key.first;
    t.thread_id = thread_id;
    return map.emplace(std::move(key), std::move(t)).first->second;
}

bool is_duplicate_message(const MessageRecord& a, const MessageRecord& b) {
    return a.type == b.type && a.thread_id == b.thread_id && a.date_text == b.date_text &&
           a.address == b.address && a.body == b.body;
}

bool add_message(ThreadRecord& thread, MessageRecord message) {
    for (const auto& m : thread.messages)
        if (is_duplicate_message(m, message)) return false;
    thread.messages.push_back(std::move(message));
    return true;
}

void name_threads(const ContactMap& contacts, ThreadMap& threads) {
    std::map<std::string, std::string> names;  // phone item -> contact name
    for (const auto& [key, c] : contacts) {
        if (c.phone.empty() || c.name.empty()) continue;
        for (auto& item : split_text_list(c.phone)) names[std::move(item)] = c.name;
    }
    if (names.empty()) return;
    for (auto& [key, t] : threads) {
        const auto it = names.find(t.address);
        if (it != names.end()) t.name = it->second;
    }
}

std::string sms_date_text(int64_t millis) {
    constexpr int64_t kLastSecond = 32535194399;  // 3000-12-31 23:59:59 UTC
    int64_t secs = millis / 1000;
    if (secs < 0 || secs > kLastSecond) secs = 0;
    return platform::local_time_text("%Y-%m-%d %H:%M:%S", static_cast<std::time_t>(secs));
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
    std::stable_partition(list.begin(), list.end(), [](const auto* r) { return r->deleted; });
    return list;
}

}  // namespace

ContactList build_contact_list(ContactMap& map) { return deleted_first<ContactMap, ContactList>(map); }

ThreadList build_thread_list(ThreadMap& map) { return deleted_first<ThreadMap, ThreadList>(map); }

}  // namespace quen::records
