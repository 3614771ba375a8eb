#include "records/readers/contacts_reader.h"

#include <algorithm>
#include <limits>

#include "records/free_space/free_space_scan.h"
#include "records/model/mimetype_tables.h"
#include "records/model/text_list.h"
#include "records/readers/live_reader.h"
#include "records/readers/load_progress.h"

namespace quen::records {

namespace {

// Key of a library contact in the contact map: the negated raw_contact_id, so
// it never meets a contact rebuilt from free space (filed under +id). The one
// id that has no negation keeps its own (already negative) value.
int64_t library_key(int64_t raw_contact_id) {
    return raw_contact_id == std::numeric_limits<int64_t>::min() ? raw_contact_id : -raw_contact_id;
}

constexpr FieldKind kEveryField[] = {field_kind::kName,         field_kind::kNickname,      field_kind::kIm,
                                     field_kind::kPhone,        field_kind::kEmail,         field_kind::kOrganization,
                                     field_kind::kSipAddress,   field_kind::kPostalAddress, field_kind::kWebsite,
                                     field_kind::kNote,         field_kind::kOther};

// Adds every value of `from` to `into`, field by field, by the merge rule.
void merge_contact(ContactRecord& into, const ContactRecord& from) {
    for (FieldKind kind : kEveryField) {
        std::string& merged = contact_field(into, kind);
        for (const auto& item : split_text_list(contact_field(from, kind))) merge_text_value(merged, item);
    }
}

bool has_value(const std::string& list, const std::string& value) {
    const auto items = split_text_list(list);
    return std::find(items.begin(), items.end(), value) != items.end();
}

// Files the contacts rebuilt from free space, keyed by +raw_contact_id, into
// `contacts`. A rebuilt value that the contact read from the database holds
// in the same field is that row's own older cell and is dropped: a live
// contact is not shown a second time as deleted. The values that remain (an
// old number of an edited contact) stay as a deleted record of their own
// under the same raw_contact_id; it carries the contact's name when it has
// none of its own, so that the user sees whose earlier values they are.
void file_rebuilt_contacts(ContactMap& rebuilt, ContactMap& contacts) {
    for (auto& [key, record] : rebuilt) {
        const auto present = contacts.find(library_key(key));
        if (present == contacts.end()) {
            ContactRecord& target = find_or_create_contact(contacts, key, true);
            merge_contact(target, record);
            continue;
        }
        const ContactRecord& known = present->second;
        ContactRecord earlier;
        for (FieldKind kind : kEveryField)
            for (const auto& item : split_text_list(contact_field(record, kind)))
                if (!has_value(contact_field(known, kind), item)) add_contact_value(earlier, item, kind);
        bool any = false;
        for (FieldKind kind : kEveryField) any = any || !contact_field(earlier, kind).empty();
        if (!any) continue;
        if (earlier.name.empty()) earlier.name = known.name;
        merge_contact(find_or_create_contact(contacts, key, true), earlier);
    }
}

}  // namespace

void read_contacts_file(ContactMap& map, const std::string& path, bool deleted) {
    const LiveContacts live = read_live_contacts(path);

    // The mimetype id table follows the last file read; a later entry with
    // the same id wins. A file that gave no mimetypes at all (missing, not a
    // database) leaves the table as it was: emptying it would file every row
    // rebuilt from the other copy's free space under `others`.
    if (!live.mimetypes.empty()) {
        MimetypeIdTable& ids = mimetype_id_table();
        ids.clear();
        for (const auto& entry : live.mimetypes) ids[entry.id] = entry.text;
    }

    for (const auto& row : live.rows) {
        ContactRecord& contact = find_or_create_contact(map, row.raw_contact_id, deleted);
        add_contact_value(contact, row.data1, kind_for_mimetype_id(row.mimetype_id));
    }
}

void read_contacts(const std::string& work_path, const std::string& backup_path, ContactMap& contacts_out,
                   MessageSink* window) {
    ensure_mimetype_kind_table();
    mimetype_id_table().clear();  // nothing of an earlier phone's database

    // Work copy first: a contact that both copies hold is created live and
    // only gains the backup's extra values; one only the backup holds is deleted.
    ContactMap local;
    read_contacts_file(local, work_path, false);
    post_load_step(window, 1);
    read_contacts_file(local, backup_path, true);
    post_load_step(window, 2);

    for (auto& [id, record] : local) {
        const int64_t key = library_key(id);
        auto [entry, inserted] = contacts_out.try_emplace(key);
        if (inserted) {
            entry->second = std::move(record);
        } else {
            merge_contact(entry->second, record);  // only when the map was not empty
        }
    }

    // Rows rebuilt from free space, under the positive raw_contact_id, with
    // the backup copy's mimetypes (the last table read) for both files; only
    // what the database does not hold any more is filed.
    ContactMap rebuilt;
    scan_free_space(FreeSpaceMode::Contacts, work_path, rebuilt);
    post_load_step(window, 3);
    scan_free_space(FreeSpaceMode::Contacts, backup_path, rebuilt);
    post_load_step(window, 4);
    file_rebuilt_contacts(rebuilt, contacts_out);
}

}  // namespace quen::records
