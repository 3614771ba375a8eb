#pragma once
// Writing one output file whole without ever leaving a half-written one.
#include <string>
#include <string_view>

namespace quen::exports {

// Writes `bytes` as the file `path`, replacing an existing file. The bytes go
// to a temporary file beside it first, which is then renamed over it, so a
// failed write (full disk, a folder that went away) never leaves a truncated
// file or destroys the earlier one. False when the file could not be written.
bool write_file_replacing(const std::string& path, std::string_view bytes);

}  // namespace quen::exports
