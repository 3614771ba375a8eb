#include "cdr/formats/format_table.h"

namespace quen::cdr {

namespace {

using DefineFn = FormatDefinition (*)();

// Every format, in built-in table order (the order headers are searched for
// within a chunk); formats outside the built-in table last.
constexpr DefineFn kFormats[] = {
    fmt::jpeg_format,  fmt::gif_format,  fmt::bmp_format,  fmt::wmv_format, fmt::quicktime_format,
    fmt::riff_format,  fmt::html_format, fmt::ole_format,  fmt::zip_format, fmt::rar_format,
    fmt::exe_format,   fmt::png_format,  fmt::mpeg_format, fmt::pdf_format, fmt::cpp_source_format,
    fmt::header_only_formats,
    fmt::iso_media_format, fmt::iso_picture_format, fmt::webp_format, fmt::mp3_format, fmt::ogg_format,
    fmt::amr_format, fmt::amr_wb_format, fmt::sqlite_format, fmt::vcard_format,
};

const std::vector<FormatDefinition>& definitions() {
    static const std::vector<FormatDefinition> defs = [] {
        std::vector<FormatDefinition> out;
        for (DefineFn define : kFormats) out.push_back(define());
        return out;
    }();
    return defs;
}

}  // namespace

const std::vector<FormatRow>& builtin_formats() {
    static const std::vector<FormatRow> table = [] {
        std::vector<FormatRow> rows;
        for (const FormatDefinition& d : definitions())
            if (d.builtin) rows.push_back(*d.builtin);
        return rows;
    }();
    return table;
}

std::vector<FormatRow> formats_for_name(std::string_view name) {
    if (name == "all") return builtin_formats();
    for (const FormatDefinition& d : definitions())
        for (const NamedRow& n : d.names)
            if (name == n.name) return {n.row};
    return {};
}

const FormatCatalog& builtin_catalog() {
    static const FormatCatalog catalog{[](std::string_view name) { return formats_for_name(name); }};
    return catalog;
}

}  // namespace quen::cdr
