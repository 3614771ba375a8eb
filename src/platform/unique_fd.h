#pragma once
// A file descriptor that closes itself, and the read-only opens that every
// reader of outside files (disks, images, database copies) goes through.
#include <string>

namespace quen::platform {

// -1 means "not open".
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    ~UniqueFd() { reset(); }
    UniqueFd(UniqueFd&& o) noexcept : fd_(o.release()) {}
    UniqueFd& operator=(UniqueFd&& o) noexcept {
        if (this != &o) reset(o.release());
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    int release() {
        const int f = fd_;
        fd_ = -1;
        return f;
    }
    void reset(int fd = -1);

private:
    int fd_ = -1;
};

// Opens a path read-only and close-on-exec; an invalid UniqueFd on failure,
// with errno left as open() set it.
UniqueFd open_read_only(const std::string& path);

}  // namespace quen::platform
