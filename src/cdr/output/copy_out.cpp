#include "cdr/output/copy_out.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/read_full.h"

namespace quen::cdr {
namespace {

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

uint8_t* CopyBuffer::data() {
    if (!bytes_) bytes_ = std::make_unique<uint8_t[]>(kCopyUnit);
    return bytes_.get();
}

CopyResult cdr_copy_out(const FoundFile& file, int copy_fd, const std::string& dest_path, CopyBuffer& buffer,
                        const ProgressFn& stop_check) {
    CopyResult res;
    // The bytes go to "<name>.part" and take the found file's name only once
    // every one of them is written: a copy that was stopped or failed never
    // leaves a half file that looks recovered.
    const std::string part = dest_path + ".part";
    int out = ::open(part.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (out < 0) {
        res.status = CopyStatus::CreateFailed;
        res.error = errno;
        return res;
    }
    const uint64_t size = file.size;
    uint64_t pos = file.offset;
    uint8_t* buf = buffer.data();
    auto stop = [&](uint64_t upto) { return stop_check && stop_check(size, upto, &file) == kProgressStop; };

    auto finish = [&](CopyStatus st) {
        res.status = st;
        if (::close(out) != 0 && res.status != CopyStatus::WriteFailed) {
            // The last bytes may only fail to reach the disk at close time.
            res.error = errno;
            if (res.status == CopyStatus::Done || res.status == CopyStatus::ReadShort ||
                res.status == CopyStatus::Stopped)
                res.status = CopyStatus::WriteFailed;
        }
        if (res.status == CopyStatus::Done && ::rename(part.c_str(), dest_path.c_str()) != 0) {
            res.status = CopyStatus::WriteFailed;
            res.error = errno;
        }
        // What the disk gave of a file it could not give whole stays as
        // "<name>.part"; a stopped or failed write leaves nothing.
        if (res.status == CopyStatus::Stopped || res.status == CopyStatus::WriteFailed) ::unlink(part.c_str());
        return res;
    };

    // The device reads whole sectors only: take the file's first bytes out of
    // the sector that holds its offset.
    const uint64_t lead = pos % platform::kSector;
    if (lead != 0 && size > 0) {
        const uint64_t sector = pos - lead;
        const platform::ReadOutcome got = platform::read_full(copy_fd, buf, platform::kSector, sector);
        if (got.bytes <= lead) {
            res.error = got.bytes == 0 ? got.error : 0;
            return finish(CopyStatus::ReadShort);
        }
        const uint64_t take = std::min<uint64_t>(got.bytes - lead, size);
        if (stop(take)) return finish(CopyStatus::Stopped);
        if (!write_all(out, buf + lead, take, res.written, res.error)) return finish(CopyStatus::WriteFailed);
        pos = sector + got.bytes;
    }

    while (res.written < size) {
        const platform::ReadOutcome got = platform::read_full(copy_fd, buf, kCopyUnit, pos);
        if (got.bytes == 0) {
            res.error = got.error;
            return finish(CopyStatus::ReadShort);
        }
        const uint64_t count = std::min<uint64_t>(got.bytes, size - res.written);
        if (stop(res.written + count)) return finish(CopyStatus::Stopped);
        if (!write_all(out, buf, count, res.written, res.error)) return finish(CopyStatus::WriteFailed);
        pos += got.bytes;
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
               " bytes" + why + " (kept as .part)";
    case CopyStatus::WriteFailed:
        return "write failed after " + std::to_string(r.written) + " of " + std::to_string(size) +
               " bytes" + why;
    case CopyStatus::Stopped: return "stopped";
    }
    return "";
}

}  // namespace quen::cdr
