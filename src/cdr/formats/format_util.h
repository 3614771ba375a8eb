#pragma once
// Bounds-checked reads for the format extractors. Everything an extractor
// reads comes from a raw disk, so every offset and length it follows is
// hostile: all reads go through ByteView, which answers "nothing" instead of
// reading past the bytes it was given.
#include <algorithm>
#include <cstdint>
#include <optional>
#include <span>
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

// The file's bytes at offsets from the hit, wherever they lie: in the bytes
// given when they hold them, else fetched from the device a few at a time
// (never more than ByteFetcher::kMaxFetch). Offsets may be negative (a file
// that starts before its header). Every read is checked.
class FarView {
public:
    explicit FarView(const ExtractInput& in) : in_(in) {}

    // Exactly len bytes at hit + rel, or an empty span. A fetched span stays
    // valid until the next read.
    std::span<const uint8_t> bytes(int64_t rel, size_t len) const {
        const auto before = static_cast<int64_t>(in_.hit ? in_.before : 0);
        const uint64_t avail = in_.hit ? in_.available : 0;
        if (rel >= -before && (rel < 0 || static_cast<uint64_t>(rel) <= avail) &&
            len <= static_cast<uint64_t>(static_cast<int64_t>(avail) - rel))
            return {in_.hit + rel, len};
        if (!in_.fetch || len > ByteFetcher::kMaxFetch) return {};
        const uint64_t hit_at = in_.device_offset(0);
        if (rel < 0 && static_cast<uint64_t>(-rel) > hit_at) return {};
        if (rel > 0 && static_cast<uint64_t>(rel) > UINT64_MAX - hit_at - len) return {};
        return in_.fetch->fetch(hit_at + static_cast<uint64_t>(rel), len);
    }
    // Whether all of [rel, rel + len) can be read (the last byte is fetched
    // when it lies past the bytes given).
    bool reaches(int64_t rel, uint64_t len) const {
        if (len == 0) return true;
        if (len > static_cast<uint64_t>(INT64_MAX) - static_cast<uint64_t>(std::max<int64_t>(rel, 0))) return false;
        return !bytes(rel + static_cast<int64_t>(len) - 1, 1).empty();
    }
    std::optional<uint32_t> be32(int64_t rel) const {
        const auto b = bytes(rel, 4);
        if (b.empty()) return std::nullopt;
        return (uint32_t{b[0]} << 24) | (uint32_t{b[1]} << 16) | (uint32_t{b[2]} << 8) | b[3];
    }
    std::optional<uint32_t> le32(int64_t rel) const {
        const auto b = bytes(rel, 4);
        if (b.empty()) return std::nullopt;
        return uint32_t{b[0]} | (uint32_t{b[1]} << 8) | (uint32_t{b[2]} << 16) | (uint32_t{b[3]} << 24);
    }
    std::optional<uint64_t> be64(int64_t rel) const {
        const auto hi = be32(rel), lo = be32(rel + 4);
        if (!hi || !lo) return std::nullopt;
        return (uint64_t{*hi} << 32) | *lo;
    }
    std::optional<uint64_t> le64(int64_t rel) const {
        const auto lo = le32(rel), hi = le32(rel + 4);
        if (!hi || !lo) return std::nullopt;
        return (uint64_t{*hi} << 32) | *lo;
    }
    bool equals(int64_t rel, std::string_view text) const {
        const auto b = bytes(rel, text.size());
        return !b.empty() && std::equal(text.begin(), text.end(), b.begin());
    }

private:
    const ExtractInput& in_;
};

// Whether asking for more bytes would bring any: not when these are the
// window already, or as many as the file type's window holds. A file that does not
// end within them is then longer than the format's largest size, or cut.
inline bool no_more_bytes(const ExtractInput& in) {
    return in.final_try || in.lead + in.available >= in.spec->max_length;
}

// Nothing (the file may run past the bytes given: the engine then reads the
// window) unless the window was given already; then the header is passed over.
inline ExtractResult needs_more(const ExtractInput& in);

// The length of the line end (CR LF, LF or CR) at `at`, 0 when there is none:
// text files end with one, and it belongs to the file.
inline uint64_t line_end(const ByteView& v, uint64_t at) {
    if (v.u8(at) == '\r') return v.u8(at + 1) == '\n' ? 2 : 1;
    return v.u8(at) == '\n' ? 1 : 0;
}

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

inline ExtractResult needs_more(const ExtractInput& in) {
    if (no_more_bytes(in)) return skip(in);
    return std::nullopt;
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
