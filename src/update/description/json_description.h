#pragma once
// The version description file in its JSON form, read by the automatic check:
//   {"Contavire": [{"Nversion": "2.1.0.36", ...}, ...], ...}
// Other members are ignored.
#include <string>
#include <string_view>

namespace quen::update {

struct JsonDescription {
    bool is_object = false;  // the bytes parsed as JSON with an object at the root
    std::string nversion;    // empty when absent
};

// Reads the bytes up to the first zero byte. "nversion" is the "Nversion" text
// of "Contavire"[0]; it stays empty when the text is not JSON, the root is not
// an object, "Contavire" is not a non-empty array, its first element is not an
// object, or "Nversion" is absent or not a string.
JsonDescription read_json_description(std::string_view bytes);

}  // namespace quen::update
