#include "cdr/disks/sysfs_attributes.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace quen::cdr {

std::optional<std::string> read_attr(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    constexpr size_t kMax = 4096;
    std::string text;
    char buf[512];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ::close(fd);
            if (n < 0) return std::nullopt;
            break;
        }
        text.append(buf, static_cast<size_t>(n));
        if (text.size() > kMax) {
            ::close(fd);
            return std::nullopt;
        }
    }
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\0'; };
    size_t b = 0, e = text.size();
    while (b < e && blank(text[b])) ++b;
    while (e > b && blank(text[e - 1])) --e;
    return text.substr(b, e - b);
}

std::optional<uint64_t> read_u64_attr(const std::string& path) {
    auto t = read_attr(path);
    if (!t || t->empty() || t->size() > 20) return std::nullopt;
    uint64_t v = 0;
    for (char c : *t) {
        if (c < '0' || c > '9') return std::nullopt;
        uint64_t d = static_cast<uint64_t>(c - '0');
        if (v > (UINT64_MAX - d) / 10) return std::nullopt;
        v = v * 10 + d;
    }
    return v;
}

bool read_dev_attr(const std::string& path, unsigned& major, unsigned& minor) {
    auto t = read_attr(path);
    if (!t) return false;
    size_t colon = t->find(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 >= t->size()) return false;
    auto num = [](const std::string& s, unsigned& out) {
        if (s.empty() || s.size() > 9) return false;
        unsigned v = 0;
        for (char c : s) {
            if (c < '0' || c > '9') return false;
            v = v * 10 + static_cast<unsigned>(c - '0');
        }
        out = v;
        return true;
    };
    unsigned a = 0, b = 0;
    if (!num(t->substr(0, colon), a) || !num(t->substr(colon + 1), b)) return false;
    major = a;
    minor = b;
    return true;
}

}  // namespace quen::cdr
