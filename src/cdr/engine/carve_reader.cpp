#include "cdr/engine/carve_reader.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/read_full.h"
#include "platform/sizes.h"

namespace quen::cdr {

namespace {
constexpr size_t kSector = platform::kSector;
constexpr size_t kChunkPad = 128;
}  // namespace

long long FdSource::read_at(void* buf, size_t n, uint64_t offset) {
    const platform::ReadOutcome got = platform::read_full(fd_, buf, n, offset);
    if (got.bytes == 0 && got.error != 0) return -1;
    return static_cast<long long>(got.bytes);
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

DirectReader::DirectReader(ByteSource& src, size_t chunk_size, EngineTextFn on_text)
    : src_(src),
      chunk_buf_(new uint8_t[chunk_size + kChunkPad]()),
      chunk_cap_(chunk_size),
      on_text_(std::move(on_text)) {}

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
        if (on_text_) on_text_(EngineText::Warning, "Ran out of memory in read_from_disk()\n");
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
    constexpr size_t kHuge = size_t{2} << 20;
    const size_t span = chunk_size + max_window + kSector;
    const size_t cap = (2 * span + kHuge - 1) / kHuge * kHuge;
    // One huge page more, to start the buffer on a huge-page boundary.
    const size_t area_size = cap + kHuge;
    void* area = ::mmap(nullptr, area_size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (area == MAP_FAILED) return nullptr;
    const auto addr = reinterpret_cast<uintptr_t>(area);
    auto* buf = reinterpret_cast<uint8_t*>((addr + kHuge - 1) / kHuge * kHuge);
    ::madvise(buf, cap, MADV_HUGEPAGE);  // a hint; small pages work too
    return std::unique_ptr<ReadAheadReader>(
        new ReadAheadReader(src, area, area_size, buf, cap, max_window + kSector));
}

ReadAheadReader::ReadAheadReader(ByteSource& src, void* area, size_t area_size, uint8_t* buf,
                                 size_t cap, size_t reach)
    : src_(src), area_(area), area_size_(area_size), buf_(buf), cap_(cap), reach_(reach) {}

ReadAheadReader::~ReadAheadReader() { ::munmap(area_, area_size_); }

bool ReadAheadReader::fill_to(uint64_t target) {
    if (filled_ >= target) return true;
    const size_t want = static_cast<size_t>(target - filled_);
    const size_t got = read_full(src_, at(filled_), want, filled_);
    filled_ += got;
    return got == want;
}

std::span<const uint8_t> ReadAheadReader::chunk(uint64_t pos, size_t len) {
    len = std::min(len, cap_ - reach_);
    if (!started_ || pos < base_ || pos > filled_) {
        // Not a continuation of what the buffer holds: start afresh there.
        origin_ = base_ = filled_ = pos;
        started_ = true;
    }
    base_ = pos;  // bytes before the current chunk are never asked for again
    // Back to the buffer's front when nothing read ahead needs keeping (so a
    // run without windows touches one chunk's worth of memory), or when too
    // little room is left ahead: then what was read from here on moves along.
    if ((filled_ == base_ && origin_ != base_) || pos + len + reach_ > origin_ + cap_) {
        const size_t keep = static_cast<size_t>(filled_ - base_);
        std::memmove(buf_, at(base_), keep);
        moved_ += keep;
        origin_ = base_;
    }
    fill_to(pos + len);
    const size_t n = static_cast<size_t>(std::min<uint64_t>(len, filled_ - pos));
    return {at(pos), n};
}

const uint8_t* ReadAheadReader::window(uint64_t pos, size_t len) {
    if (started_ && pos >= base_ && pos + len <= origin_ + cap_) {
        side_.reset();
        return fill_to(pos + len) ? at(pos) : nullptr;
    }
    side_.reset(new (std::nothrow) uint8_t[len ? len : 1]);
    if (!side_) return nullptr;
    return read_full(src_, side_.get(), len, pos) == len ? side_.get() : nullptr;
}

}  // namespace quen::cdr
