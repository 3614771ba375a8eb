#include "records/free_space_carver.h"

#include "records/free_space_text_check.h"
#include "records/sqlite_record.h"

namespace quen::records {

namespace {

constexpr uint64_t kMax32 = 0xFFFFFFFFu;

// A column located by the header parse: its serial type and its offset from
// the start of the record's data.
struct Field {
    uint64_t type = 0;
    uint64_t offset = 0;
};

// Whether a field of the record whose data starts at `data_start` begins
// inside the region.
bool starts_inside(uint64_t data_start, const Field& f, size_t len) {
    return data_start + f.offset < len;
}

// The field's bytes as text, when they lie inside the region and pass the
// text check.
bool text_field(std::span<const uint8_t> region, uint64_t data_start, const Field& f,
                std::span<const uint8_t>& out) {
    uint64_t pos = data_start + f.offset;
    uint64_t length = sqlite_record::serial_type_length(f.type);
    if (pos > region.size() || region.size() - pos < length) return false;
    out = region.subspan(static_cast<size_t>(pos), static_cast<size_t>(length));
    return passes_text_check(out);
}

bool int_field(std::span<const uint8_t> region, uint64_t data_start, const Field& f, uint64_t& out) {
    return sqlite_record::read_unsigned_field(region, data_start + f.offset, f.type, out);
}

}  // namespace

void carve_contacts(std::span<const uint8_t> region, const FreeSpaceLayout& layout,
                    const ContactCandidateSink& sink) {
    if (!layout_is_usable(layout) || layout.mode != FreeSpaceMode::Contacts) return;
    const size_t len = region.size();
    const uint32_t columns = layout.column_count;
    const uint32_t raw_col = static_cast<uint32_t>(layout.raw_contact_id);
    const uint32_t mime_col = raw_col - 1;
    const uint32_t data1_col = static_cast<uint32_t>(layout.data1);

    for (size_t k = 0; k < len; ++k) {
        Field mime, raw, data1;
        size_t pos = k;
        uint64_t offset = 0;
        bool complete = true;
        for (uint32_t c = 0; c < columns; ++c) {
            if (pos >= len) { complete = false; break; }
            uint64_t n = 0;
            pos += sqlite_record::read_varint(region, pos, n);
            if (n > kMax32) n = kMax32;
            if ((c < data1_col && n > 11) || (c == mime_col && n != 1) || (c == raw_col && n == 0) ||
                (c == data1_col && n < 14)) {
                complete = false;
                break;
            }
            if (c == mime_col) mime = {n, offset};
            if (c == raw_col) raw = {n, offset};
            if (c == data1_col) data1 = {n, offset};
            offset += sqlite_record::serial_type_length(n);
        }
        if (!complete) continue;

        const uint64_t data_start = pos;
        if (!starts_inside(data_start, mime, len) || !starts_inside(data_start, raw, len) ||
            !starts_inside(data_start, data1, len))
            continue;

        ContactCandidate c;
        if (!int_field(region, data_start, mime, c.mimetype_id)) continue;
        if (!int_field(region, data_start, raw, c.raw_contact_id)) continue;
        if (!text_field(region, data_start, data1, c.data1)) continue;
        sink(c);
    }
}

void carve_messages(std::span<const uint8_t> region, const FreeSpaceLayout& layout,
                    const MessageCandidateSink& sink) {
    if (!layout_is_usable(layout) || layout.mode != FreeSpaceMode::Messages) return;
    const size_t len = region.size();
    const uint32_t columns = layout.column_count;
    if (len <= columns) return;
    const uint32_t address_col = static_cast<uint32_t>(layout.address);
    const uint32_t body_col = static_cast<uint32_t>(layout.body);
    const uint32_t date_col = static_cast<uint32_t>(layout.date);
    const uint32_t thread_col = static_cast<uint32_t>(layout.thread_id);
    const uint32_t type_col = static_cast<uint32_t>(layout.type);

    for (size_t k = 0; k < len; ++k) {
        Field address, body, date, thread, type;
        size_t pos = k;
        uint64_t offset = 0;
        bool complete = true;
        for (uint32_t c = 1; c < columns; ++c) {
            if (pos >= len) { complete = false; break; }
            uint64_t n = 0;
            unsigned width = sqlite_record::read_varint(region, pos, n);
            pos += width;
            if (width > 4) { complete = false; break; }
            if (n > kMax32) n = kMax32;
            if ((c == 1 && (n == 0 || n > 11)) || (c == address_col && n < 14) || (c == body_col && n < 14) ||
                (c == date_col && n == 0)) {
                complete = false;
                break;
            }
            if (c == address_col) address = {n, offset};
            if (c == body_col) body = {n, offset};
            if (c == date_col) date = {n, offset};
            if (c == thread_col) thread = {n, offset};
            if (c == type_col) type = {n, offset};
            offset += sqlite_record::serial_type_length(n);
        }
        if (!complete) continue;

        const uint64_t data_start = pos;
        if (!starts_inside(data_start, address, len) || !starts_inside(data_start, body, len) ||
            !starts_inside(data_start, date, len) || !starts_inside(data_start, thread, len) ||
            !starts_inside(data_start, type, len))
            continue;

        MessageCandidate m;
        if (!text_field(region, data_start, address, m.address)) continue;
        if (!text_field(region, data_start, body, m.body)) continue;
        if (!int_field(region, data_start, date, m.date)) continue;
        if (!int_field(region, data_start, thread, m.thread_id)) continue;
        if (!int_field(region, data_start, type, m.type)) continue;
        sink(m);
    }
}

}  // namespace quen::records
