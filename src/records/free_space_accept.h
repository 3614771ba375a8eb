#pragma once
// Filing rebuilt rows into the record maps as deleted records.
#include "records/free_space_carver.h"
#include "records/record_model.h"

namespace quen::records {

// The deleted contact under the positive raw_contact_id gets the data1 text in
// the field of the row's kind (through the mimetype id table and the
// mimetype-to-kind table; kind 0 when either lookup fails). A raw_contact_id
// that does not read as a positive number is dropped: it could not be filed
// apart from the contacts read from the live rows, which use keys <= 0.
void accept_contact(const ContactCandidate& candidate, ContactMap& contacts);

// A deleted message (date as local time text through sms_date_text) added to
// the thread (address, thread_id), created deleted when new; a byte-equal
// message already in the thread makes this one a duplicate.
void accept_message(const MessageCandidate& candidate, ThreadMap& threads);

}  // namespace quen::records
