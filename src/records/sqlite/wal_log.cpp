#include "records/sqlite/wal_log.h"

#include "records/sqlite/sqlite_format.h"

namespace quen::records::sqlite {

namespace {

uint32_t word(std::span<const uint8_t> bytes, size_t at, bool big_endian) {
    if (big_endian) return (uint32_t{bytes[at]} << 24) | (uint32_t{bytes[at + 1]} << 16) |
                           (uint32_t{bytes[at + 2]} << 8) | bytes[at + 3];
    return (uint32_t{bytes[at + 3]} << 24) | (uint32_t{bytes[at + 2]} << 16) | (uint32_t{bytes[at + 1]} << 8) |
           bytes[at];
}

// The log's running checksum over `bytes` (a multiple of 8 bytes).
struct Checksum {
    uint32_t s0 = 0, s1 = 0;
    void add(std::span<const uint8_t> bytes, bool big_endian) {
        for (size_t at = 0; at + 8 <= bytes.size(); at += 8) {
            s0 += word(bytes, at, big_endian) + s1;
            s1 += word(bytes, at + 4, big_endian) + s0;
        }
    }
};

}  // namespace

WalLog read_wal_log(std::span<const uint8_t> log, uint32_t page_size) {
    WalLog out;
    out.page_size = page_size;
    if (page_size == 0 || log.size() < kWalHeaderBytes) return out;

    const uint32_t magic = be32_or_zero(log, 0);
    const bool big_endian = magic == kWalMagicBigEndian;
    bool header_ok = magic == kWalMagicLittleEndian || magic == kWalMagicBigEndian;
    uint32_t size_field = be32_or_zero(log, 8);
    if (size_field == kPageSizeField64K) size_field = kLargestPageSize;
    header_ok = header_ok && size_field == page_size;
    Checksum running;
    if (header_ok) {
        running.add(log.subspan(0, 24), big_endian);
        header_ok = running.s0 == be32_or_zero(log, 24) && running.s1 == be32_or_zero(log, 28);
    }
    const uint32_t salt1 = be32_or_zero(log, 16), salt2 = be32_or_zero(log, 20);

    const size_t frame_bytes = kWalFrameHeaderBytes + size_t{page_size};
    bool chain_intact = header_ok;
    size_t last_commit = 0;  // frames[] index + 1 of the last current commit
    for (size_t at = kWalHeaderBytes; log.size() - at >= frame_bytes; at += frame_bytes) {
        const uint32_t index = static_cast<uint32_t>((at - kWalHeaderBytes) / frame_bytes) + 1;
        WalFrame frame;
        frame.index = index;
        frame.page = be32_or_zero(log, at);
        frame.commit_size = be32_or_zero(log, at + 4);
        frame.data_offset = at + kWalFrameHeaderBytes;
        const bool same_log = be32_or_zero(log, at + 8) == salt1 && be32_or_zero(log, at + 12) == salt2;
        if (chain_intact && same_log) {
            Checksum next = running;
            next.add(log.subspan(at, 8), big_endian);
            next.add(log.subspan(frame.data_offset, page_size), big_endian);
            chain_intact = next.s0 == be32_or_zero(log, at + 16) && next.s1 == be32_or_zero(log, at + 20);
            if (chain_intact) running = next;
        } else {
            chain_intact = false;
        }
        frame.state = chain_intact ? FrameState::Uncommitted : FrameState::Earlier;
        // A frame of the current log past a broken chain is still of this
        // log, just not part of the database.
        if (!chain_intact && header_ok && same_log) frame.state = FrameState::Uncommitted;
        if (frame.page == 0) continue;
        out.frames.push_back(frame);
        if (chain_intact && frame.commit_size != 0) {
            last_commit = out.frames.size();
            out.committed_page_count = frame.commit_size;
        }
    }
    for (size_t index = 0; index < last_commit; ++index)
        if (out.frames[index].state == FrameState::Uncommitted) out.frames[index].state = FrameState::Current;
    return out;
}

}  // namespace quen::records::sqlite
