// SQLite database: the 100-byte header "SQLite format 3\0", page size BE u16
// at 16 (1 means 65536), file change counter BE u32 at 24, size in pages BE
// u32 at 28, and the change counter again at 92 ("version valid for"). When
// the two counters agree the page count is valid (SQLite 3.7.0 and later
// keep it so), and the file is page size times page count bytes. The first
// page holds the schema table's B-tree page (type 0x0D leaf or 0x05 interior)
// after the header. Only the header and the last byte are read.
#include "cdr/formats/format_util.h"

namespace quen::cdr::fmt {

namespace {

ExtractResult extract_sqlite(const ExtractInput& in) {
    const FarView far(in);
    const std::span<const uint8_t> head = far.bytes(0, 101);
    if (head.empty()) return skip(in);
    const ByteView v(head.data(), head.size());
    const uint32_t raw_page = *v.be16(16);
    const uint64_t page = raw_page == 1 ? 65536 : raw_page;
    if (page < 512 || page > 65536 || (page & (page - 1)) != 0) return skip(in);
    if (v.data()[21] != 64 || v.data()[22] != 32 || v.data()[23] != 32) return skip(in);  // fixed payload fractions
    const uint32_t counter = *v.be32(24), pages = *v.be32(28), valid_for = *v.be32(92);
    if (pages == 0 || counter != valid_for) return skip(in);  // no size to trust
    const uint8_t schema = v.data()[100];
    if (schema != 0x0D && schema != 0x05) return skip(in);
    const uint64_t size = page * pages;
    if (size > in.spec->max_length) return skip(in);
    if (!far.reaches(0, size)) return skip(in);  // cut by the disk's end
    record_at(in, 0, size);
    return size;
}

}  // namespace

FormatDefinition sqlite_format() {
    FormatRow row{"db", FormatType::Sqlite, bytes_of(std::string_view("SQLite format 3\0", 16)), {},
                  16 * platform::kGiB, {}, true, extract_sqlite};
    row.fetches = true;
    return {row, {{"sqlite", row}, {"db", row}}};
}

}  // namespace quen::cdr::fmt
