#pragma once
// Positioned reads that do not stop early: pread() may return fewer bytes than
// asked (signals, pipes, some block drivers), which is not the end of the file.
#include <cstddef>
#include <cstdint>

namespace quen::platform {

struct ReadOutcome {
    size_t bytes = 0;  // bytes read into the buffer, from its start
    int error = 0;     // errno of the read that failed; 0 when the file ended or all was read
};

// Reads up to `count` bytes at `offset` into `dst`, retrying interrupted and
// short reads until `count` bytes are in, the file ends (a read of 0), or a
// read fails. The order of the arguments is pread's.
ReadOutcome read_full(int fd, void* dst, size_t count, uint64_t offset);

}  // namespace quen::platform
