#pragma once
// Bounds-checked reads for the format extractors. Everything an extractor
// reads comes from a raw disk, so every offset and length it follows is
// hostile: all reads go through ByteView, which answers "nothing" instead of
// reading past the bytes it was given.
#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cdr/engine/extractor.h"
#include "cdr/engine/pattern.h"
#include "cdr/engine/search_spec.h"
#include "cdr/formats/format_table.h"
#include "platform/sizes.h"

namespace quen::cdr::fmt {

using platform::kMiB;

// The bytes of a text, for the rows' headers, footers and markers.
inline std::vector<uint8_t> bytes_of(std::string_view text) { return {text.begin(), text.end()}; }

// The row with another largest size: a -t name that sets up a built-in row
// with a limit of its own.
inline FormatRow with_max_length(FormatRow row, uint64_t max_length) {
    row.max_length = max_length;
    return row;
}

class ByteView {
public:
    ByteView(const uint8_t* data, uint64_t size) : p_(data), n_(size) {}
    explicit ByteView(const ExtractInput& in) : p_(in.hit), n_(in.hit ? in.available : 0) {}

    uint64_t size() const { return n_; }
    const uint8_t* data() const { return p_; }

    // True when [off, off + len) lies inside the view (no overflow).
    bool has(uint64_t off, uint64_t len) const { return off <= n_ && len <= n_ - off; }

    std::optional<uint8_t> u8(uint64_t off) const {
        if (!has(off, 1)) return std::nullopt;
        return p_[off];
    }
    std::optional<uint16_t> le16(uint64_t off) const {
        if (!has(off, 2)) return std::nullopt;
        return static_cast<uint16_t>(p_[off] | (p_[off + 1] << 8));
    }
    std::optional<uint16_t> be16(uint64_t off) const {
        if (!has(off, 2)) return std::nullopt;
        return static_cast<uint16_t>((p_[off] << 8) | p_[off + 1]);
    }
    std::optional<uint32_t> le32(uint64_t off) const {
        if (!has(off, 4)) return std::nullopt;
        return static_cast<uint32_t>(p_[off]) | (static_cast<uint32_t>(p_[off + 1]) << 8) |
               (static_cast<uint32_t>(p_[off + 2]) << 16) | (static_cast<uint32_t>(p_[off + 3]) << 24);
    }
    std::optional<uint32_t> be32(uint64_t off) const {
        if (!has(off, 4)) return std::nullopt;
        return (static_cast<uint32_t>(p_[off]) << 24) | (static_cast<uint32_t>(p_[off + 1]) << 16) |
               (static_cast<uint32_t>(p_[off + 2]) << 8) | static_cast<uint32_t>(p_[off + 3]);
    }
    std::optional<uint64_t> le64(uint64_t off) const {
        const auto lo = le32(off), hi = le32(off + 4);
        if (!lo || !hi || off + 4 < off) return std::nullopt;
        return (static_cast<uint64_t>(*hi) << 32) | *lo;
    }

    // True when the bytes at off are exactly `text` (false when they run out).
    bool equals(uint64_t off, std::string_view text) const {
        return has(off, text.size()) && std::equal(text.begin(), text.end(), p_ + off);
    }

    // First match of p in [from, from + len), the length cut to the view.
    std::optional<uint64_t> find(const Pattern& p, uint64_t from, uint64_t len) const {
        if (from > n_) return std::nullopt;
        len = std::min(len, n_ - from);
        const ptrdiff_t at = pattern_search(p, p_ + from, static_cast<size_t>(len));
        if (at < 0) return std::nullopt;
        return from + static_cast<uint64_t>(at);
    }

private:
    const uint8_t* p_;
    uint64_t n_;
};

inline bool is_print(uint8_t c) { return c >= 0x20 && c <= 0x7E; }
inline bool is_text(uint8_t c) { return is_print(c) || c == '\t' || c == '\n'; }

inline Pattern make_pattern(std::string_view bytes, bool case_sensitive = true) {
    return Pattern(std::vector<uint8_t>(bytes.begin(), bytes.end()), case_sensitive);
}

// The SearchSpec's footer, or the format's own when the SearchSpec carries none.
inline const Pattern& footer_or(const ExtractInput& in, const Pattern& fallback) {
    return in.spec->footer.empty() ? fallback : in.spec->footer;
}

// Where to go on after a rejected header: past the header bytes.
inline ExtractResult skip(const ExtractInput& in) {
    return std::max<uint64_t>(in.spec->header.size(), 1);
}

// A continue position never at or before the hit, so the search always moves on.
inline ExtractResult go_on(const ExtractInput& in, uint64_t rel) {
    return rel == 0 ? skip(in) : ExtractResult(rel);
}

// Passes a warning to the run's text callback; the search goes on.
inline void warn(const ExtractInput& in, const std::string& text) {
    if (in.on_text && *in.on_text) (*in.on_text)(EngineText::Warning, text);
}

// Records a file that starts `rel` bytes after the hit.
inline void record_at(const ExtractInput& in, uint64_t rel, uint64_t size) {
    in.recorder->record(*in.spec, in.device_offset(rel), size);
}

}  // namespace quen::cdr::fmt
