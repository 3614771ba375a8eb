#pragma once
// Reading small sysfs attribute files ("size", "start", "dev", "vendor", ...).
// Values are one short line; anything longer or malformed counts as absent.
#include <cstdint>
#include <optional>
#include <string>

namespace quen::cdr {

// The file's text with surrounding blanks and line ends trimmed; nullopt when
// it cannot be read or exceeds 4 KiB.
std::optional<std::string> read_attr(const std::string& path);

// A decimal attribute; nullopt when absent or not a plain decimal number.
std::optional<uint64_t> read_u64_attr(const std::string& path);

// A "major:minor" attribute.
bool read_dev_attr(const std::string& path, unsigned& major, unsigned& minor);

}  // namespace quen::cdr
