#include "export/export_formats.h"

namespace quen::exports {
namespace {

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

}  // namespace

std::optional<ExportFormats> parse_export_formats(std::string_view list, std::string& error) {
    ExportFormats formats = ExportFormats::none();
    for (size_t start = 0; start <= list.size();) {
        size_t comma = list.find(',', start);
        if (comma == std::string_view::npos) comma = list.size();
        const std::string_view name = trimmed(list.substr(start, comma - start));
        if (name == "html") formats.add(ExportFormat::Html);
        else if (name == "vcf") formats.add(ExportFormat::Vcard);
        else if (name == "xml") formats.add(ExportFormat::SmsXml);
        else if (name == "csv") formats.add(ExportFormat::Csv);
        else {
            error = name.empty() ? "an empty format name in \"" + std::string(list) + "\""
                                 : "unknown format \"" + std::string(name) + "\"";
            error += " (the formats are html, vcf, xml, csv)";
            return std::nullopt;
        }
        start = comma + 1;
    }
    return formats;
}

}  // namespace quen::exports
