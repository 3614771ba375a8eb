#pragma once
// Local time as text, with strftime patterns.
#include <cstdint>
#include <ctime>
#include <string>

namespace quen::platform {

// The current local time formatted with a strftime pattern ("%Y%m%d%H%M%S").
std::string local_time_text(const char* pattern);

// A given moment (seconds since 1970) as local time with a strftime pattern.
// Empty when the moment cannot be represented.
std::string local_time_text(const char* pattern, std::time_t when);

// Milliseconds since 1970 as local time "%Y-%m-%d %H:%M:%S"; empty when out of range.
std::string local_time_from_millis(int64_t millis);

}  // namespace quen::platform
