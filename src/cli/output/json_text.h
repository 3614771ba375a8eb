#pragma once
// Record texts in the command line's JSON: the bytes as stored, except that an
// ill-formed UTF-8 sequence becomes U+FFFD so the document stays valid JSON.
#include <rapidjson/writer.h>
#include <string_view>

#include "platform/utf8.h"

namespace quen::cli {

template <typename Writer>
void write_text(Writer& writer, std::string_view bytes) {
    const std::string clean = platform::sanitize_utf8(bytes);
    writer.String(clean.data(), static_cast<rapidjson::SizeType>(clean.size()));
}

}  // namespace quen::cli
