#pragma once
// How the carving engine reads its source: sequential chunks, for a header
// whose file may run past its chunk a window at the header, and small fetches
// of headers further on. `bytes_read` counts every byte actually read.
//
// A card with bad sectors is the usual case for recovery, so a failing read
// does not end the run: the failing spot is read again sector by sector, each
// sector retried once; a sector that still fails is zero-filled, noted in
// unreadable(), and reading goes on after it. Only a source that is gone
// (unplugged: the device no longer answers) ends the reading, with lost().
//
// Two readers give the same bytes:
//  - DirectReader reads every chunk and every window from the source as asked
//    (windows sector by sector), so a card full of photos is read several
//    times over;
//  - ReadAheadReader keeps one buffer over the source from the current
//    chunk's start on, large enough for a chunk plus the largest window. A
//    window lands in the buffer and the chunks after it are served from
//    there, so each byte of the source is read about once.
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "cdr/engine/extractor.h"

namespace quen::cdr {

// One read of a source: like pread(2), the bytes read (0 at the end), or a
// failure with its errno.
struct ReadAttempt {
    size_t bytes = 0;
    int error = 0;  // non-zero: the read failed and `bytes` is 0
};

// A readable byte source (a raw device or an image file).
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual ReadAttempt read_at(void* buf, size_t n, uint64_t offset) = 0;
    // After a failed read: whether the source is still there at all (a card
    // reader that was unplugged is not, a card with a bad sector is).
    virtual bool present() { return true; }
};

// Positioned reads on a file descriptor the caller keeps open; a read asks
// again after a signal or a short read until it has all, the end, or an error.
class FdSource final : public ByteSource {
public:
    explicit FdSource(int fd) : fd_(fd) {}
    ReadAttempt read_at(void* buf, size_t n, uint64_t offset) override;
    bool present() override;

private:
    int fd_;
};

// A range of the source's bytes.
struct ByteRange {
    uint64_t offset = 0;
    uint64_t length = 0;
    bool operator==(const ByteRange&) const = default;
};

class CarveReader {
public:
    virtual ~CarveReader() = default;
    // Up to `len` bytes at device offset `pos`: as many as there are before
    // the source's end (empty: none), unreadable sectors as zeros. The bytes
    // stay valid until the next chunk() call; window() and fetch() calls do
    // not disturb them.
    virtual std::span<const uint8_t> chunk(uint64_t pos, size_t len) = 0;
    // Up to `len` bytes at `pos`, as many as there are (a file near the
    // source's end is read as far as it goes). Valid until the next chunk()
    // or window() call.
    virtual std::span<const uint8_t> window(uint64_t pos, size_t len) = 0;
    // Exactly `len` bytes at `pos` (a few header bytes far ahead), or empty
    // when not all of them can be read; unreadable sectors are not zero-filled
    // here. Valid until the next call of any of the three.
    virtual std::span<const uint8_t> fetch(uint64_t pos, size_t len);

    uint64_t bytes_read() const { return bytes_read_; }
    // The sectors that could not be read, merged, in offset order.
    std::vector<ByteRange> unreadable() const;
    // The source stopped answering; why, as errno.
    bool lost() const { return lost_error_ != 0; }
    int lost_error() const { return lost_error_; }

protected:
    explicit CarveReader(ByteSource& src) : src_(src) {}
    // Reads n bytes at offset into buf, or up to the source's end: returns how
    // many. Unreadable sectors become zeros (counted in the result), and a
    // lost source ends the read early.
    size_t read_span(uint8_t* buf, size_t n, uint64_t offset);
    // Like read_span, but stops at the first sector that cannot be read.
    size_t read_plain(uint8_t* buf, size_t n, uint64_t offset);
    // After a chunk of `len` bytes at `pos` gave `got`: the source is lost
    // when the device went away within it.
    void note_chunk(uint64_t pos, size_t len, size_t got);
    // Whether none of [pos, pos + len) was zero-filled for an unreadable sector.
    bool all_readable(uint64_t pos, size_t len) const;

