#pragma once
// Short texts the lists and dialogs show: sizes, times, and whether bytes are
// text. No Qt here: plain UTF-8.
#include <cstddef>
#include <cstdint>
#include <string>

namespace quen::ui {

// "%.1f B", "%.1f KB", "%.1f MB" or "%.1f GB" (powers of 1024): 1023 gives
// "1023.0 B", 1536 "1.5 KB". The disks' variant that writes "Byte" is
// cdr::size_text.
std::string size_text(uint64_t bytes);

// Seconds since 1970 as local time in a strftime pattern, at most 19
// characters. A moment before 1970 or after 3000-12-31 23:59:59 is taken as 0.
std::string time_text(int64_t seconds, const char* pattern);
// A decimal text of milliseconds since 1970 as "%Y-%m-%d %H:%M:%S" of the
// whole seconds.
std::string time_text_from_millis(const std::string& millis);

// True when every byte is a tab, line feed, carriage return or printable
// ASCII, or starts a well-formed UTF-8 sequence. No buffer is not text.
bool is_utf8_text(const uint8_t* bytes, size_t length);

}  // namespace quen::ui
