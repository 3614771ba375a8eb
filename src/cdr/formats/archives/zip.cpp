// ZIP and the documents and packages built on it. Local file header
// "PK\3\4": flags u16 at 6, method u16 at 8, compressed size u32 at 18,
// uncompressed size u32 at 22, name length u16 at 26, extra length u16 at 28,
// then name, extra and data. The central directory ("PK\1\2" records: name
// length u16 at 28, extra u16 at 30, comment u16 at 32, name at 46) follows
// the data, and the end-of-central-directory record "PK\5\6" closes the
// archive: entries u16 at 8 and 10, directory size u32 at 12 and offset u32
// at 16 (from the archive's start), comment length u16 at 20, then the comment.
// Archives past 4 GiB or 65535 entries keep those fields in a ZIP64 record
// ("PK\6\6", size u64 at 40 and offset u64 at 48) found through its locator
// ("PK\6\7", the record's offset u64 at 8) just before "PK\5\6".
//
// The archive ends where its end record and the comment it states end; an
// end record counts only when the directory it names lies right before it,
// so the end record of an archive stored inside, or of the next archive on
// the disk, is passed over. The walk over the local headers only gets the
// search past the entries' data.
//
// The kind comes from the content: an APK holds AndroidManifest.xml and
// classes.dex; Office files [Content_Types].xml and word/, xl/ or ppt/;
// OpenDocument, EPUB and OpenOffice 1.x files a stored "mimetype" first; a
// JAR Java classes.
#include <string>

#include "cdr/formats/format_util.h"

namespace quen::cdr::fmt {

namespace {

constexpr uint16_t kDataDescriptor = 0x0008;
constexpr uint64_t kLongestName = 4096;
constexpr int kMostEntriesLooked = 100000;

const char* wanted_kind(FormatType type) {
    switch (type) {
    case FormatType::Sxw: return "sxw";
    case FormatType::Sxc: return "sxc";
    case FormatType::Sxi: return "sxi";
    case FormatType::Apk: return "apk";
    case FormatType::Docx: return "docx";
    case FormatType::Xlsx: return "xlsx";
    case FormatType::Pptx: return "pptx";
    case FormatType::Odt: return "odt";
    case FormatType::Ods: return "ods";
    case FormatType::Odp: return "odp";
    case FormatType::Jar: return "jar";
    default: return nullptr;  // Zip: any
    }
}

// What the entry names say about the archive's kind.
struct Names {
    bool manifest = false, dex = false, resources = false;  // APK
    bool content_types = false, word = false, xl = false, ppt = false;  // Office
    bool content_xml = false, java = false;

