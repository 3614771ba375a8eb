#pragma once
// File types as the carving engine sees them: the row a format defines (type
// id, extension, header, footer, largest size, markers, case rule and
// extractor), where a run finds its rows by -t name, and the SearchSpec a run
// searches with.
#include <cstdint>
#include <functional>
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
};

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
    uint64_t found_count = 0;
    bool written = false;         // a file was recorded for the current hit
    CdrNode* type_node = nullptr; // the file-type node; owned by the tree
};

// The row made into the SearchSpec the engine searches with: its patterns
// built for the row's case rule, at most kMaxMarkers markers. No file-type
// node yet.
SearchSpec spec_from_row(const FormatRow& row);

}  // namespace quen::cdr
