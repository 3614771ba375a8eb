#include "platform/read_full.h"

#include <unistd.h>

#include <cerrno>

namespace quen::platform {

ReadOutcome read_full(int fd, void* dst, size_t count, uint64_t offset) {
    ReadOutcome out;
    auto* bytes = static_cast<unsigned char*>(dst);
    while (out.bytes < count) {
        const ssize_t got = ::pread(fd, bytes + out.bytes, count - out.bytes, static_cast<off_t>(offset + out.bytes));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            out.error = errno;
            break;
        }
        if (got == 0) break;
        out.bytes += static_cast<size_t>(got);
    }
    return out;
}

}  // namespace quen::platform
