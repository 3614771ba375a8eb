// Hostile version descriptions: the XML reader fed in arbitrary chunks, the
// JSON reader, and the version comparison on arbitrary texts.
#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <cstdlib>
#include <string_view>

#include "update/description/json_description.h"
#include "update/description/update_info.h"
#include "update/description/version_compare.h"
#include "update/description/xml_description.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    // The first byte sets the chunk size, as the network would split the body.
    const std::size_t chunk = 1 + data[0] % 64;
    const std::string_view body(reinterpret_cast<const char*>(data + 1), size - 1);

    quen::update::UpdateInfo info;
    {
        quen::update::UpdateXmlParser parser(info);
        bool ok = true;
        for (std::size_t at = 0; ok && at < body.size(); at += chunk)
            ok = parser.feed(body.data() + at, std::min(chunk, body.size() - at));
        if (ok) parser.finish();
    }
    // Only this product's own element, with a version newer than ours, is announced.
    if (info.newer && (!info.found || !quen::update::is_newer_version(info.server_version, quen::update::kOwnVersion)))
        std::abort();

    const quen::update::JsonDescription doc = quen::update::read_json_description(body);
    if (!doc.is_object && !doc.nversion.empty()) std::abort();

    // The comparison is antisymmetric on any two texts.
    const std::size_t cut = body.find('\n');
    if (cut != std::string_view::npos) {
        const auto first = body.substr(0, cut), second = body.substr(cut + 1);
        const auto forward = quen::update::compare_versions(first, second);
        const auto backward = quen::update::compare_versions(second, first);
        if (forward.has_value() != backward.has_value() || (forward && *forward != -*backward)) std::abort();
    }
    return 0;
}
