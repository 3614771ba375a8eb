#pragma once
// Dotted version texts ("2.1.0.35") compared part by part as numbers.
#include <optional>
#include <string_view>

namespace quen::update {

// Longest version text taken seriously; anything longer is not a version.
constexpr std::size_t kMaxVersionText = 64;

// Compares two dotted versions part by part as unsigned decimal numbers of any
// length, a missing part counting as 0 ("3.0" == "3.0.0.0"). Returns <0, 0 or
// >0 like strcmp, or nothing when either text is not a version: empty, longer
// than kMaxVersionText, an empty part, or a part with anything but ASCII digits
// (no blanks, no signs).
std::optional<int> compare_versions(std::string_view a, std::string_view b);

// True only when `server` is a version and newer than `own`. A text that does
// not parse is never announced.
bool is_newer_version(std::string_view server, std::string_view own);

}  // namespace quen::update
