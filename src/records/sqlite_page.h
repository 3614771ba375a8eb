#pragma once
// Raw, read-only access to an SQLite database file, page by page.
//
// SQLite file format: the file is a sequence of pages of one size. Page n
// (numbered from 1) starts at byte (n - 1) * page size. The first 100 bytes of
// page 1 are the database header; its big-endian 16-bit field at offset 16 is
// the page size, a power of two from 512 to 32768 (the value 1 stands for
// 65536). All multi-byte numbers in the file are big-endian, and offsets inside
// a page are counted from the page's first byte.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace quen::records::sqlite_file {

// Big-endian numbers at `off` of `bytes`; false (and `out` untouched) when the
// field does not lie wholly inside `bytes`.
bool read_be16(std::span<const uint8_t> bytes, size_t off, uint32_t& out);
bool read_be32(std::span<const uint8_t> bytes, size_t off, uint32_t& out);

// The page size of the database at `path`, read from the header through its
// own open, read and close. 0 when the file cannot be read or the field is not
// a page size this scanner supports (a power of two from 512 to 32768; the
// 65536-byte pages that the value 1 stands for are not supported).
uint32_t read_page_size(const std::string& path);

// The database file opened read-only as raw bytes; closed when destroyed.
class RawDbFile {
public:
    RawDbFile() = default;
    ~RawDbFile();
    RawDbFile(const RawDbFile&) = delete;
    RawDbFile& operator=(const RawDbFile&) = delete;

    // Opens `path` read-only; false when it cannot. `page_size` must be > 0.
    bool open(const std::string& path, uint32_t page_size);
    bool is_open() const { return fd_ >= 0; }

    uint32_t page_size() const { return page_size_; }
    // Pages that start inside the file (the last one may be short).
    uint32_t page_count() const { return page_count_; }

    // Reads page `number` into `buffer` (resized to what was read, at most one
    // page). False for page 0, a page beyond the file's end or a read error.
    // Pages are read through a window of consecutive pages, so that walking a
    // table's pages in (mostly) ascending order costs few system calls.
    bool read_page(uint32_t number, std::vector<uint8_t>& buffer) const;

private:
    int fd_ = -1;
    uint32_t page_size_ = 0;
    uint32_t page_count_ = 0;
    // The window: `window_pages_` pages from `window_first_` (0: empty), of
    // which `window_bytes_` bytes were read.
    mutable std::vector<uint8_t> window_;
    mutable uint32_t window_first_ = 0;
    mutable size_t window_bytes_ = 0;
    uint32_t window_pages_ = 1;
};

}  // namespace quen::records::sqlite_file
