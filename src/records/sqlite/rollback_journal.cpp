#include "records/sqlite/rollback_journal.h"

#include <algorithm>
#include <set>
#include <cstring>

#include "records/sqlite/sqlite_format.h"

namespace quen::records::sqlite {

namespace {

bool has_magic(std::span<const uint8_t> bytes, size_t at) {
    return at <= bytes.size() && bytes.size() - at >= sizeof kJournalMagic &&
           std::memcmp(bytes.data() + at, kJournalMagic, sizeof kJournalMagic) == 0;
}

// The record's checksum less the page bytes it sums: the segment's nonce.
uint32_t nonce_of(std::span<const uint8_t> journal, size_t record_at, uint32_t page_size) {
    const size_t data = record_at + 4;
    uint32_t sum = 0;
    for (uint32_t at = page_size - kJournalChecksumStride; at > 0 && at < page_size; at -= kJournalChecksumStride)
        sum += journal[data + at];
    return be32_or_zero(journal, data + page_size) - sum;
}

constexpr uint32_t kSectorSizes[] = {512, 1024, 2048, 4096, 8192, 16384, 32768, 65536};

struct Reader {
    std::span<const uint8_t> journal;
    uint32_t page_size;
    uint32_t page_limit;
    RollbackJournal out;

    size_t record_bytes() const { return size_t{page_size} + 8; }
    bool record_fits(size_t at) const { return at <= journal.size() && journal.size() - at >= record_bytes(); }
    bool plausible_page(uint32_t page) const { return page != 0 && page <= page_limit; }

    void add(size_t at) {
        JournalPage page;
        page.page = be32_or_zero(journal, at);
        page.data_offset = at + 4;
        page.record = static_cast<uint32_t>(out.pages.size()) + 1;
        out.pages.push_back(page);
    }

    // Records from `at` while they look like one segment's: plausible page
    // numbers and one nonce. Returns where they end; the records in `run`.
    size_t take_run(size_t at, std::vector<size_t>& run) const {
        run.clear();
        if (!record_fits(at) || !plausible_page(be32_or_zero(journal, at))) return at;
        const uint32_t nonce = nonce_of(journal, at, page_size);
        while (record_fits(at) && plausible_page(be32_or_zero(journal, at)) && nonce_of(journal, at, page_size) == nonce) {
            run.push_back(at);
            at += record_bytes();
        }
        return at;
    }

    // Headers with their magic: each gives its sector size and count.
    void read_with_headers() {
        out.hot = true;
        out.pages_before = be32_or_zero(journal, 16);
        size_t header_at = 0;
        while (has_magic(journal, header_at) && journal.size() - header_at >= kJournalHeaderFields) {
            const uint32_t count = be32_or_zero(journal, header_at + 8);
            uint32_t sector = be32_or_zero(journal, header_at + 20);
            if (sector < 32 || sector > 65536 || (sector & (sector - 1)) != 0) sector = 512;
            size_t at = header_at + std::max<size_t>(sector, kJournalHeaderFields);
            const bool to_the_end = count == 0 || count == 0xFFFFFFFF;
            for (uint32_t taken = 0; (to_the_end || taken < count) && record_fits(at); ++taken) {
                if (!plausible_page(be32_or_zero(journal, at))) break;
                add(at);
                at += record_bytes();
            }
            // The next segment's header starts on a sector boundary.
            const size_t next = (at + sector - 1) / sector * sector;
            if (next <= header_at || to_the_end) break;
            header_at = next;
        }
    }

    // No magic: the sector size is the one whose first run is longest. A run
    // of one record proves nothing by its nonce, so it is only taken where a
    // segment's records start (on a sector boundary, after a header); where a
    // run ends, records of an earlier, longer transaction may go on, under
    // another nonce, when two of them agree.
    void read_without_header() {
        std::vector<size_t> run;
        uint32_t sector = 0;
        size_t longest = 0;
        for (uint32_t size : kSectorSizes) {
            take_run(size, run);
            if (run.size() > longest) longest = run.size(), sector = size;
        }
        if (sector == 0) return;
        std::set<size_t> positions;
        for (size_t at = sector; at < journal.size(); at += sector) positions.insert(at);
        size_t covered_until = 0;
        while (!positions.empty()) {
            const size_t at = *positions.begin();
            positions.erase(positions.begin());
            if (at < covered_until) continue;
            const size_t end = take_run(at, run);
            if (run.size() >= 2 || (run.size() == 1 && at % sector == 0)) {
                for (size_t record : run) add(record);
                covered_until = end;
                positions.insert(end);
            }
        }
    }
};

}  // namespace

RollbackJournal read_rollback_journal(std::span<const uint8_t> journal, uint32_t page_size, uint32_t page_limit) {
    Reader reader{journal, page_size, page_limit, {}};
    if (page_size < kSmallestPageSize || journal.size() < kJournalHeaderFields) return reader.out;
    if (has_magic(journal, 0) && be32_or_zero(journal, 24) == page_size)
        reader.read_with_headers();
    else
        reader.read_without_header();
    return std::move(reader.out);
}

}  // namespace quen::records::sqlite
