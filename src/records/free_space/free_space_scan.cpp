#include "records/free_space/free_space_scan.h"

#include <span>
#include <string_view>

#include "records/free_space/android_rows.h"
#include "records/free_space/free_regions.h"
#include "records/model/mimetype_tables.h"

namespace quen::records {

namespace {

std::string_view as_text(std::span<const uint8_t> bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// The deleted contact under the positive raw_contact_id gets the data1 text in
// the field of the row's kind (through the mimetype id table and the
// mimetype-to-kind table; kind 0 when either lookup fails). A raw_contact_id
// that does not read as a positive number is dropped: it could not be filed
// apart from the contacts read from the live rows, which use keys <= 0.
void file_contact(const ContactCandidate& candidate, ContactMap& contacts) {
    const int64_t key = static_cast<int64_t>(candidate.raw_contact_id);
    if (key <= 0) return;
    ContactRecord& record = find_or_create_contact(contacts, key, true);
    const FieldKind kind = kind_for_mimetype_id(static_cast<int32_t>(candidate.mimetype_id));
    add_contact_value(record, as_text(candidate.data1), kind);
}

// A deleted message (date as local time text through sms_date_text) added to
// the thread (address, thread_id), created deleted when new; a byte-equal
// message already in the thread makes this one a duplicate.
void file_message(const MessageCandidate& candidate, ThreadMap& threads) {
    MessageRecord message;
    message.type = static_cast<int32_t>(candidate.type);
    message.thread_id = static_cast<int64_t>(candidate.thread_id);
    message.deleted = true;
    // The unsigned number read back as signed milliseconds.
    message.date_millis = static_cast<int64_t>(candidate.date);
    message.date_text = sms_date_text(message.date_millis);
    message.address = std::string(as_text(candidate.address));
    message.body = std::string(as_text(candidate.body));
    ThreadRecord& thread = find_or_create_thread(threads, message.address, message.thread_id, true);
    add_message(thread, std::move(message));
}

// The probe, then every free region through `carve_region` with the row
// pattern that `pattern_for` makes of the probed layout.
template <typename CarveRegion>
void scan_table(FreeSpaceMode mode, const std::string& path,
                std::optional<RowPattern> (*pattern_for)(const FreeSpaceLayout&), CarveRegion&& carve_region) {
    const std::optional<FreeSpaceLayout> layout = probe_table(mode, path);
    if (!layout) return;
    const std::optional<RowPattern> row = pattern_for(*layout);
    if (!row) return;
    for_each_free_region(path, *layout, [&](std::span<const uint8_t> region) { carve_region(region, *row); });
}

}  // namespace

void scan_free_space(FreeSpaceMode mode, const std::string& path, ContactMap& contacts) {
    if (mode != FreeSpaceMode::Contacts) return;
    scan_table(mode, path, data_row_pattern, [&](std::span<const uint8_t> region, const RowPattern& data_row) {
        carve_contacts(region, data_row, [&](const ContactCandidate& candidate) { file_contact(candidate, contacts); });
    });
}

void scan_free_space(FreeSpaceMode mode, const std::string& path, ThreadMap& threads) {
    if (mode != FreeSpaceMode::Messages) return;
    scan_table(mode, path, sms_row_pattern, [&](std::span<const uint8_t> region, const RowPattern& sms_row) {
        carve_messages(region, sms_row, [&](const MessageCandidate& candidate) { file_message(candidate, threads); });
    });
}

}  // namespace quen::records
