// HTML: "<html" (any letter case) followed by text, up to "</html>" and the
// line end after it. A saved page rarely opens with the tag itself: a
// byte-order mark, blank lines, an XML declaration, a DOCTYPE or comments
// come first, so quick mode looks past such a lead-in at each block start,
// and the file starts with it.
#include <cctype>

#include "cdr/formats/format_util.h"

namespace quen::cdr::fmt {

namespace {

constexpr size_t kLongestLeadIn = 4096;

bool starts_with_nocase(const uint8_t* p, size_t n, std::string_view what) {
    if (n < what.size()) return false;
    for (size_t i = 0; i < what.size(); ++i)
        if (std::tolower(p[i]) != std::tolower(static_cast<unsigned char>(what[i]))) return false;
    return true;
}

// Steps over "<open" ... "close" when p starts with `open`; false when there
// is nothing of the kind or it does not close within the lead-in.
bool skip_markup(const uint8_t* p, size_t n, size_t& i, std::string_view open, std::string_view close) {
    if (!starts_with_nocase(p + i, n - i, open)) return false;
    for (size_t j = i + open.size(); j + close.size() <= n; ++j)
        if (starts_with_nocase(p + j, n - j, close)) {
            i = j + close.size();
            return true;
        }
    return false;
}

// How many bytes of lead-in come before "<html" at p, or nothing.
std::optional<uint32_t> html_starts(const uint8_t* p, size_t n) {
    n = std::min(n, kLongestLeadIn);
    size_t i = 0;
    if (n >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF) i = 3;
    for (;;) {
        while (i < n && (p[i] == ' ' || p[i] == '\t' || p[i] == '\r' || p[i] == '\n')) ++i;
        if (i >= n) return std::nullopt;
        if (starts_with_nocase(p + i, n - i, "<html")) return static_cast<uint32_t>(i);
        if (!skip_markup(p, n, i, "<!--", "-->") && !skip_markup(p, n, i, "<!doctype", ">") &&
            !skip_markup(p, n, i, "<?xml", "?>"))
            return std::nullopt;
    }
}

ExtractResult extract_html(const ExtractInput& in) {
    static const Pattern kEnd = make_pattern("</html>", false);
    constexpr uint64_t kHeader = 5;  // "<html"
    const ByteView v(in);
    const uint64_t r = v.size();
    if (r < kHeader + 16) return needs_more(in);
    for (uint64_t i = kHeader; i < kHeader + 16; ++i)
        if (!is_text(v.data()[i]) && v.data()[i] != '\r') return kHeader + 16;
    const uint64_t max = in.spec->max_length > in.lead ? in.spec->max_length - in.lead : 0;
    const Pattern& end = footer_or(in, kEnd);
    const auto f = v.find(end, kHeader, std::min(r - kHeader, max));
    if (!f) return needs_more(in);
    uint64_t size = *f + end.size();
    if (size + 2 > r && !no_more_bytes(in)) return std::nullopt;  // the line end may follow
    size += line_end(v, size);
    in.recorder->record(*in.spec, in.device_offset(0) - in.lead, in.lead + size);
    return size;
}

}  // namespace

FormatDefinition html_format() {
    FormatRow row{"htm", FormatType::Html, bytes_of("<html"), bytes_of("</html>"), 1 * kMiB, {}, false,
                  extract_html};
    row.starts = html_starts;
    row.start_bytes = std::string_view("<\xEF \t\r\n");
    return {row, {{"html", row}, {"htm", row}}};
}

}  // namespace quen::cdr::fmt
