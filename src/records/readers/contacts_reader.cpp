#include "records/readers/contacts_reader.h"

#include <algorithm>
#include <limits>

#include "records/model/mimetype_tables.h"
#include "records/model/text_list.h"
#include "records/readers/android_tables.h"
#include "records/readers/load_progress.h"

namespace quen::records {

namespace {

// Key of a contact read from the database's live rows: the negated
// raw_contact_id, so it never meets a contact rebuilt from deleted rows
// (filed under +id). The one id that has no negation keeps its own (already
// negative) value.
int64_t live_key(int64_t raw_contact_id) {
    return raw_contact_id == std::numeric_limits<int64_t>::min() ? raw_contact_id : -raw_contact_id;
}

constexpr FieldKind kEveryField[] = {field_kind::kName,         field_kind::kNickname,      field_kind::kIm,
                                     field_kind::kPhone,        field_kind::kEmail,         field_kind::kOrganization,
                                     field_kind::kSipAddress,   field_kind::kPostalAddress, field_kind::kWebsite,
                                     field_kind::kNote,         field_kind::kOther};

// Adds every value of `from` to `into`, field by field, by the merge rule,
// and its origins.
void merge_contact(ContactRecord& into, const ContactRecord& from) {
    for (FieldKind kind : kEveryField) {
        std::string& merged = contact_field(into, kind);
        for (const auto& item : split_text_list(contact_field(from, kind))) merge_text_value(merged, item);
    }
    for (const RecordOrigin& origin : from.origins) into.origins.push_back(origin);
}

bool has_value(const std::string& list, const std::string& value) {
    const auto items = split_text_list(list);
    return std::find(items.begin(), items.end(), value) != items.end();
}

// The kind of a row: through its own file's mimetypes, else through the
// process-wide table (the last file read), else kOther.
FieldKind kind_of(const ContactValueRow& row) {
    return row.kind_known ? row.kind : kind_for_mimetype_id(row.mimetype_id);
}

void add_row(ContactRecord& contact, const ContactValueRow& row) {
    add_contact_value(contact, row.data1, kind_of(row));
    contact.origins.push_back(row.origin);
}

// The live rows of one file into `map` under the plain raw_contact_id; new
// records get `deleted`, and so does every contact the phone has flagged
// deleted but not yet synced away.
void add_live_rows(ContactMap& map, const ContactsDatabase& file, bool deleted) {
    // The mimetype id table follows the last file read; a file that gave no
    // mimetypes at all (missing, not a database) leaves it as it was.
    if (!file.mimetypes.empty()) {
        MimetypeIdTable& ids = mimetype_id_table();
        ids.clear();
        for (const auto& entry : file.mimetypes) ids[entry.id] = entry.text;
    }
    for (const ContactValueRow& row : file.live) {
        ContactRecord& contact = find_or_create_contact(map, row.raw_contact_id, deleted);
        add_row(contact, row);
    }
    for (int64_t id : file.deleted_on_phone)
        if (auto found = map.find(id); found != map.end()) found->second.deleted = true;
}

// Files the contacts rebuilt from deleted rows, keyed by +raw_contact_id,
// into `contacts`. A rebuilt value that the contact read from the live rows
// holds in the same field is that row's own older cell and is dropped: a live
// contact is not shown a second time as deleted. The values that remain (an
// old number of an edited contact) stay as a deleted record of their own
// under the same raw_contact_id; it carries the contact's name when it has
// none of its own, so that the user sees whose earlier values they are. A
// contact of the live rows that is itself deleted (only in the backup copy,
// or deleted on the phone) simply takes them.
void file_rebuilt_contacts(ContactMap& rebuilt, ContactMap& contacts) {
    for (auto& [key, record] : rebuilt) {
        const auto present = contacts.find(live_key(key));
        if (present == contacts.end()) {
            merge_contact(find_or_create_contact(contacts, key, true), record);
            continue;
        }
        if (present->second.deleted) {
            merge_contact(present->second, record);
            continue;
        }
        const ContactRecord& known = present->second;
        ContactRecord earlier;
        bool any = false;
        for (FieldKind kind : kEveryField)
            for (const auto& item : split_text_list(contact_field(record, kind)))
                if (!has_value(contact_field(known, kind), item)) {
                    add_contact_value(earlier, item, kind);
                    any = true;
                }
        if (!any) continue;
        earlier.origins = record.origins;
        if (earlier.name.empty()) earlier.name = known.name;
        merge_contact(find_or_create_contact(contacts, key, true), earlier);
    }
}

void add_deleted_rows(ContactMap& rebuilt, const ContactsDatabase& file) {
    for (const ContactValueRow& row : file.deleted) {
        // A raw_contact_id that does not read as a positive number could not
        // be filed apart from the contacts of the live rows (keys <= 0).
        if (row.raw_contact_id <= 0) continue;
        add_row(find_or_create_contact(rebuilt, row.raw_contact_id, true), row);
    }
}

}  // namespace

void read_contacts_file(ContactMap& map, const std::string& path, bool deleted) {
    add_live_rows(map, read_contacts_database(path), deleted);
}

void read_contacts(const std::string& work_path, const std::string& backup_path, ContactMap& contacts_out,
                   MessageSink* window) {
    ensure_mimetype_kind_table();
    mimetype_id_table().clear();  // nothing of an earlier phone's database

    // Work copy first: what it holds live is live. A contact only the backup
    // copy holds is deleted; values the backup copy holds for a contact the
    // work copy holds are values the phone no longer has, and are filed with
    // the rebuilt ones below (a deleted record of that contact), not merged
    // into the live one.
    const ContactsDatabase work = read_contacts_database(work_path);
    ContactMap local;
    add_live_rows(local, work, false);
    post_load_step(window, 1);
    ContactsDatabase backup = read_contacts_database(backup_path);
    ContactMap rebuilt;
    std::vector<ContactValueRow> backup_only;
    for (ContactValueRow& row : backup.live) {
        const auto live = local.find(row.raw_contact_id);
        if (live == local.end() || live->second.deleted) backup_only.push_back(std::move(row));
        else if (row.raw_contact_id > 0) add_row(find_or_create_contact(rebuilt, row.raw_contact_id, true), row);
    }
    backup.live = std::move(backup_only);
    add_live_rows(local, backup, true);
    post_load_step(window, 2);

    for (auto& [id, record] : local) {
        auto [entry, inserted] = contacts_out.try_emplace(live_key(id));
        if (inserted) entry->second = std::move(record);
        else merge_contact(entry->second, record);  // only when the map was not empty
    }

    // Rows rebuilt from what each copy deleted, under the positive
    // raw_contact_id; only what the database does not hold any more is filed.
    add_deleted_rows(rebuilt, work);
    post_load_step(window, 3);
    add_deleted_rows(rebuilt, backup);
    post_load_step(window, 4);
    file_rebuilt_contacts(rebuilt, contacts_out);
}

}  // namespace quen::records
