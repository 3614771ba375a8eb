#include "cdr/copy_out.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace quen::cdr {
namespace {

ssize_t pread_full(int fd, uint8_t* buf, size_t n, uint64_t at, int& err) {
    for (;;) {
        ssize_t got = ::pread(fd, buf, n, static_cast<off_t>(at));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) err = errno;
        return got;
    }
}

// Writes n bytes, counting each accepted byte in `written` (so a failure
// says how far the file got).
bool write_all(int fd, const uint8_t* p, size_t n, uint64_t& written, int& err) {
    while (n > 0) {
        ssize_t w = ::write(fd, p, n);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) {
            err = w < 0 ? errno : EIO;
            return false;
        }
        p += w;
        n -= static_cast<size_t>(w);
        written += static_cast<uint64_t>(w);
    }
    return true;
}

}  // namespace

ProgressFn RecoveryState::stop_check() const {
    return [this](uint64_t, uint64_t, const FoundFile*) {
        return stop_requested() ? kProgressStop : kProgressGoOn;
    };
}

RecoveryState& process_recovery_state() {
    static RecoveryState state;
    return state;
}

uint8_t* CopyBuffer::data() {
    if (!bytes_) bytes_ = std::make_unique<uint8_t[]>(kCopyUnit);
    return bytes_.get();
}

CopyResult cdr_copy_out(const FoundFile& file, const std::string& dest_path, int partition_holder,
                        const ProgressFn& scan_func, CopyBuffer& buffer) {
    CopyResult res;
    int out = ::open(dest_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (out < 0) {
        res.status = CopyStatus::CreateFailed;
        res.error = errno;
        return res;
    }
    const uint64_t size = file.size;
    uint64_t pos = file.offset;
    uint8_t* buf = buffer.data();
    auto stop = [&](uint64_t upto) { return scan_func && scan_func(size, upto, &file) == kProgressStop; };

    auto finish = [&](CopyStatus st) {
        res.status = st;
        if (::close(out) != 0 && res.status != CopyStatus::WriteFailed) {
            // The last bytes may only fail to reach the disk at close time.
            res.error = errno;
            if (res.status == CopyStatus::Done || res.status == CopyStatus::ReadShort ||
                res.status == CopyStatus::Stopped)
                res.status = CopyStatus::WriteFailed;
        }
        return res;
    };

    // The device reads whole sectors only: take the file's first bytes out of
    // the sector that holds its offset.
    const uint64_t lead = pos % kCopySector;
    if (lead != 0 && size > 0) {
        const uint64_t sector = pos - lead;
        int err = 0;
        ssize_t got = pread_full(partition_holder, buf, kCopySector, sector, err);
        if (got <= 0 || static_cast<uint64_t>(got) <= lead) {
            res.error = err;
            return finish(CopyStatus::ReadShort);
        }
        const uint64_t take = std::min<uint64_t>(static_cast<uint64_t>(got) - lead, size);
        if (stop(take)) return finish(CopyStatus::Stopped);
        if (!write_all(out, buf + lead, take, res.written, res.error)) return finish(CopyStatus::WriteFailed);
        pos = sector + static_cast<uint64_t>(got);
    }

    while (res.written < size) {
        int err = 0;
        ssize_t got = pread_full(partition_holder, buf, kCopyUnit, pos, err);
        if (got <= 0) {
            res.error = err;
            return finish(CopyStatus::ReadShort);
        }
        const uint64_t count = std::min<uint64_t>(static_cast<uint64_t>(got), size - res.written);
        if (stop(res.written + count)) return finish(CopyStatus::Stopped);
        if (!write_all(out, buf, count, res.written, res.error)) return finish(CopyStatus::WriteFailed);
        pos += static_cast<uint64_t>(got);
    }
    return finish(CopyStatus::Done);
}

std::string copy_failure_text(const CopyResult& r, uint64_t size) {
    const std::string why = r.error ? std::string(": ") + std::strerror(r.error) : std::string();
    switch (r.status) {
    case CopyStatus::Done: return "";
    case CopyStatus::CreateFailed: return "cannot create the file" + why;
    case CopyStatus::ReadShort:
        return "the disk gave " + std::to_string(r.written) + " of " + std::to_string(size) +
               " bytes" + why;
    case CopyStatus::WriteFailed:
        return "write failed after " + std::to_string(r.written) + " of " + std::to_string(size) +
               " bytes" + why;
    case CopyStatus::Stopped: return "stopped";
    }
    return "";
}

}  // namespace quen::cdr
