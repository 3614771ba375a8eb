#include "cdr/carve_reader.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

namespace quen::cdr {

namespace {
constexpr size_t kSector = 512;
constexpr size_t kChunkPad = 128;
}  // namespace

long long FdSource::read_at(void* buf, size_t n, uint64_t offset) {
    for (;;) {
        const ssize_t r = ::pread(fd_, buf, n, static_cast<off_t>(offset));
        if (r >= 0) return r;
        if (errno != EINTR) return -1;
    }
}

size_t CarveReader::read_full(ByteSource& src, uint8_t* buf, size_t n, uint64_t offset) {
    size_t got = 0;
    while (got < n) {
        const long long r = src.read_at(buf + got, n - got, offset + got);
        if (r <= 0) break;
        got += static_cast<size_t>(r);
        bytes_read_ += static_cast<uint64_t>(r);
    }
    return got;
}

// ---- DirectReader ----------------------------------------------------------

DirectReader::DirectReader(ByteSource& src, size_t chunk_size, std::FILE* messages)
    : src_(src),
      chunk_buf_(new uint8_t[chunk_size + kChunkPad]()),
      chunk_cap_(chunk_size),
      messages_(messages) {}

std::span<const uint8_t> DirectReader::chunk(uint64_t pos, size_t len) {
    len = std::min(len, chunk_cap_);
    const size_t n = read_full(src_, chunk_buf_.get(), len, pos);
    return {chunk_buf_.get(), n};
}

const uint8_t* DirectReader::window(uint64_t pos, size_t len) {
    window_buf_.reset();
    // A raw device reads whole sectors at sector offsets only: the window is
    // put together from a leading part sector, the whole sectors, and a
    // trailing part sector.
    uint8_t* buf = new (std::nothrow) uint8_t[len + kSector];
    if (!buf) {
        if (messages_) std::fputs("Ran out of memory in read_from_disk()\n", messages_);
        return nullptr;
    }
    window_buf_.reset(buf);
    uint8_t sector[kSector];
    size_t have = 0;
    const size_t lead = static_cast<size_t>(pos % kSector);
    if (lead != 0) {
        const size_t got = read_full(src_, sector, kSector, pos - lead);
        const size_t want = std::min(len, kSector - lead);
        if (got < lead + want) return nullptr;
        std::memcpy(buf, sector + lead, want);
        have = want;
    }
    const size_t whole = (len - have) / kSector * kSector;
    if (whole > 0) {
        if (read_full(src_, buf + have, whole, pos + have) != whole) return nullptr;
        have += whole;
    }
    if (have < len) {
        const size_t rest = len - have;
        if (read_full(src_, sector, kSector, pos + have) < rest) return nullptr;
        std::memcpy(buf + have, sector, rest);
    }
    return buf;
}

// ---- ReadAheadReader -------------------------------------------------------

std::unique_ptr<ReadAheadReader> ReadAheadReader::create(ByteSource& src, size_t chunk_size,
                                                         size_t max_window) {
    const size_t page = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
    const size_t grain = std::max<size_t>(page, 2u << 20);
    const size_t want = chunk_size + max_window + kSector;
    const size_t cap = (want + grain - 1) / grain * grain;

    const int fd = ::memfd_create("quen-carve-ring", MFD_CLOEXEC);
    if (fd < 0) return nullptr;
    void* area = MAP_FAILED;
    bool ok = ::ftruncate(fd, static_cast<off_t>(cap)) == 0;
    if (ok) {
        // Reserve twice the ring, then map the same memory into both halves.
        area = ::mmap(nullptr, 2 * cap, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        ok = area != MAP_FAILED;
    }
    if (ok) {
        auto* base = static_cast<uint8_t*>(area);
        ok = ::mmap(base, cap, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_FIXED, fd, 0) != MAP_FAILED &&
             ::mmap(base + cap, cap, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_FIXED, fd, 0) != MAP_FAILED;
    }
    ::close(fd);  // the mappings keep the memory
    if (!ok) {
        if (area != MAP_FAILED) ::munmap(area, 2 * cap);
        return nullptr;
    }
    return std::unique_ptr<ReadAheadReader>(
        new ReadAheadReader(src, static_cast<uint8_t*>(area), cap));
}

ReadAheadReader::ReadAheadReader(ByteSource& src, uint8_t* ring, size_t cap)
    : src_(src), ring_(ring), cap_(cap) {}

ReadAheadReader::~ReadAheadReader() { ::munmap(ring_, 2 * cap_); }

bool ReadAheadReader::fill_to(uint64_t target) {
    while (filled_ < target) {
        // filled_ - base_ < cap_, so the run [filled_, target) starts in the
        // first mapping and ends within the second: one contiguous range.
        const long long r = src_.read_at(at(filled_), static_cast<size_t>(target - filled_), filled_);
        if (r <= 0) return false;
        filled_ += static_cast<uint64_t>(r);
        bytes_read_ += static_cast<uint64_t>(r);
    }
    return true;
}

std::span<const uint8_t> ReadAheadReader::chunk(uint64_t pos, size_t len) {
    if (!started_ || pos < base_ || pos > filled_) {
        // Not a continuation of what the ring holds: start afresh there.
        base_ = filled_ = pos;
        started_ = true;
    }
    base_ = pos;  // bytes before the current chunk are never asked for again
    len = std::min(len, cap_);
    fill_to(pos + len);
    const size_t n = static_cast<size_t>(std::min<uint64_t>(len, filled_ - pos));
    return {at(pos), n};
}

const uint8_t* ReadAheadReader::window(uint64_t pos, size_t len) {
    if (started_ && pos >= base_ && pos + len - base_ <= cap_) {
        side_.reset();
        return fill_to(pos + len) ? at(pos) : nullptr;
    }
    side_.reset(new (std::nothrow) uint8_t[len ? len : 1]);
    if (!side_) return nullptr;
    return read_full(src_, side_.get(), len, pos) == len ? side_.get() : nullptr;
}

}  // namespace quen::cdr
