#include "platform/read_full.h"

#include <unistd.h>

#include <cerrno>

namespace quen::platform {

ReadOutcome read_full(int fd, void* dst, size_t n, uint64_t offset) {
    ReadOutcome out;
    auto* p = static_cast<unsigned char*>(dst);
    while (out.bytes < n) {
        const ssize_t r = ::pread(fd, p + out.bytes, n - out.bytes, static_cast<off_t>(offset + out.bytes));
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) {
            out.error = errno;
            break;
        }
        if (r == 0) break;
        out.bytes += static_cast<size_t>(r);
    }
    return out;
}

}  // namespace quen::platform
