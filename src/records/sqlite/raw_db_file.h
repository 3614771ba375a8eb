#pragma once
// Raw, read-only access to an SQLite database file, page by page (page
// geometry and the header field read here: sqlite_format.h).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/unique_fd.h"

namespace quen::records::sqlite {

// The page size of the database at `path`, read from the header through its
// own open, read and close. 0 when the file cannot be read or the field is not
// a page size this reader supports (a power of two from 512 to 32768; the
// 65536-byte pages that the value 1 stands for are not supported).
uint32_t read_page_size(const std::string& path);

// The database file opened read-only as raw bytes; closed when destroyed.
class RawDbFile {
public:
    // Opens `path` read-only; false when it cannot or is not a regular file.
    // `page_size` must be > 0.
    bool open(const std::string& path, uint32_t page_size);
    bool is_open() const { return fd_.valid(); }

    uint32_t page_size() const { return page_size_; }
    // Pages that start inside the file (the last one may be short).
    uint32_t page_count() const { return page_count_; }

    // Reads page `number` into `buffer` (resized to what was read, at most one
    // page). False for page 0, a page beyond the file's end or a read error.
    // Pages are read through a window of consecutive pages, so that walking a
    // table's pages in (mostly) ascending order costs few system calls.
    bool read_page(uint32_t number, std::vector<uint8_t>& buffer) const;

private:
    platform::UniqueFd fd_;
    uint32_t page_size_ = 0;
    uint32_t page_count_ = 0;
    // The window: `window_pages_` pages from `window_first_` (0: empty), of
    // which `window_bytes_` bytes were read.
    mutable std::vector<uint8_t> window_;
    mutable uint32_t window_first_ = 0;
    mutable size_t window_bytes_ = 0;
    uint32_t window_pages_ = 1;
};

}  // namespace quen::records::sqlite
