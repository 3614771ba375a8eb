#pragma once
// File types as the carving engine sees them: the row a format defines (type
// id, extension, header, footer, largest size, markers, case rule and
// extractor), where a run finds its rows by -t name, and the SearchSpec a run
// searches with.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cdr/engine/extractor.h"
#include "cdr/engine/pattern.h"

namespace quen::cdr {

struct CdrNode;

// The type ids of the file types. Types that share a format (OLE, RIFF, ZIP,
// QuickTime) share its extractor, which reads the wanted kind from the id.
enum class FormatType : int {
    Jpeg = 0, Gif = 1, Bmp = 2, Mpeg = 3, Pdf = 4, Doc = 5, Avi = 6, Wmv = 7,
    Html = 8, Zip = 9, Mov = 10, Xls = 11, Ppt = 12, Wpd = 13, Cpp = 14, Ole = 15,
    Gzip = 16, Riff = 17, Wav = 18, Vjpeg = 19, Sxw = 20, Sxc = 21, Sxi = 22,
    Png = 24, Rar = 25, Exe = 26, Elf = 27, Reg = 28,
    // Formats after the built-in table: what phones write.
    IsoMedia = 40, IsoPicture = 41, IsoM4a = 42, Iso3gp = 43, Webp = 44, Mp3 = 45, Ogg = 46, Amr = 47,
    AmrWb = 48, Sqlite = 49, Vcard = 50,
    Apk = 60, Docx = 61, Xlsx = 62, Pptx = 63, Odt = 64, Ods = 65, Odp = 66, Jar = 67,
};

// Quick mode: whether a file of the row starts at `at` (a block start, with
// `available` bytes readable from there), and if so how far into the file its
// header lies: the hit handed to the extractor. For formats whose header
// follows a lead-in of varying length (HTML after a DOCTYPE) or that have
// more than one way to begin (MP3 with or without a tag).
using StartFn = std::optional<uint32_t> (*)(const uint8_t* at, size_t available);

// One file type as a format file defines it.
struct FormatRow {
    const char* extension;
    FormatType type;
    std::vector<uint8_t> header;
    std::vector<uint8_t> footer;   // empty: none
    uint64_t max_length;           // largest file accepted; also the window size
    std::vector<std::vector<uint8_t>> markers;
    bool case_sensitive;
    ExtractFn extractor = nullptr;  // null: headers are found, no file is recorded
    // How far into the file the header lies ("moov" and "ftyp" follow a
    // 4-byte size): quick mode compares it there from each block start.
    uint32_t header_offset = 0;
    // Quick mode asks this instead of comparing the header (see StartFn),
    // at blocks whose first byte is one of start_bytes (empty: any byte).
    StartFn starts = nullptr;
    std::string_view start_bytes = {};
    // The extractor finds the end by reading headers far apart straight from
    // the device (ExtractInput::fetch), so the file is never read whole into
    // a window: max_length may then be as large as the format allows.
    bool fetches = false;
};

// Where a run finds its file types: the rows a -t name sets up ("all": the
// whole table; empty when the name is unknown). The real catalog is the
// built-in format table (cdr/formats/format_table.h); tests hand the engine
// small catalogs of their own.
struct FormatCatalog {
    std::function<std::vector<FormatRow>(std::string_view name)> rows_for_name;
};

constexpr size_t kMaxMarkers = 5;
constexpr size_t kMaxSpecs = 50;

struct SearchSpec {
    std::string extension;        // used in names; extractors may change it during a run
    FormatType type = FormatType::Jpeg;  // the wanted kind, for extractors serving several types
    ExtractFn extract = nullptr;  // null: no file is ever recorded
    uint64_t max_length = 0;      // largest file accepted; also the window size
    Pattern header;
    Pattern footer;               // empty: none
    std::vector<Pattern> markers; // at most kMaxMarkers
    bool case_sensitive = true;
    uint32_t header_offset = 0;
    StartFn starts = nullptr;
    std::string_view start_bytes = {};
    bool fetches = false;         // no window: the extractor fetches what it needs
    uint64_t found_count = 0;
    bool written = false;         // a file was recorded for the current hit
    CdrNode* type_node = nullptr; // the file-type node; owned by the tree
};

// The row made into the SearchSpec the engine searches with: its patterns
// built for the row's case rule, at most kMaxMarkers markers. No file-type
// node yet.
SearchSpec spec_from_row(const FormatRow& row);

}  // namespace quen::cdr
