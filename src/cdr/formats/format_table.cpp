// The carving engine's file types: the built-in table, the -t name table and
// the dispatch of type ids to extractors.
#include "cdr/formats/format_table.h"

#include <string>

#include "cdr/extractor.h"
#include "cdr/formats/extractors.h"

namespace quen::cdr {

namespace {

using Bytes = std::vector<uint8_t>;

Bytes text(std::string_view s) { return Bytes(s.begin(), s.end()); }

constexpr uint64_t kMiB = 1024 * 1024;

// Type ids.
enum : int {
    kJpeg = 0, kGif = 1, kBmp = 2, kMpeg = 3, kPdf = 4, kDoc = 5, kAvi = 6, kWmv = 7,
    kHtml = 8, kZip = 9, kMov = 10, kXls = 11, kPpt = 12, kWpd = 13, kCpp = 14, kOle = 15,
    kGzip = 16, kRif = 17, kWav = 18, kVjpeg = 19, kSxw = 20, kSxc = 21, kSxi = 22,
    kPng = 24, kRar = 25, kExe = 26, kElf = 27, kReg = 28,
};

const Bytes kJpegHeader{0xFF, 0xD8, 0xFF};
const Bytes kJpegFooter{0xFF, 0xD9};
const Bytes kGifFooter{0x00, 0x3B};
const Bytes kGifMarker{0x00, 0x00, 0x3B};
const Bytes kWmvHeader{0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11};
const Bytes kWmvFooter{0xA1, 0xDC, 0xAB, 0x8C, 0x47, 0xA9};
// OLE compound file signature followed by a zero class id start.
const Bytes kOleHeader{0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1, 0, 0, 0, 0, 0, 0, 0, 0};
const Bytes kZipHeader{0x50, 0x4B, 0x03, 0x04};
// One byte into the end-of-central-directory record ("PK\5\6" then disk 0).
const Bytes kZipFooter{0x4B, 0x05, 0x06, 0x00};
const Bytes kZipEocd{0x50, 0x4B, 0x05, 0x06};
const Bytes kRarHeader{0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x00};
const Bytes kRarFooter(8, 0x00);
const Bytes kPngHeader{0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};
const Bytes kMpegHeader{0x00, 0x00, 0x01, 0xBA};
const Bytes kMpegFooter{0x00, 0x00, 0x01, 0xB9};
const Bytes kMpegMarker{0x00, 0x00, 0x01};

std::vector<Bytes> pdf_markers() { return {text("/L "), text("obj"), text("/Linearized"), text("/Length")}; }

FormatRow row(const char* ext, int type, Bytes header, Bytes footer, uint64_t max,
              std::vector<Bytes> markers = {}, bool case_sensitive = true) {
    return FormatRow{ext, type, std::move(header), std::move(footer), max, std::move(markers), case_sensitive};
}

std::vector<FormatRow> make_builtin() {
    std::vector<FormatRow> t;
    t.push_back(row("jpg", kJpeg, kJpegHeader, kJpegFooter, 20 * kMiB));
    t.push_back(row("gif", kGif, text("GIF8"), kGifFooter, 1 * kMiB, {kGifMarker}));
    t.push_back(row("bmp", kBmp, text("BM"), {}, 2 * kMiB));
    t.push_back(row("wmv", kWmv, kWmvHeader, kWmvFooter, 40 * kMiB));
    t.push_back(row("mov", kMov, text("moov"), {}, 40 * kMiB));
    t.push_back(row("rif", kRif, text("RIFF"), text("INFO"), 20 * kMiB));
    t.push_back(row("htm", kHtml, text("<html"), text("</html>"), 1 * kMiB, {}, false));
    t.push_back(row("ole", kOle, kOleHeader, {}, 5 * kMiB));
    t.push_back(row("zip", kZip, kZipHeader, kZipFooter, 100 * kMiB));
    t.push_back(row("rar", kRar, kRarHeader, kRarFooter, 100 * kMiB));
    t.push_back(row("exe", kExe, text("MZ"), {}, 1 * kMiB));
    t.push_back(row("png", kPng, kPngHeader, text("IEND"), 1 * kMiB));
    t.push_back(row("mpg", kMpeg, kMpegHeader, kMpegFooter, 50 * kMiB, {kMpegMarker}));
    t.push_back(row("pdf", kPdf, text("%PDF-1."), text("%%EOF"), 40 * kMiB, pdf_markers()));
    return t;
}

// The built-in row of an extension, with another max length.
FormatRow as_builtin(std::string_view ext, uint64_t max) {
    for (const FormatRow& r : builtin_formats())
        if (ext == r.extension) {
            FormatRow copy = r;
            copy.max_length = max;
            return copy;
        }
    return {};
}

struct NameEntry {
    const char* name;
    FormatRow (*make)();
};

// One row per -t name; "all" (the built-in table) is handled by formats_for_name.
const std::vector<NameEntry>& name_table() {
    static const std::vector<NameEntry> table{
        {"jpg", [] { return as_builtin("jpg", 20 * kMiB); }},
        {"jpeg", [] { return as_builtin("jpg", 20 * kMiB); }},
        {"gif", [] { return as_builtin("gif", 1 * kMiB); }},
        {"bmp", [] { return as_builtin("bmp", 2 * kMiB); }},
        {"exe", [] { return as_builtin("exe", 1 * kMiB); }},
        {"elf", [] { return row("elf", kElf, {0x7F, 0x45, 0x4C, 0x46}, {}, 1 * kMiB); }},
        {"reg", [] { return row("reg", kReg, text("regf"), {}, 2 * kMiB); }},
        {"mpg", [] { return as_builtin("mpg", 50 * kMiB); }},
        {"mpeg", [] { return as_builtin("mpg", 50 * kMiB); }},
        {"wmv", [] { return as_builtin("wmv", 20 * kMiB); }},
        {"avi", [] { return row("avi", kAvi, text("RIFF"), text("INFO"), 20 * kMiB); }},
        {"rif", [] { return row("rif", kRif, text("RIFF"), text("INFO"), 20 * kMiB); }},
        {"wav", [] { return row("wav", kWav, text("RIFF"), text("INFO"), 20 * kMiB); }},
        {"html", [] { return as_builtin("htm", 1 * kMiB); }},
        {"htm", [] { return as_builtin("htm", 1 * kMiB); }},
        {"ole", [] { return row("ole", kOle, kOleHeader, {}, 10 * kMiB); }},
        {"office", [] { return row("ole", kOle, kOleHeader, {}, 10 * kMiB); }},
        {"doc", [] { return row("doc", kDoc, kOleHeader, {}, 20 * kMiB); }},
        {"xls", [] { return row("xls", kXls, kOleHeader, {}, 10 * kMiB); }},
        {"ppt", [] { return row("ppt", kPpt, kOleHeader, {}, 10 * kMiB); }},
        {"zip", [] { return row("zip", kZip, kZipHeader, kZipEocd, 100 * kMiB); }},
        {"rar", [] { return as_builtin("rar", 100 * kMiB); }},
        {"sxw", [] { return row("sxw", kSxw, kZipHeader, kZipFooter, 10 * kMiB); }},
        {"sxc", [] { return row("sxc", kSxc, kZipHeader, kZipFooter, 10 * kMiB); }},
        {"sxi", [] { return row("sxi", kSxi, kZipHeader, kZipFooter, 10 * kMiB); }},
        {"gzip", [] { return row("gz", kGzip, {0x1F, 0x8B}, Bytes(4, 0x00), 100 * kMiB); }},
        {"gz", [] { return row("gz", kGzip, {0x1F, 0x8B}, Bytes(4, 0x00), 100 * kMiB); }},
        {"pdf", [] { return as_builtin("pdf", 20 * kMiB); }},
        {"vjpeg", [] { return row("mov", kVjpeg, text("pnot"), {}, 40 * kMiB); }},
        {"mov", [] { return row("mov", kMov, text("moov"), {}, 40 * kMiB); }},
        {"wpd", [] { return row("wpd", kWpd, {0xFF, 0x57, 0x50, 0x43}, {}, 1 * kMiB); }},
        {"cpp", [] { return row("cpp", kCpp, text("#include"), text("char"), 1 * kMiB, {text("int")}); }},
        {"png", [] { return as_builtin("png", 1 * kMiB); }},
    };
    return table;
}

struct DispatchEntry {
    int type;
    ExtractFn fn;
};

// The one table from type id to extractor. Types 13 (wpd), 16 (gz), 27 (elf)
// and 28 (reg) have none: their headers are found, no file is recorded.
constexpr DispatchEntry kDispatch[] = {
    {kJpeg, fmt::extract_jpeg},
    {kGif, fmt::extract_gif},
    {kBmp, fmt::extract_bmp},
    {kMpeg, fmt::extract_mpeg},
    {kPdf, fmt::extract_pdf},
    {kDoc, fmt::extract_ole},
    {kXls, fmt::extract_ole},
    {kPpt, fmt::extract_ole},
    {kOle, fmt::extract_ole},
    {kAvi, fmt::extract_riff},
    {kRif, fmt::extract_riff},
    {kWav, fmt::extract_riff},
    {kWmv, fmt::extract_wmv},
    {kHtml, fmt::extract_html},
    {kZip, fmt::extract_zip},
    {kSxw, fmt::extract_zip},
    {kSxc, fmt::extract_zip},
    {kSxi, fmt::extract_zip},
    {kMov, fmt::extract_quicktime},
    {kVjpeg, fmt::extract_quicktime},
    {kCpp, fmt::extract_cpp_source},
    {kPng, fmt::extract_png},
    {kRar, fmt::extract_rar},
    {kExe, fmt::extract_exe},
};

}  // namespace

const std::vector<FormatRow>& builtin_formats() {
    static const std::vector<FormatRow> table = make_builtin();
    return table;
}

std::vector<FormatRow> formats_for_name(std::string_view name) {
    if (name == "all") return builtin_formats();
    for (const NameEntry& e : name_table())
        if (name == e.name) return {e.make()};
    return {};
}

ExtractFn find_extractor(int type) {
    for (const DispatchEntry& e : kDispatch)
        if (e.type == type) return e.fn;
    return nullptr;
}

}  // namespace quen::cdr
