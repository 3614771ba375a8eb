#include "records/model/mimetype_tables.h"

namespace quen::records {

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
    const auto found = table.find(mimetype);
    return found == table.end() ? field_kind::kOther : found->second;
}

MimetypeIdTable& mimetype_id_table() {
    static MimetypeIdTable table;
    return table;
}

std::string mimetype_text_for_id(int32_t id) {
    const auto& table = mimetype_id_table();
    const auto found = table.find(id);
    return found == table.end() ? std::string() : found->second;
}

FieldKind kind_for_mimetype_id(int32_t id) {
    const auto& table = mimetype_id_table();
    const auto found = table.find(id);
    return found == table.end() ? field_kind::kOther : kind_for_mimetype(found->second);
}

}  // namespace quen::records
