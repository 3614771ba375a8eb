#include "records/sqlite/raw_db_file.h"

#include <sys/stat.h>

#include <algorithm>

#include "platform/read_full.h"
#include "records/sqlite/sqlite_format.h"

namespace quen::records::sqlite {

namespace {

constexpr uint32_t kWindowBytes = 64 * 1024;
// 65536-byte pages (field value 1) are left out: every page offset here is
// 16 bits, as SQLite's own are for all other sizes.
constexpr uint32_t kLargestSupportedPageSize = 32768;

}  // namespace

uint32_t read_page_size(const std::string& path) {
    const platform::UniqueFd fd = platform::open_read_only(path);
    if (!fd.valid()) return 0;
    uint8_t field[2] = {0, 0};
    const size_t got = platform::read_full(fd.get(), field, sizeof field, kPageSizeOffset).bytes;
    // A file shorter than the field has no header to trust.
    if (got != sizeof field) return 0;
    uint32_t size = 0;
    read_be16(field, 0, size);
    // 0 and 1 (65536) and anything that is not a power of two from 512 up
    // cannot be trusted to lay out pages.
    if (size < kSmallestPageSize || size > kLargestSupportedPageSize || (size & (size - 1)) != 0) return 0;
    return size;
}

bool RawDbFile::open(const std::string& path, uint32_t page_size) {
    if (page_size == 0 || fd_.valid()) return false;
    platform::UniqueFd fd = platform::open_read_only(path);
    if (!fd.valid()) return false;
    struct stat status {};
    // Only regular files have a size to lay pages out over.
    if (::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode)) return false;
    const uint64_t size = static_cast<uint64_t>(status.st_size);
    const uint64_t pages = (size + page_size - 1) / page_size;
    fd_ = std::move(fd);
    page_size_ = page_size;
    window_pages_ = std::max<uint32_t>(1, kWindowBytes / page_size);
    // Page numbers are 32-bit in the file format.
    page_count_ = pages > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(pages);
    return true;
}

bool RawDbFile::read_page(uint32_t number, std::vector<uint8_t>& buffer) const {
    // Page numbers start at 1; none lies past the file's end.
    if (!fd_.valid() || number == 0 || number > page_count_) return false;
    if (window_first_ == 0 || number < window_first_ || number - window_first_ >= window_pages_) {
        window_.resize(size_t{window_pages_} * page_size_);
        window_first_ = number;
        window_bytes_ = platform::read_full(fd_.get(), window_.data(), window_.size(),
                                            uint64_t{number - 1} * page_size_)
                            .bytes;
    }
    const size_t start = size_t{number - window_first_} * page_size_;
    if (start >= window_bytes_) {
        window_first_ = 0;  // the file shrank under us: read afresh next time
        buffer.clear();
        return false;
    }
    // The last page of a file may be short: hand over only what was read.
    const size_t got = std::min<size_t>(page_size_, window_bytes_ - start);
    buffer.assign(window_.begin() + static_cast<long>(start), window_.begin() + static_cast<long>(start + got));
    return true;
}

}  // namespace quen::records::sqlite
