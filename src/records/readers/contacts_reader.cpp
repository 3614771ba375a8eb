#include "records/readers/contacts_reader.h"

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

// Adds every value of `from` to `into`, field by field, by the merge rule.
void merge_contact(ContactRecord& into, const ContactRecord& from) {
    for (FieldKind kind : {field_kind::kName, field_kind::kNickname, field_kind::kIm, field_kind::kPhone,
                           field_kind::kEmail, field_kind::kOrganization, field_kind::kSipAddress,
                           field_kind::kPostalAddress, field_kind::kWebsite, field_kind::kNote, field_kind::kOther}) {
        std::string& merged = contact_field(into, kind);
        for (const auto& item : split_text_list(contact_field(from, kind))) merge_text_value(merged, item);
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
    // the backup copy's mimetypes (the last table read) for both files.
    scan_free_space(FreeSpaceMode::Contacts, work_path, contacts_out);
    post_load_step(window, 3);
    scan_free_space(FreeSpaceMode::Contacts, backup_path, contacts_out);
    post_load_step(window, 4);
}

}  // namespace quen::records
