#pragma once
// Which files a recovery writes for contacts and messages: the report pages,
// and the files that phones and desktop programs import.
#include <optional>
#include <string>
#include <string_view>

namespace quen::exports {

enum class ExportFormat : unsigned {
    Html = 1,    // Contacts.html, Messages.html
    Vcard = 2,   // Contacts.vcf
    SmsXml = 4,  // Messages.xml
    Csv = 8,     // Contacts.csv, Messages.csv
};

class ExportFormats {
public:
    // Every format.
    static constexpr ExportFormats all() { return ExportFormats(15); }
    static constexpr ExportFormats none() { return ExportFormats(0); }

    constexpr bool has(ExportFormat format) const { return (bits_ & static_cast<unsigned>(format)) != 0; }
    constexpr void add(ExportFormat format) { bits_ |= static_cast<unsigned>(format); }
    constexpr bool empty() const { return bits_ == 0; }
    // Whether any chosen format writes a file of that kind; a kind with none
    // gets no folder.
    constexpr bool writes_contacts() const { return has(ExportFormat::Html) || has(ExportFormat::Vcard) || has(ExportFormat::Csv); }
    constexpr bool writes_messages() const { return has(ExportFormat::Html) || has(ExportFormat::SmsXml) || has(ExportFormat::Csv); }

    friend constexpr bool operator==(ExportFormats, ExportFormats) = default;

private:
    explicit constexpr ExportFormats(unsigned bits) : bits_(bits) {}
    unsigned bits_;
};

// The formats of a comma-separated list of the names "html", "vcf", "xml" and
// "csv" (any order, blanks around a name allowed, repeats harmless). Empty,
// with `error` naming the culprit, for an unknown name or an empty list.
std::optional<ExportFormats> parse_export_formats(std::string_view list, std::string& error);

}  // namespace quen::exports
