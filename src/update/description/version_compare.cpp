#include "update/description/version_compare.h"

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
    const int order = a.compare(b);
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

}  // namespace

std::optional<int> compare_versions(std::string_view a, std::string_view b) {
    const auto parts_a = split_version(a);
    const auto parts_b = split_version(b);
    if (!parts_a || !parts_b) return std::nullopt;
    const std::size_t parts = std::max(parts_a->size(), parts_b->size());
    for (std::size_t i = 0; i < parts; ++i) {
        const std::string_view part_a = i < parts_a->size() ? (*parts_a)[i] : std::string_view("0");
        const std::string_view part_b = i < parts_b->size() ? (*parts_b)[i] : std::string_view("0");
        if (const int order = compare_number(part_a, part_b); order != 0) return order;
    }
    return 0;
}

bool is_newer_version(std::string_view server, std::string_view own) {
    const auto order = compare_versions(server, own);
    return order && *order > 0;
}

}  // namespace quen::update
