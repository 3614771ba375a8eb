#include "cdr/disks/mountinfo.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace quen::cdr {
namespace {

// Undoes the \ooo escapes of mountinfo paths; other backslashes stay as they are.
std::string unescape(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && s.size() - i > 3) {
            int v = 0;
            bool octal = true;
            for (size_t k = 1; k <= 3; ++k) {
                char c = s[i + k];
                if (c < '0' || c > '7') {
                    octal = false;
                    break;
                }
                v = v * 8 + (c - '0');
            }
            if (octal && v <= 255) {
                out.push_back(static_cast<char>(v));
                i += 3;
                continue;
            }
        }
        out.push_back(s[i]);
    }
    return out;
}

std::vector<std::string_view> split_fields(std::string_view line) {
    std::vector<std::string_view> f;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        size_t j = i;
        while (j < line.size() && line[j] != ' ' && line[j] != '\t') ++j;
        if (j > i) f.push_back(line.substr(i, j - i));
        i = j;
    }
    return f;
}

bool parse_dev(std::string_view s, unsigned& major, unsigned& minor) {
    std::string t(s);
    unsigned a = 0, b = 0;
    char extra = 0;
    if (std::sscanf(t.c_str(), "%u:%u%c", &a, &b, &extra) != 2) return false;
    major = a;
    minor = b;
    return true;
}

}  // namespace

std::vector<MountEntry> parse_mountinfo(std::string_view text) {
    std::vector<MountEntry> out;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t nl = text.find('\n', pos);
        if (nl == std::string_view::npos) nl = text.size();
        std::vector<std::string_view> f = split_fields(text.substr(pos, nl - pos));
        pos = nl + 1;
        // At least: id, parent, dev, root, mount point, options, "-", fstype, source.
        if (f.size() < 9) continue;
        size_t sep = 6;
        while (sep < f.size() && f[sep] != "-") ++sep;
        if (sep + 1 >= f.size()) continue;
        MountEntry e;
        if (!parse_dev(f[2], e.major, e.minor)) continue;
        e.root = unescape(f[3]);
        e.mount_point = unescape(f[4]);
        e.fs_type = unescape(f[sep + 1]);
        out.push_back(std::move(e));
    }
    return out;
}

std::vector<MountEntry> read_mountinfo(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    std::ostringstream ss;
    ss << in.rdbuf();
    return parse_mountinfo(ss.str());
}

const MountEntry* find_mount(const std::vector<MountEntry>& mounts, unsigned major, unsigned minor) {
    const MountEntry* first = nullptr;
    for (const auto& m : mounts) {
        if (m.major != major || m.minor != minor) continue;
        if (m.root == "/") return &m;
        if (!first) first = &m;
    }
    return first;
}

}  // namespace quen::cdr
