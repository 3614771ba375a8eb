#include "records/recovery/live_rows.h"

#include "records/recovery/page_map.h"
#include "records/sqlite/record_values.h"
#include "records/sqlite/sqlite_format.h"

namespace quen::records::recovery {

std::vector<std::optional<sqlite::Value>> row_values(const Table& table, const std::vector<uint64_t>& types,
                                                      const Payload& payload, uint32_t header_size,
                                                      std::optional<int64_t> rowid, sqlite::TextEncoding encoding) {
    std::vector<std::optional<sqlite::Value>> values(table.columns.size());
    uint64_t at = header_size;
    for (size_t position = 0; position < table.stored.size(); ++position) {
        const auto column = static_cast<size_t>(table.stored[position]);
        if (position >= types.size()) {
            values[column] = table.columns[column].default_value;
            continue;
        }
        const uint64_t length = sqlite::serial_type_length(types[position]);
        if (at + length <= payload.bytes.size())
            values[column] = sqlite::decode_value(
                types[position], payload.bytes.subspan(static_cast<size_t>(at), static_cast<size_t>(length)), encoding);
        at += length;
    }
    if (table.rowid_alias >= 0 && rowid) values[static_cast<size_t>(table.rowid_alias)] = sqlite::Value::of_integer(*rowid);
    return values;
}

void read_live_rows(const DatabaseView& view, const Schema& schema, int table_index, std::vector<uint8_t>& seen,
                    std::vector<RecoveredRecord>& out) {
    const Table& table = schema.tables[static_cast<size_t>(table_index)];
    const uint32_t usable = view.usable_size();
    const OverflowPages pages = [&](uint32_t number) { return view.page(number); };
    const size_t most_types = table.stored.size();
    walk_tree(view, table.root_page, seen, [&](uint32_t number, std::span<const uint8_t> bytes,
                                               const sqlite::BtreePageHeader& header) {
        // A rowid table's rows are in its leaves; a WITHOUT ROWID table's in
        // every page of its index tree.
        if (table.without_rowid ? header.table() : header.type != 13) return;
        const PageImage image = view.current_image(number);
        for (uint32_t offset : sqlite::cell_offsets(bytes, header, usable)) {
            sqlite::Cell cell;
            if (!sqlite::read_cell(bytes, offset, header.type, usable, cell)) continue;
            const Payload payload = gather_payload(bytes.subspan(cell.payload_at, cell.local_size), cell.payload_size,
                                                   cell.overflow_page, usable, pages);
            RecordHeader record;
            // A damaged cell whose header does not add up is no row.
            if (!read_record_header(payload.bytes, cell.payload_size, most_types, record)) continue;
            RecoveredRecord row;
            row.table = table_index;
            if (!table.without_rowid) row.rowid = cell.rowid;
            row.source = RecordSource::Btree;
            row.page = number;
            row.offset = offset;
            if (image.origin == ImageOrigin::Wal) row.frame = image.frame;
            row.values = row_values(table, record.types, payload, record.header_size, row.rowid, view.header().encoding);
            for (const auto& value : row.values) row.partial = row.partial || !value;
            out.push_back(std::move(row));
        }
    });
}

}  // namespace quen::records::recovery
