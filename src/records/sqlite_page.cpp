#include "records/sqlite_page.h"

#include "platform/read_full.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace quen::records::sqlite_file {

namespace {

constexpr uint32_t kWindowBytes = 64 * 1024;

size_t read_fully(int fd, uint8_t* dst, size_t n, uint64_t off) {
    return platform::read_full(fd, dst, n, off).bytes;
}

}  // namespace

bool read_be16(std::span<const uint8_t> bytes, size_t off, uint32_t& out) {
    if (off > bytes.size() || bytes.size() - off < 2) return false;
    out = (uint32_t{bytes[off]} << 8) | bytes[off + 1];
    return true;
}

bool read_be32(std::span<const uint8_t> bytes, size_t off, uint32_t& out) {
    if (off > bytes.size() || bytes.size() - off < 4) return false;
    out = (uint32_t{bytes[off]} << 24) | (uint32_t{bytes[off + 1]} << 16) |
          (uint32_t{bytes[off + 2]} << 8) | bytes[off + 3];
    return true;
}

uint32_t read_page_size(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return 0;
    uint8_t field[2] = {0, 0};
    size_t got = read_fully(fd, field, sizeof field, 16);
    ::close(fd);
    if (got != sizeof field) return 0;
    uint32_t size = (uint32_t{field[0]} << 8) | field[1];
    // 0 and 1 (65536) and anything that is not a power of two from 512 up
    // cannot be trusted to lay out pages.
    if (size < 512 || size > 32768 || (size & (size - 1)) != 0) return 0;
    return size;
}

RawDbFile::~RawDbFile() {
    if (fd_ >= 0) ::close(fd_);
}

bool RawDbFile::open(const std::string& path, uint32_t page_size) {
    if (page_size == 0 || fd_ >= 0) return false;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    uint64_t size = static_cast<uint64_t>(st.st_size);
    uint64_t pages = (size + page_size - 1) / page_size;
    fd_ = fd;
    page_size_ = page_size;
    window_pages_ = std::max<uint32_t>(1, kWindowBytes / page_size);
    // Page numbers are 32-bit in the file format.
    page_count_ = pages > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(pages);
    return true;
}

bool RawDbFile::read_page(uint32_t number, std::vector<uint8_t>& buffer) const {
    if (fd_ < 0 || number == 0 || number > page_count_) return false;
    if (window_first_ == 0 || number < window_first_ || number - window_first_ >= window_pages_) {
        window_.resize(size_t{window_pages_} * page_size_);
        window_first_ = number;
        window_bytes_ = read_fully(fd_, window_.data(), window_.size(), uint64_t{number - 1} * page_size_);
    }
    const size_t start = size_t{number - window_first_} * page_size_;
    if (start >= window_bytes_) {
        window_first_ = 0;  // the file shrank under us: read afresh next time
        buffer.clear();
        return false;
    }
    const size_t got = std::min<size_t>(page_size_, window_bytes_ - start);
    buffer.assign(window_.begin() + static_cast<long>(start), window_.begin() + static_cast<long>(start + got));
    return true;
}

}  // namespace quen::records::sqlite_file
