#include "cdr/engine/carve_reader.h"

#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

#include "platform/read_full.h"
#include "platform/sizes.h"

namespace quen::cdr {

namespace {
constexpr size_t kSector = platform::kSector;
constexpr size_t kChunkPad = 128;
}  // namespace

ReadAttempt FdSource::read_at(void* buf, size_t n, uint64_t offset) {
    const platform::ReadOutcome got = platform::read_full(fd_, buf, n, offset);
    if (got.bytes == 0 && got.error != 0) return {0, got.error};
    return {got.bytes, 0};
}

bool FdSource::present() {
    // An unplugged card reader leaves a block device of no size behind (or
    // none at all); an image file stays what it was.
    struct stat st {};
    if (::fstat(fd_, &st) != 0) return false;
    if (!S_ISBLK(st.st_mode)) return true;
    uint64_t bytes = 0;
    return ::ioctl(fd_, BLKGETSIZE64, &bytes) == 0 && bytes > 0;
}

// ---- CarveReader -----------------------------------------------------------

namespace {

// Errors that say the device is gone, not that a sector is bad.
bool is_gone(int error) { return error == ENODEV || error == ENXIO || error == ENOMEDIUM || error == EBADF; }

}  // namespace

ReadAttempt CarveReader::attempt(uint8_t* buf, size_t n, uint64_t offset, bool& gone) {
    ReadAttempt a = src_.read_at(buf, n, offset);
    if (a.error != 0 && !is_gone(a.error)) a = src_.read_at(buf, n, offset);  // once more
    gone = a.error != 0 && (is_gone(a.error) || !src_.present());
    if (gone && (gone_error_ == 0 || offset < gone_at_)) {
        gone_error_ = a.error;
        gone_at_ = offset;
    }
    if (a.error == 0) bytes_read_ += a.bytes;
    return a;
}

void CarveReader::note_chunk(uint64_t pos, size_t len, size_t got) {
    // A window or fetch far ahead may have met the device's end of life
    // first; the run ends only when a chunk cannot be read because of it.
    if (got < len && gone_error_ != 0 && gone_at_ < pos + len) lost_error_ = gone_error_;
}

void CarveReader::note_unreadable(uint64_t offset, uint64_t length) {
    uint64_t lo = offset, hi = offset + length;
    // Merge with the ranges it touches.
    auto it = unreadable_.upper_bound(lo);
    if (it != unreadable_.begin() && std::prev(it)->second >= lo) --it;
    while (it != unreadable_.end() && it->first <= hi) {
        lo = std::min(lo, it->first);
        hi = std::max(hi, it->second);
        it = unreadable_.erase(it);
    }
    unreadable_[lo] = hi;
}

bool CarveReader::all_readable(uint64_t pos, size_t len) const {
    // The range that starts last at or before the end is the only one that
    // can reach into [pos, pos + len): the ranges are merged.
    auto it = unreadable_.lower_bound(pos + len);
    if (it == unreadable_.begin()) return true;
    return std::prev(it)->second <= pos;
}

std::vector<ByteRange> CarveReader::unreadable() const {
    std::vector<ByteRange> out;
    for (const auto& [lo, hi] : unreadable_) out.push_back({lo, hi - lo});
    return out;
}

size_t CarveReader::read_span(uint8_t* buf, size_t n, uint64_t offset) {
    size_t got = 0;
    while (got < n) {
        const ReadAttempt r = src_.read_at(buf + got, n - got, offset + got);
        if (r.error == 0) {
            if (r.bytes == 0) break;  // the source's end
            got += r.bytes;
            bytes_read_ += r.bytes;
            continue;
        }
        // Something in the rest fails: go on sector by sector (each one
        // retried once) until a sector reads again, then in one piece again.
        while (got < n) {
            const uint64_t pos = offset + got;
            const size_t len = static_cast<size_t>(std::min<uint64_t>(n - got, kSector - pos % kSector));
            bool gone = false;
            const ReadAttempt a = attempt(buf + got, len, pos, gone);
            if (gone) return got;
            if (a.error == 0) {
                if (a.bytes == 0) return got;
                got += a.bytes;
                break;
            }
            std::memset(buf + got, 0, len);
            note_unreadable(pos, len);
            got += len;
        }
    }
    return got;
}

size_t CarveReader::read_plain(uint8_t* buf, size_t n, uint64_t offset) {
    size_t got = 0;
    while (got < n) {
        bool gone = false;
        const ReadAttempt a = attempt(buf + got, n - got, offset + got, gone);
        if (a.error != 0 || a.bytes == 0) break;
        got += a.bytes;
    }
    return got;
}

std::span<const uint8_t> CarveReader::fetch(uint64_t pos, size_t len) {
    if (len > ByteFetcher::kMaxFetch) return {};
    fetch_buf_.resize(std::max<size_t>(len, 1));
    if (read_plain(fetch_buf_.data(), len, pos) != len) return {};
    return {fetch_buf_.data(), len};
}

// ---- DirectReader ----------------------------------------------------------

DirectReader::DirectReader(ByteSource& src, size_t chunk_size, EngineTextFn on_text)
    : CarveReader(src),
      chunk_buf_(new uint8_t[chunk_size + kChunkPad]()),
      chunk_cap_(chunk_size),
      on_text_(std::move(on_text)) {}

std::span<const uint8_t> DirectReader::chunk(uint64_t pos, size_t len) {
    len = std::min(len, chunk_cap_);
    const size_t n = read_span(chunk_buf_.get(), len, pos);
    note_chunk(pos, len, n);
    return {chunk_buf_.get(), n};
}

std::span<const uint8_t> DirectReader::window(uint64_t pos, size_t len) {
    window_buf_.reset();
    // A raw device reads whole sectors at sector offsets only: the window is
    // put together from a leading part sector, the whole sectors, and a
    // trailing part sector, as far as the source goes.
    uint8_t* buf = new (std::nothrow) uint8_t[len + kSector];
    if (!buf) {
        if (on_text_) on_text_(EngineText::Warning, "Ran out of memory in read_from_disk()\n");
        return {};
    }
    window_buf_.reset(buf);
    uint8_t sector[kSector];
    size_t have = 0;
    const size_t lead = static_cast<size_t>(pos % kSector);
    if (lead != 0) {
        const size_t got = read_span(sector, kSector, pos - lead);
        if (got <= lead) return {};
        const size_t take = std::min(len, got - lead);
        std::memcpy(buf, sector + lead, take);
        have = take;
        if (got < kSector) return {buf, have};
    }
    const size_t whole = (len - have) / kSector * kSector;
    if (whole > 0) {
        const size_t got = read_span(buf + have, whole, pos + have);
        have += got;
        if (got < whole) return {buf, have};
    }
    if (have < len) {
        const size_t got = read_span(sector, kSector, pos + have);
        const size_t take = std::min(len - have, got);
        std::memcpy(buf + have, sector, take);
        have += take;
    }
    return {buf, have};
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
    : CarveReader(src), area_(area), area_size_(area_size), buf_(buf), cap_(cap), reach_(reach) {}

ReadAheadReader::~ReadAheadReader() { ::munmap(area_, area_size_); }

void ReadAheadReader::fill_to(uint64_t target) {
    if (filled_ >= target || at_end_) return;
    const size_t want = static_cast<size_t>(target - filled_);
    const size_t got = read_span(at(filled_), want, filled_);
    filled_ += got;
    if (got < want) at_end_ = true;  // the source's end, or it is gone
}

std::span<const uint8_t> ReadAheadReader::chunk(uint64_t pos, size_t len) {
    len = std::min(len, cap_ - reach_);
    if (!started_ || pos < base_ || pos > filled_) {
        // Not a continuation of what the buffer holds: start afresh there.
        origin_ = base_ = filled_ = pos;
        started_ = true;
        at_end_ = false;
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
    note_chunk(pos, len, n);
    return {at(pos), n};
}

std::span<const uint8_t> ReadAheadReader::window(uint64_t pos, size_t len) {
    if (fits(pos, len)) {
        side_.reset();
        fill_to(pos + len);
        if (filled_ <= pos) return {};
        return {at(pos), static_cast<size_t>(std::min<uint64_t>(len, filled_ - pos))};
    }
    side_.reset(new (std::nothrow) uint8_t[len ? len : 1]);
    if (!side_) return {};
    return {side_.get(), read_span(side_.get(), len, pos)};
}

std::span<const uint8_t> ReadAheadReader::fetch(uint64_t pos, size_t len) {
    // Bytes already in the buffer are served from there; anything else is
    // read on its own, without reading the bytes in between. Zeros that stand
    // in for an unreadable sector are no header: such a fetch is read again
    // and fails, as it does without the buffer.
    if (started_ && pos >= base_ && pos + len <= filled_ && all_readable(pos, len)) return {at(pos), len};
    return CarveReader::fetch(pos, len);
}

}  // namespace quen::cdr
