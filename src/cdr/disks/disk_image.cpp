#include "cdr/disks/disk_image.h"

#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

namespace quen::cdr {

std::optional<uint64_t> medium_size(int fd) {
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0) return std::nullopt;
    if (S_ISBLK(st.st_mode)) {
        uint64_t bytes = 0;
        if (::ioctl(fd, BLKGETSIZE64, &bytes) != 0) return std::nullopt;
        return bytes;
    }
    if (S_ISREG(st.st_mode)) return static_cast<uint64_t>(st.st_size);
    return std::nullopt;
}

CdrNode* cdr_add_image(const std::string& path, CdrNode& parent, std::string* error) {
    auto fail = [&](const std::string& why) -> CdrNode* {
        if (error) *error = "cannot open image " + path + ": " + why;
        return nullptr;
    };
    platform::UniqueFd read = platform::open_read_only(path);
    if (!read.valid()) return fail(std::strerror(errno));
    platform::UniqueFd copy = platform::open_read_only(path);
    if (!copy.valid()) return fail(std::strerror(errno));
    std::optional<uint64_t> size = medium_size(read.get());
    if (!size) return fail("not a regular file or block device");

    size_t slash = path.find_last_of('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);

    auto disk = make_disk(name, path, *size, true, std::move(read), std::move(copy));

    auto part = std::make_unique<CdrNode>();
    part->kind = CdrKind::Partition;
    part->name = name;
    part->drive = path;
    part->path = path;
    part->length = *size;
    part->detail = size_text(*size);
    part->removable = true;
    part->is_image = true;
    disk->add_child(std::move(part));
    return parent.add_child(std::move(disk));
}

}  // namespace quen::cdr
