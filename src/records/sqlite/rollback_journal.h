#pragma once
// The rollback journal of a database (layout in sqlite_format.h): the page
// images it holds from before a transaction, and whether the transaction
// never committed (a hot journal, whose images are the committed state).
#include <cstdint>
#include <span>
#include <vector>

namespace quen::records::sqlite {

struct JournalPage {
    uint32_t page = 0;       // database page the image was taken of
    size_t data_offset = 0;  // where the image starts in the journal
    uint32_t record = 0;     // 1-based position among the journal's records
};

struct RollbackJournal {
    // The header still carries its magic: the transaction was under way when
    // the files were copied, and the database file may hold its uncommitted
    // pages. Rolling back writes the first image of each page.
    bool hot = false;
    uint32_t pages_before = 0;  // database pages before the transaction (hot journals)
    std::vector<JournalPage> pages;
};

// Reads the page records of `journal` for a database of `page_size` bytes per
// page and `page_limit` pages at most. A header with its magic gives the
// sector size and record counts; a zeroed header (PERSIST after a commit) or
// a damaged one is read by trying each sector size and keeping records whose
// page numbers are plausible and whose checksums share one nonce. Bounded by
// the size of the journal.
RollbackJournal read_rollback_journal(std::span<const uint8_t> journal, uint32_t page_size, uint32_t page_limit);

}  // namespace quen::records::sqlite
