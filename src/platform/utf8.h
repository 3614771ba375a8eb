#pragma once
// UTF-8 byte strings: validity and repair for output that must be valid text.
#include <string>
#include <string_view>

namespace quen {

// True when the bytes are well-formed UTF-8 (no overlongs, no surrogates, <= U+10FFFF).
bool is_valid_utf8(std::string_view bytes);

// The bytes with every ill-formed sequence replaced by U+FFFD (one per maximal
// ill-formed subpart), so the result is always valid UTF-8.
std::string sanitize_utf8(std::string_view bytes);

}  // namespace quen
