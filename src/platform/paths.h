#pragma once
// Where the program lives and where its work files go.
#include <string>

namespace quen::platform {

// Folder of the running executable (links resolved), without a trailing "/".
// Empty when it cannot be determined.
std::string program_folder();

// The user's temporary folder: $TMPDIR when set and non-empty, else "/tmp",
// always ending with "/".
std::string temp_folder();

}  // namespace quen::platform
