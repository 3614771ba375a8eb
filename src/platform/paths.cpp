#include "platform/paths.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace quen::platform {

std::string program_folder() {
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return {};
    return exe.parent_path().string();
}

std::string temp_folder() {
    const char* tmpdir = std::getenv("TMPDIR");
    std::string dir = (tmpdir && *tmpdir) ? tmpdir : "/tmp";
    if (dir.back() != '/') dir += '/';
    return dir;
}

}  // namespace quen::platform
