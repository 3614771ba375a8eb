#include "update/version_compare.h"

#include <algorithm>
#include <vector>

namespace quen::update {
namespace {

// Splits at "." and checks every part is one or more ASCII digits.
std::optional<std::vector<std::string_view>> split_version(std::string_view text) {
    if (text.empty() || text.size() > kMaxVersionText) return std::nullopt;
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t dot = text.find('.', start);
        const std::string_view part =
            text.substr(start, dot == std::string_view::npos ? std::string_view::npos : dot - start);
        if (part.empty()) return std::nullopt;
        for (char c : part)
            if (c < '0' || c > '9') return std::nullopt;
        parts.push_back(part);
        if (dot == std::string_view::npos) break;
        start = dot + 1;
    }
    return parts;
}

// Compares two digit strings as numbers without converting them, so no part
// can overflow: leading zeros dropped, then the longer is greater, then text order.
int compare_number(std::string_view a, std::string_view b) {
    while (a.size() > 1 && a.front() == '0') a.remove_prefix(1);
    while (b.size() > 1 && b.front() == '0') b.remove_prefix(1);
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    const int c = a.compare(b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

}  // namespace

std::optional<int> compare_versions(std::string_view a, std::string_view b) {
    const auto pa = split_version(a);
    const auto pb = split_version(b);
    if (!pa || !pb) return std::nullopt;
    const std::size_t n = std::max(pa->size(), pb->size());
    for (std::size_t i = 0; i < n; ++i) {
        const std::string_view x = i < pa->size() ? (*pa)[i] : std::string_view("0");
        const std::string_view y = i < pb->size() ? (*pb)[i] : std::string_view("0");
        if (const int c = compare_number(x, y); c != 0) return c;
    }
    return 0;
}

bool is_newer_version(std::string_view server, std::string_view own) {
    const auto c = compare_versions(server, own);
    return c && *c > 0;
}

}  // namespace quen::update
