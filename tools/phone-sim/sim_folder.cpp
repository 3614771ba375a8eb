#include "sim_folder.h"

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace phone_sim {

std::string read_whole(const std::string& path, bool* ok) {
    std::ifstream in(path, std::ios::binary);
    if (ok) *ok = static_cast<bool>(in);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool Folder::has(const std::string& name) const {
    std::error_code ec;
    return !empty() && fs::exists(control(name), ec);
}

std::string Folder::read(const std::string& name) const { return has(name) ? read_whole(control(name)) : ""; }

long Folder::number(const std::string& name) const { return std::strtol(read(name).c_str(), nullptr, 10); }

void Folder::append_top(const std::string& name, const std::string& line) const {
    if (empty()) return;
    std::ofstream out(top + "/" + name, std::ios::binary | std::ios::app);
    out << line << '\n';
}

std::string Folder::file(const std::string& remote) const {
    if (empty() || remote.empty() || remote[0] != '/' || remote.find("..") != std::string::npos) return {};
    return phone + "/files" + remote;
}

bool Folder::shell_may_read(const std::string& remote) const {
    if (has("selinux")) {
        for (const char* private_root : {"/data/data/", "/data/user/", "/data/user_de/"})
            if (remote.rfind(private_root, 0) == 0) return false;
    }
    const std::string local = file(remote);
    struct stat st {};
    if (local.empty() || ::stat(local.c_str(), &st) != 0 || !(st.st_mode & S_IROTH)) return false;
    std::string folder = phone + "/files";
    std::string_view rest = std::string_view(remote).substr(1);
    for (std::size_t slash = rest.find('/'); slash != std::string_view::npos; slash = rest.find('/')) {
        folder += "/" + std::string(rest.substr(0, slash));
        rest.remove_prefix(slash + 1);
        if (::stat(folder.c_str(), &st) != 0 || !(st.st_mode & S_IXOTH)) return false;
    }
    return true;
}

}  // namespace phone_sim
