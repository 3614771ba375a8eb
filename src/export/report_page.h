#pragma once
// Writing one report page: the template page with its title filled in and the
// row table inserted as the statement that assigns the data array.
#include <string>
#include <string_view>

namespace quen::exports {

// The two markers the template must hold.
inline constexpr std::string_view kDataMarker = "var data = [];";
inline constexpr std::string_view kTitleMarker = "<title></title>";

// The template's file name, looked up beside the program.
inline constexpr std::string_view kTemplateName = "template.html";

// How writing a page ended.
enum class ReportStatus {
    Written,          // the page is on disk
    Nothing,          // an empty list: no page written, by design
    TemplateMissing,  // the template could not be opened or read
    TemplateInvalid,  // the template lacks one of the two markers
    WriteFailed,      // the page could not be written (nothing left half-written)
};

// "template.html" in the program's folder; empty when the folder is unknown.
std::string default_template_path();

// `template_path`, or default_template_path() when it is empty.
std::string template_or_default(const std::string& template_path);

// The page text from the template text: line ends read as the platform's text
// mode reads them (CR LF becomes LF), the first kDataMarker replaced with
// "var data = " + data + ";", then the first kTitleMarker of the result
// replaced with "<title>" + title + "</title>", and every LF written as CR LF.
// Returns false (and leaves `page` empty) when a marker is missing.
bool build_report_page(std::string_view template_text, std::string_view title,
                       std::string_view data, std::string& page);

// Reads the template, builds the page with `data` (a serialised row table)
// and writes it to `output_path`, replacing an existing file. The page is
// written to a temporary file beside it first and then renamed over it, so a
// failed write never leaves a truncated page or destroys the earlier one.
ReportStatus write_report_page(std::string_view title, std::string_view data, const std::string& template_path,
                               const std::string& output_path);

}  // namespace quen::exports
