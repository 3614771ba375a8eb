#pragma once
// Which field of a contact record a data value goes into. Android files every
// piece of contact data (a number, an address, a name) as one row of the same
// `data` table and tells them apart by mimetype; the kind is that mimetype
// reduced to the field the views and the report show it in.
#include <cstdint>

namespace quen::records {

// A small integer rather than an enum: the mimetype tables hand it around as
// data, and every number that is not one of these still has a meaning (others).
using FieldKind = int32_t;

namespace field_kind {
constexpr FieldKind kOther = 0;
constexpr FieldKind kEmail = 1;
constexpr FieldKind kIm = 2;
constexpr FieldKind kNickname = 3;
constexpr FieldKind kOrganization = 4;
constexpr FieldKind kPhone = 5;
constexpr FieldKind kSipAddress = 6;
constexpr FieldKind kName = 7;
constexpr FieldKind kPostalAddress = 8;
constexpr FieldKind kGroupMembership = 9;
constexpr FieldKind kWebsite = 10;
constexpr FieldKind kNote = 11;
constexpr FieldKind kContactEvent = 12;
constexpr FieldKind kIdentity = 13;
constexpr FieldKind kPhoto = 14;
constexpr FieldKind kRelation = 15;
}  // namespace field_kind

}  // namespace quen::records
