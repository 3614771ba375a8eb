#include "records/free_space/android_rows.h"

#include <algorithm>

#include "records/sqlite/sqlite_format.h"

namespace quen::records {

namespace {

// Narrows a column's range to what one more rule allows; rules on the same
// column all have to hold.
void require(SerialTypeRange& range, uint64_t min, uint64_t max = UINT32_MAX) {
    range.min = std::max(range.min, min);
    range.max = std::min(range.max, max);
}

// The order in which the values of a data row and of an sms row are handed over.
enum DataValue { kMimetypeId, kRawContactId, kData1 };
enum SmsValue { kAddress, kBody, kDate, kThreadId, kType };

uint32_t column(int32_t index) { return static_cast<uint32_t>(index); }

}  // namespace

std::optional<RowPattern> data_row_pattern(const FreeSpaceLayout& layout) {
    if (!layout_is_usable(layout) || layout.mode != FreeSpaceMode::Contacts) return std::nullopt;
    const uint32_t raw_contact_id = column(layout.raw_contact_id);
    const uint32_t mimetype_id = raw_contact_id - 1;
    const uint32_t data1 = column(layout.data1);

    RowPattern pattern;
    pattern.first_column = 0;
    pattern.serial_types.resize(layout.column_count);
    for (uint32_t index = 0; index < layout.column_count; ++index) {
        SerialTypeRange& range = pattern.serial_types[index];
        if (index < data1) require(range, sqlite::kSerialTypeNull, sqlite::kLastFixedSerialType);
        if (index == mimetype_id) require(range, sqlite::kSerialTypeInt8, sqlite::kSerialTypeInt8);
        if (index == raw_contact_id) require(range, sqlite::kSerialTypeNull + 1);
        if (index == data1) require(range, sqlite::kFirstNonEmptyBlobOrText);
    }
    pattern.wanted = {{mimetype_id, ValueKind::Number}, {raw_contact_id, ValueKind::Number}, {data1, ValueKind::Text}};
    if (!finish_row_pattern(pattern)) return std::nullopt;
    return pattern;
}

std::optional<RowPattern> sms_row_pattern(const FreeSpaceLayout& layout) {
    if (!layout_is_usable(layout) || layout.mode != FreeSpaceMode::Messages) return std::nullopt;
    constexpr uint32_t kFirstReadColumn = 1;
    const uint32_t address = column(layout.address), body = column(layout.body), date = column(layout.date);

    RowPattern pattern;
    pattern.first_column = kFirstReadColumn;
    pattern.max_serial_type_bytes = 4;
    pattern.min_region_bytes = size_t{layout.column_count} + 1;
    pattern.serial_types.resize(layout.column_count);
    for (uint32_t index = kFirstReadColumn; index < layout.column_count; ++index) {
        SerialTypeRange& range = pattern.serial_types[index];
        if (index == kFirstReadColumn) require(range, sqlite::kSerialTypeNull + 1, sqlite::kLastFixedSerialType);
        if (index == address || index == body) require(range, sqlite::kFirstNonEmptyBlobOrText);
        if (index == date) require(range, sqlite::kSerialTypeNull + 1);
    }
    pattern.wanted = {{address, ValueKind::Text},
                      {body, ValueKind::Text},
                      {date, ValueKind::Number},
                      {column(layout.thread_id), ValueKind::Number},
                      {column(layout.type), ValueKind::Number}};
    if (!finish_row_pattern(pattern)) return std::nullopt;
    return pattern;
}

void carve_contacts(std::span<const uint8_t> region, const RowPattern& data_row, const ContactCandidateSink& sink) {
    carve_rows(region, data_row, [&](std::span<const CarvedValue> values) {
        if (values.size() == kData1 + 1)  // else not a data row's pattern
            sink({values[kMimetypeId].number, values[kRawContactId].number, values[kData1].text});
    });
}

void carve_messages(std::span<const uint8_t> region, const RowPattern& sms_row, const MessageCandidateSink& sink) {
    carve_rows(region, sms_row, [&](std::span<const CarvedValue> values) {
        if (values.size() == kType + 1)  // else not an sms row's pattern
            sink({values[kAddress].text, values[kBody].text, values[kDate].number, values[kThreadId].number,
                  values[kType].number});
    });
}

}  // namespace quen::records
