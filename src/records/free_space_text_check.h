#pragma once
// The text check of the free-space scan: whether bytes look like a text that
// a phone stored, so that a lost record is only rebuilt around real text.
#include <cstdint>
#include <span>

namespace quen::records {

// True when the whole of `bytes` is a sequence of:
//   0x09, 0x0A, 0x0D, 0x20-0x7E                       (tab, line ends, printable ASCII)
//   0xC2-0xDF 80-BF                                   (2-byte UTF-8)
//   0xE0 A0-BF 80-BF, 0xE1-0xEC/0xEE-0xEF 80-BF 80-BF,
//   0xED 80-9F 80-BF                                  (3-byte UTF-8, no surrogates)
//   0xF0 90-BF 80-BF 80-BF, 0xF1-0xF3 80-BF 80-BF 80-BF,
//   0xF4 80-8F 80-BF 80-BF                            (4-byte UTF-8 up to U+10FFFF)
// Anything else (other control bytes, 0x7F, zero bytes, overlong forms, stray
// continuation bytes, a sequence cut off at the end) fails.
bool passes_text_check(std::span<const uint8_t> bytes);

}  // namespace quen::records
