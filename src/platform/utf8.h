#pragma once
// UTF-8 byte strings: validity and repair for output that must be valid text.
#include <cstddef>
#include <string>
#include <string_view>

namespace quen::platform {

// Length of the well-formed UTF-8 sequence that starts at bytes[at] (1 to 4),
// or 0 when the bytes there do not start one (no overlongs, no surrogates,
// nothing above U+10FFFF, nothing cut off by the end). In that case
// `ill_formed` receives the length of the maximal ill-formed subpart, the
// bytes that one U+FFFD replaces.
size_t utf8_sequence_length(std::string_view bytes, size_t at, size_t& ill_formed);

// True when the bytes are well-formed UTF-8 (no overlongs, no surrogates, <= U+10FFFF).
bool is_valid_utf8(std::string_view bytes);

// The bytes with every ill-formed sequence replaced by U+FFFD (one per maximal
// ill-formed subpart), so the result is always valid UTF-8.
std::string sanitize_utf8(std::string_view bytes);

}  // namespace quen::platform
