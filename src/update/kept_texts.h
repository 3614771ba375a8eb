#pragma once
// Texts that a result message points at. A posted message may be handled
// after its sender has ended, so each text is kept, once, for the life of the
// process (version texts are few and short).
#include <string_view>

namespace quen::update {

// A NUL-terminated copy of `text` that is never freed; equal texts share one copy.
const char* keep_text(std::string_view text);

}  // namespace quen::update
