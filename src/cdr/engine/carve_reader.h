#pragma once
// How the carving engine reads its source: sequential chunks, and for a header
// whose file may run past its chunk, a window of the type's max length at the
// header. `bytes_read` counts every byte actually read from the source.
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
#include <memory>
#include <span>

#include "cdr/engine/extractor.h"

namespace quen::cdr {

// A readable byte source (a raw device or an image file).
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Like pread(2): the bytes read (0 at the end), or -1 on failure.
    virtual long long read_at(void* buf, size_t n, uint64_t offset) = 0;
};

// Positioned reads on a file descriptor the caller keeps open; a read asks
// again after a signal or a short read until it has all, the end, or an error.
class FdSource final : public ByteSource {
public:
    explicit FdSource(int fd) : fd_(fd) {}
    long long read_at(void* buf, size_t n, uint64_t offset) override;

private:
    int fd_;
};

class CarveReader {
public:
    virtual ~CarveReader() = default;
    // Up to `len` bytes at device offset `pos`: as many as can be read before
    // the source's end or a failing read (empty: nothing could be read). The
    // bytes stay valid until the next chunk() call; window() calls do not
    // disturb them.
    virtual std::span<const uint8_t> chunk(uint64_t pos, size_t len) = 0;
    // Exactly `len` bytes at `pos`, or nullptr when not all of them can be
    // read. Valid until the next chunk() or window() call.
    virtual const uint8_t* window(uint64_t pos, size_t len) = 0;
    uint64_t bytes_read() const { return bytes_read_; }

protected:
    // Reads until n bytes, the end or a failure; counts what was read.
    size_t read_full(ByteSource& src, uint8_t* buf, size_t n, uint64_t offset);
    uint64_t bytes_read_ = 0;
};

// Reads each request straight from the source: a chunk buffer of the chunk
// size + 128 bytes, zero-filled once, and a fresh window buffer per window,
// read in whole 512-byte sectors as a raw device demands.
class DirectReader final : public CarveReader {
public:
    // on_text: where an allocation failure is reported (may be empty).
    DirectReader(ByteSource& src, size_t chunk_size, EngineTextFn on_text);
    std::span<const uint8_t> chunk(uint64_t pos, size_t len) override;
    const uint8_t* window(uint64_t pos, size_t len) override;

private:
    ByteSource& src_;
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
    const uint8_t* window(uint64_t pos, size_t len) override;

    size_t capacity() const { return cap_; }
    uint64_t bytes_moved() const { return moved_; }

private:
    ReadAheadReader(ByteSource& src, void* area, size_t area_size, uint8_t* buf, size_t cap,
                    size_t reach);
    // Reads [filled_, target) into the buffer; true when all of it is there.
    bool fill_to(uint64_t target);
    uint8_t* at(uint64_t pos) const { return buf_ + (pos - origin_); }

    ByteSource& src_;
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
    uint64_t moved_ = 0;
    // A window that does not fit (not asked for by the engine, whose windows
    // start inside the current chunk and are at most the largest max length)
    // is read on its own.
    std::unique_ptr<uint8_t[]> side_;
};

}  // namespace quen::cdr
