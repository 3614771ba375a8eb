// HTML: "<html" (any letter case) followed by text, up to "</html>".
#include "cdr/formats/format_util.h"

namespace quen::cdr::fmt {

namespace {

ExtractResult extract_html(const ExtractInput& in) {
    static const Pattern kEnd = make_pattern("</html>", false);
    constexpr uint64_t kHeader = 5;  // "<html"
    const ByteView v(in);
    const uint64_t r = v.size();
    if (r < kHeader + 16) return std::nullopt;
    for (uint64_t i = kHeader; i < kHeader + 16; ++i)
        if (!is_text(v.data()[i])) return kHeader + 16;
    const uint64_t max = in.spec->max_length;
    const uint64_t len = r - kHeader >= max ? max : r - 10;
    const Pattern& end = footer_or(in, kEnd);
    const auto f = v.find(end, kHeader, len);
    if (!f) return std::nullopt;
    const uint64_t size = *f + end.size();
    record_at(in, 0, size);
    return size;
}

}  // namespace

FormatDefinition html_format() {
    const FormatRow row{"htm", FormatType::Html, bytes_of("<html"), bytes_of("</html>"), 1 * kMiB, {}, false,
                        extract_html};
    return {row, {{"html", row}, {"htm", row}}};
}

}  // namespace quen::cdr::fmt
