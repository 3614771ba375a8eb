#pragma once
// The write-ahead log of a database (layout in sqlite_format.h): which of its
// frames make the current state of the database, and which hold older page
// images that SQLite no longer reads.
#include <cstdint>
#include <span>
#include <vector>

namespace quen::records::sqlite {

enum class FrameState : uint8_t {
    Current,      // committed in the current log: part of the database
    Uncommitted,  // current log, but after its last commit or its checksum chain
    Earlier,      // left from an earlier log (other salts), or a log whose header is damaged
};

struct WalFrame {
    uint32_t index = 0;        // 1-based position in the log
    uint32_t page = 0;         // database page the frame holds
    uint32_t commit_size = 0;  // pages in the database after this commit; 0: not a commit frame
    size_t data_offset = 0;    // where the page image starts in the log
    FrameState state = FrameState::Earlier;
};

struct WalLog {
    uint32_t page_size = 0;
    std::vector<WalFrame> frames;  // every frame with a page number, in log order
    // Pages of the database after the last current commit; 0 when no frame
    // is current.
    uint32_t committed_page_count = 0;
};

// Reads the frames of `log`. `page_size` is the database's; a log whose
// header gives another size, or none, is read with it, all frames Earlier
// (their images still hold what they held). Frames cut short by the end of
// the file, and frames naming page 0, are left out. Work is bounded by the
// size of the log.
WalLog read_wal_log(std::span<const uint8_t> log, uint32_t page_size);

}  // namespace quen::records::sqlite
