#pragma once
// The file types the carving engine knows. Each format file defines its own
// rows (type id, extension, header, footer, largest size, markers, case rule,
// extractor) in one function; format_table.cpp lists those functions in
// table order and builds from them the built-in table (set-up order is also
// search order within a chunk) and the names accepted by -t. A new format is
// one file, its function's declaration below and one line in that list.
// Formats added to the ones the engine started with come after them, so the
// first rows keep their order; all are in "all", the storage scan's table.
#include <optional>
#include <string_view>
#include <vector>

#include "cdr/engine/search_spec.h"

namespace quen::cdr {

// A -t name and the row it sets up.
struct NamedRow {
    const char* name;
    FormatRow row;
};

// What one format file defines.
struct FormatDefinition {
    std::optional<FormatRow> builtin;  // its row in the built-in table ("all"), if it has one
    std::vector<NamedRow> names;       // the -t names it answers to
};

// The built-in table ("all"), in set-up order.
const std::vector<FormatRow>& builtin_formats();

// The rows that the -t name sets up (one row, or the built-in table for "all");
// empty when the name is unknown. Names compare case-sensitively.
std::vector<FormatRow> formats_for_name(std::string_view name);

// The built-in formats as the engine's catalog.
const FormatCatalog& builtin_catalog();

namespace fmt {

// One per format file. Types that share a format (OLE, RIFF, ZIP, QuickTime)
// are defined together, and share one extractor that reads the wanted kind
// from the SearchSpec's type.
FormatDefinition jpeg_format();
FormatDefinition gif_format();
FormatDefinition bmp_format();
FormatDefinition wmv_format();
FormatDefinition quicktime_format();
FormatDefinition riff_format();
FormatDefinition html_format();
FormatDefinition ole_format();
FormatDefinition zip_format();
FormatDefinition rar_format();
FormatDefinition exe_format();
FormatDefinition png_format();
FormatDefinition mpeg_format();
FormatDefinition pdf_format();
FormatDefinition cpp_source_format();
FormatDefinition header_only_formats();
// After the built-in table: what phones write.
FormatDefinition iso_media_format();
FormatDefinition iso_picture_format();
FormatDefinition webp_format();
FormatDefinition mp3_format();
FormatDefinition ogg_format();
FormatDefinition amr_format();
FormatDefinition amr_wb_format();
FormatDefinition sqlite_format();
FormatDefinition vcard_format();

}  // namespace fmt
}  // namespace quen::cdr
