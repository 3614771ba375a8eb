#pragma once
// A database as the recovery sees it: the main file, its write-ahead log and
// its rollback journal, mapped read-only. It gives the current version of
// each page (the main file, with a hot journal rolled back and the log's
// committed frames on top, as SQLite would read it) and every older page
// image the files still hold: main-file pages the log or the journal
// replaces, log frames that are not current, journal pages.
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "records/sqlite/db_header.h"
#include "records/sqlite/mapped_file.h"
#include "records/sqlite/rollback_journal.h"
#include "records/sqlite/wal_log.h"

namespace quen::records::recovery {

struct RecoveryFiles {
    std::string database;
    std::string wal;      // empty: none
    std::string journal;  // empty: none
};

enum class ImageOrigin : uint8_t { MainFile, Wal, Journal };

// One version of one page.
struct PageImage {
    uint32_t page = 0;
    std::span<const uint8_t> bytes;  // the page; shorter only at the end of a cut file
    ImageOrigin origin = ImageOrigin::MainFile;
    uint32_t frame = 0;  // log frame (Wal) or journal record (Journal), 1-based
};

class DatabaseView {
public:
    // Maps the files. False, with `error` set, when the database file cannot
    // be read; a log or journal that cannot be read is left out and named in
    // `notes`. A main file without a valid header is still read, with the
    // page size the log or journal gives (else 4096).
    bool open(const RecoveryFiles& files, std::string& error);

    const sqlite::DbHeader& header() const { return header_; }
    // Whether the main file's own header was valid.
    bool header_found() const { return header_found_; }
    uint32_t page_size() const { return header_.page_size; }
    uint32_t usable_size() const { return header_.usable_size; }
    // Pages of the database in its current state.
    uint32_t page_count() const { return page_count_; }
    const std::vector<std::string>& notes() const { return notes_; }
    uint64_t bytes_in_files() const;

    // The current version of page `number`; empty when there is none.
    std::span<const uint8_t> page(uint32_t number) const;
    PageImage current_image(uint32_t number) const;

    // Every older page image, in file order (main file, log, journal);
    // images equal to the current version of their page, or to an image
    // already listed for the same page, are left out.
    std::vector<PageImage> older_images() const;

    // Page `number` as it stood when `image` was written: for a log frame the
    // newest frame of that page up to it in the same log, for a journal
    // image the journal's own copy, else the main file's page.
    std::span<const uint8_t> page_as_of(uint32_t number, const PageImage& image) const;

private:
    std::span<const uint8_t> main_page(uint32_t number) const;

    sqlite::MappedFile main_, wal_file_, journal_file_;
    sqlite::DbHeader header_;
    bool header_found_ = false;
    uint32_t page_count_ = 0;
    uint32_t main_pages_ = 0;
    sqlite::WalLog wal_;
    sqlite::RollbackJournal journal_;
    // Current version of each page replaced by the log or a hot journal.
    std::map<uint32_t, PageImage> replaced_;
    // Log frames of each page (indexes into wal_.frames), in log order.
    std::map<uint32_t, std::vector<size_t>> frames_of_page_;
    std::map<uint32_t, size_t> journal_page_;  // first journal record of each page
    std::vector<std::string> notes_;
};

}  // namespace quen::records::recovery
