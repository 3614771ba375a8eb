#pragma once
// Record texts made fit for files that declare UTF-8. The records hold the
// bytes as the phone stored them, and a row rebuilt from free space may hold
// bytes that are not text at all; one bad byte must not make an importer
// reject a whole file.
#include <string>
#include <string_view>

namespace quen::exports {

enum class TextRules {
    // vCard and XML: only TAB, LF and CR of the control characters, no DEL,
    // no U+FFFE or U+FFFF (neither format can carry them).
    Strict,
    // CSV: everything but NUL, which cuts a cell short in many readers.
    Lenient,
};

// The bytes as valid UTF-8: each ill-formed sequence (one per maximal
// ill-formed subpart) and each character the rules exclude becomes U+FFFD.
std::string export_text(std::string_view bytes, TextRules rules);

}  // namespace quen::exports