    ByteSource& src_;
    uint64_t bytes_read_ = 0;

private:
    // One read and, when it fails, one retry; `gone` when it failed because
    // the source is no longer there.
    ReadAttempt attempt(uint8_t* buf, size_t n, uint64_t offset, bool& gone);
    void note_unreadable(uint64_t offset, uint64_t length);

    std::map<uint64_t, uint64_t> unreadable_;  // offset -> end, merged
    int gone_error_ = 0;   // the first read that found the device gone, and where
    uint64_t gone_at_ = 0;
    int lost_error_ = 0;   // set once a chunk could not be read for it
    std::vector<uint8_t> fetch_buf_;
};

// Reads each request straight from the source: a chunk buffer of the chunk
// size + 128 bytes, zero-filled once, and a fresh window buffer per window,
// read in whole 512-byte sectors as a raw device demands.
class DirectReader final : public CarveReader {
public:
    // on_text: where an allocation failure is reported (may be empty).
    DirectReader(ByteSource& src, size_t chunk_size, EngineTextFn on_text);
    std::span<const uint8_t> chunk(uint64_t pos, size_t len) override;
    std::span<const uint8_t> window(uint64_t pos, size_t len) override;

private:
    std::unique_ptr<uint8_t[]> chunk_buf_;
    size_t chunk_cap_;
    std::unique_ptr<uint8_t[]> window_buf_;
    EngineTextFn on_text_;
};

// One buffer over the source from the current chunk's start on, room for a
// chunk and the largest window twice over: when the next chunk would leave
// too little room ahead of it, the bytes already read from that chunk's start
// on move to the buffer's front (rarely, and usually few of them). The buffer
// asks for transparent huge pages, which keeps the first touch of its memory
// cheap.
class ReadAheadReader final : public CarveReader {
public:
    // Null when the buffer cannot be had (the caller then reads directly).
    static std::unique_ptr<ReadAheadReader> create(ByteSource& src, size_t chunk_size,
                                                   size_t max_window);
    ~ReadAheadReader() override;
    ReadAheadReader(const ReadAheadReader&) = delete;
    ReadAheadReader& operator=(const ReadAheadReader&) = delete;

    std::span<const uint8_t> chunk(uint64_t pos, size_t len) override;
    std::span<const uint8_t> window(uint64_t pos, size_t len) override;
    std::span<const uint8_t> fetch(uint64_t pos, size_t len) override;

    size_t capacity() const { return cap_; }
    uint64_t bytes_moved() const { return moved_; }

private:
    ReadAheadReader(ByteSource& src, void* area, size_t area_size, uint8_t* buf, size_t cap,
                    size_t reach);
    // Reads [filled_, target) into the buffer, up to the source's end.
    void fill_to(uint64_t target);
    uint8_t* at(uint64_t pos) const { return buf_ + (pos - origin_); }
    bool fits(uint64_t pos, size_t len) const {
        return started_ && pos >= base_ && pos + len <= origin_ + cap_;
    }

    void* area_;
    size_t area_size_;
    uint8_t* buf_;
    size_t cap_;
    size_t reach_;  // the largest window: how far ahead of a chunk a window may need room
    // buf_[0] holds the source's byte origin_; the bytes [base_, filled_) are
    // in the buffer, base_ being the current chunk's start.
    uint64_t origin_ = 0;
    uint64_t base_ = 0;
    uint64_t filled_ = 0;
    bool started_ = false;
    bool at_end_ = false;  // filled_ is the source's end
    uint64_t moved_ = 0;
    // A window that does not fit (not asked for by the engine, whose windows
    // start inside the current chunk and are at most the largest max length)
    // is read on its own.
    std::unique_ptr<uint8_t[]> side_;
};

}  // namespace quen::cdr
