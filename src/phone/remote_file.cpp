#include "phone/remote_file.h"

#include <cctype>
#include <charconv>
#include <vector>

namespace quen::phone {
namespace {

std::vector<std::string_view> words(std::string_view line) {
    std::vector<std::string_view> out;
    std::size_t at = 0;
    while (at < line.size()) {
        while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
        const std::size_t start = at;
        while (at < line.size() && line[at] != ' ' && line[at] != '\t') ++at;
        if (at > start) out.push_back(line.substr(start, at - start));
    }
    return out;
}

template <typename T>
bool number(std::string_view text, T& value, int base = 10) {
    if (text.empty()) return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    return error == std::errc() && end == text.data() + text.size();
}

bool is_date(std::string_view word) {
    // 2014-06-10, or a month name as busybox prints it
    if (word.size() == 10 && word[4] == '-' && word[7] == '-') return true;
    static constexpr std::string_view kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    for (auto month : kMonths)
        if (word == month) return true;
    return false;
}

// "rw-rw----" → 0660, with set-id and sticky letters.
std::optional<unsigned> mode_of(std::string_view letters) {
    if (letters.size() != 9) return std::nullopt;
    unsigned mode = 0;
    for (int group = 0; group < 3; ++group) {
        const std::string_view g = letters.substr(static_cast<std::size_t>(group) * 3, 3);
        const unsigned shift = static_cast<unsigned>(2 - group) * 3;
        if (g[0] == 'r') mode |= 4u << shift;
        else if (g[0] != '-') return std::nullopt;
        if (g[1] == 'w') mode |= 2u << shift;
        else if (g[1] != '-') return std::nullopt;
        switch (g[2]) {
            case 'x': mode |= 1u << shift; break;
            case '-': break;
            case 's': case 't': mode |= 1u << shift; [[fallthrough]];
            case 'S': case 'T': mode |= (group == 2 ? 01000u : group == 1 ? 02000u : 04000u); break;
            default: return std::nullopt;
        }
    }
    return mode;
}

std::string first_line(std::string_view output) {
    const std::string text = shell_text(output);
    return text.substr(0, text.find('\n'));
}

}  // namespace

std::optional<RemoteFile> parse_stat_line(std::string_view line) {
    const auto w = words(line);
    if (w.size() != 2) return std::nullopt;
    RemoteFile file;
    if (!number(w[0], file.size) || !number(w[1], file.mode, 8) || file.mode > 07777) return std::nullopt;
    file.presence = RemoteFile::Presence::Present;
    return file;
}

std::optional<RemoteFile> parse_ls_line(std::string_view line) {
    const auto w = words(line);
    if (w.size() < 5 || w[0].size() < 10 || w[0][0] != '-') return std::nullopt;
    const auto mode = mode_of(w[0].substr(1, 9));
    if (!mode) return std::nullopt;
    for (std::size_t i = 2; i < w.size(); ++i) {
        if (!is_date(w[i])) continue;
        RemoteFile file;
        if (!number(w[i - 1], file.size)) return std::nullopt;
        file.mode = *mode;
        file.presence = RemoteFile::Presence::Present;
        return file;
    }
    return std::nullopt;
}

bool says_no_such_file(std::string_view output) {
    return output.find("No such file") != std::string_view::npos ||
           output.find("does not exist") != std::string_view::npos;
}

RemoteFile stat_remote(const DeviceLink& link, RootMethod method, const std::string& path) {
    const std::string quoted = shell_quote(path);
    const auto stat_run = link.shell(as_root(method, "stat -c '%s %a' " + quoted));
    if (auto file = parse_stat_line(first_line(stat_run.output))) return *file;
    if (says_no_such_file(stat_run.output)) return RemoteFile{RemoteFile::Presence::Absent};
    // No stat on this phone: ls -l.
    const auto ls_run = link.shell(as_root(method, "ls -l " + quoted));
    if (auto file = parse_ls_line(first_line(ls_run.output))) return *file;
    if (says_no_such_file(ls_run.output)) return RemoteFile{RemoteFile::Presence::Absent};
    return RemoteFile{};
}

}  // namespace quen::phone