    void see(std::string_view name) {
        auto starts = [&](std::string_view p) { return name.substr(0, p.size()) == p; };
        if (name == "AndroidManifest.xml") manifest = true;
        if (starts("classes") && name.ends_with(".dex")) dex = true;
        if (name == "resources.arsc") resources = true;
        if (name == "[Content_Types].xml") content_types = true;
        if (starts("word/")) word = true;
        if (starts("xl/")) xl = true;
        if (starts("ppt/")) ppt = true;
        if (starts("content.xml")) content_xml = true;
        if (name.find(".class") != std::string_view::npos || name.find(".jar") != std::string_view::npos ||
            name.find(".java") != std::string_view::npos)
            java = true;
    }
};

// The kind a stored "mimetype" entry names, or nothing.
const char* kind_of_mimetype(std::string_view mime) {
    struct Kind {
        std::string_view mime;
        const char* ext;
    };
    static const Kind kExact[] = {
        {"application/vnd.oasis.opendocument.text", "odt"},
        {"application/vnd.oasis.opendocument.spreadsheet", "ods"},
        {"application/vnd.oasis.opendocument.presentation", "odp"},
        {"application/vnd.oasis.opendocument.graphics", "odg"},
        {"application/epub+zip", "epub"},
    };
    for (const Kind& k : kExact)
        if (mime == k.mime) return k.ext;
    constexpr std::string_view kOpenOffice = "application/vnd.sun.xml.";
    if (mime.substr(0, kOpenOffice.size()) != kOpenOffice) return nullptr;
    const std::string_view rest = mime.substr(kOpenOffice.size());
    if (rest.starts_with("calc")) return "sxc";
    if (rest.starts_with("impress")) return "sxi";
    if (rest.starts_with("writer")) return "sxw";
    return "sx";
}

const char* kind_of(const Names& n, const char* mime_kind) {
    if (mime_kind) return mime_kind;
    if (n.manifest && (n.dex || n.resources)) return "apk";
    if (n.content_types) {
        if (n.word) return "docx";
        if (n.xl) return "xlsx";
        if (n.ppt) return "pptx";
    }
    if (n.content_xml) return "sx";
    if (n.java) return "jar";
    return "zip";
}

std::string_view text_at(const ByteView& v, uint64_t at, uint64_t len) {
    if (!v.has(at, len)) return {};
    return {reinterpret_cast<const char*>(v.data() + at), static_cast<size_t>(len)};
}

struct EndRecord {
    uint64_t end;         // after the record and its comment
    uint64_t directory;   // where the central directory starts
    uint64_t directory_size;
};

// The end record at f, if the directory it names lies right before it.
// `more` is set when the bytes given end before the record does.
std::optional<EndRecord> end_record_at(const ByteView& v, uint64_t f, bool& more) {
    const auto disk = v.le16(f + 4), cd_disk = v.le16(f + 6), on_disk = v.le16(f + 8), entries = v.le16(f + 10);
    const auto cd_size = v.le32(f + 12), cd_at = v.le32(f + 16);
    const auto comment = v.le16(f + 20);
    if (!disk || !cd_disk || !on_disk || !entries || !cd_size || !cd_at || !comment) {
        more = true;
        return std::nullopt;
    }
    if (*disk != 0 || *cd_disk != 0 || *on_disk != *entries) return std::nullopt;
    uint64_t dir = *cd_at, dir_size = *cd_size;
    uint64_t dir_end = f;
    if (*cd_at == 0xFFFFFFFF || *cd_size == 0xFFFFFFFF || *entries == 0xFFFF) {
        // ZIP64: the locator lies right before the end record.
        if (f < 20 || !v.equals(f - 20, "PK\x06\x07")) return std::nullopt;
        const auto at = v.le64(f - 20 + 8);
        if (!at || *at >= f - 20 || !v.equals(*at, "PK\x06\x06")) return std::nullopt;
        const auto big_size = v.le64(*at + 40), big_at = v.le64(*at + 48);
        if (!big_size || !big_at) return std::nullopt;
        dir = *big_at;
        dir_size = *big_size;
        dir_end = *at;
    }
    if (dir > dir_end || dir_size != dir_end - dir) return std::nullopt;
    if (dir_size > 0 && !v.equals(dir, "PK\x01\x02")) return std::nullopt;
    const uint64_t end = f + 22 + *comment;
    if (end > v.size()) {
        more = true;
        return std::nullopt;
    }
    return EndRecord{end, dir, dir_size};
}

// The names of the central directory's records.
void read_directory(const ByteView& v, const EndRecord& e, Names& names) {
    uint64_t p = e.directory;
    const uint64_t end = e.directory + e.directory_size;
    for (int n = 0; n < kMostEntriesLooked && p + 46 <= end && v.equals(p, "PK\x01\x02"); ++n) {
        const uint64_t name_len = *v.le16(p + 28), extra = *v.le16(p + 30), comment = *v.le16(p + 32);
        names.see(text_at(v, p + 46, name_len));
        p += 46 + name_len + extra + comment;
    }
}

ExtractResult extract_zip(const ExtractInput& in) {
    static const Pattern kEnd = make_pattern("PK\x05\x06");
    const ByteView v(in);
    const uint64_t r = v.size();
    const uint64_t max = in.spec->max_length;
    if (r < 100) return needs_more(in);

    // The local headers, as far as their sizes carry.
    Names names;
    const char* mime_kind = nullptr;
    uint64_t p = 0;
    for (int n = 0; n < kMostEntriesLooked && v.equals(p, "PK\x03\x04"); ++n) {
        const auto flags = v.le16(p + 6), method = v.le16(p + 8);
        const auto csize = v.le32(p + 18);
        const auto name_len = v.le16(p + 26), extra_len = v.le16(p + 28);
        if (!flags || !method || !csize || !name_len || !extra_len) break;
        if (*name_len == 0 || *name_len > kLongestName) break;
        const std::string_view name = text_at(v, p + 30, *name_len);
        names.see(name);
        const uint64_t data = p + 30 + *name_len + *extra_len;
        if (n == 0 && name == "mimetype" && *method == 0 && *csize < 256)
            mime_kind = kind_of_mimetype(text_at(v, data, *csize));
        // Sizes that follow the data (or live in a ZIP64 field) are not known here.
        if (((*flags & kDataDescriptor) && *csize == 0) || *csize == 0xFFFFFFFF) break;
        const uint64_t next = data + *csize;
        if (next > r) break;
        p = next;
    }
    if (p == 0 && !v.equals(0, "PK\x03\x04")) return skip(in);

    // The end record that closes this archive.
    std::optional<EndRecord> end;
    uint64_t from = p;
    bool more = false;
    const uint64_t limit = std::min(r, max);
    while (!end) {
        const auto f = v.find(kEnd, from, limit > from ? limit - from : 0);
        if (!f) break;
        end = end_record_at(v, *f, more);
        if (more) break;
        from = *f + 1;
    }
    if (!end) {
        if ((more || limit == r) && !no_more_bytes(in) && r < max) return std::nullopt;
        return go_on(in, p);
    }
    read_directory(v, *end, names);
    const std::string ext = kind_of(names, mime_kind);
    in.spec->extension = ext;
    const char* want = wanted_kind(in.spec->type);
    if (!want || ext == want) record_at(in, 0, end->end);
    return end->end;
}

}  // namespace

FormatDefinition zip_format() {
    const std::vector<uint8_t> header{0x50, 0x4B, 0x03, 0x04};
    // One byte into the end-of-central-directory record ("PK\5\6" then disk 0).
    const std::vector<uint8_t> end_record_inside{0x4B, 0x05, 0x06, 0x00};
    auto kind = [&](const char* ext, FormatType type, uint64_t max) {
        return FormatRow{ext, type, header, end_record_inside, max, {}, true, extract_zip};
    };
    return {kind("zip", FormatType::Zip, 100 * kMiB),
            {{"zip", FormatRow{"zip", FormatType::Zip, header, {0x50, 0x4B, 0x05, 0x06}, 100 * kMiB, {}, true,
                               extract_zip}},
             {"sxw", kind("sxw", FormatType::Sxw, 10 * kMiB)},
             {"sxc", kind("sxc", FormatType::Sxc, 10 * kMiB)},
             {"sxi", kind("sxi", FormatType::Sxi, 10 * kMiB)},
             {"apk", kind("apk", FormatType::Apk, 100 * kMiB)},
             {"docx", kind("docx", FormatType::Docx, 100 * kMiB)},
             {"xlsx", kind("xlsx", FormatType::Xlsx, 100 * kMiB)},
             {"pptx", kind("pptx", FormatType::Pptx, 100 * kMiB)},
             {"odt", kind("odt", FormatType::Odt, 100 * kMiB)},
             {"ods", kind("ods", FormatType::Ods, 100 * kMiB)},
             {"odp", kind("odp", FormatType::Odp, 100 * kMiB)},
             {"jar", kind("jar", FormatType::Jar, 100 * kMiB)}}};
}

}  // namespace quen::cdr::fmt
