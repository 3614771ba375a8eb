#include "platform/unique_fd.h"

#include <fcntl.h>
#include <unistd.h>

namespace quen::platform {

void UniqueFd::reset(int fd) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
}

UniqueFd open_read_only(const std::string& path) {
    return UniqueFd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
}

}  // namespace quen::platform
