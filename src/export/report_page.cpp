#include "export/report_page.h"

#include <cstdio>
#include <memory>

#include "export/file_output.h"
#include "platform/paths.h"

namespace quen::exports {
namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Text-mode reading: a CR LF pair becomes LF; a lone CR stays.
std::string crlf_to_lf(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        out.push_back(text[i]);
    }
    return out;
}

// Text-mode writing: every LF becomes CR LF.
std::string lf_to_crlf(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        if (c == '\n') out.push_back('\r');
        out.push_back(c);
    }
    return out;
}

// The whole file, read in pieces of up to 255 bytes. False when it cannot be
// opened or a read fails.
bool read_whole_file(const std::string& path, std::string& out) {
    File file(std::fopen(path.c_str(), "rb"));
    if (!file) return false;
    char piece[255];
    for (;;) {
        const size_t got = std::fread(piece, 1, sizeof piece, file.get());
        out.append(piece, got);
        if (got < sizeof piece) break;
    }
    return std::ferror(file.get()) == 0;
}

}  // namespace

std::string default_template_path() {
    const std::string folder = platform::program_folder();
    if (folder.empty()) return {};
    return folder + "/" + std::string(kTemplateName);
}

std::string template_or_default(const std::string& template_path) {
    return template_path.empty() ? default_template_path() : template_path;
}

bool build_report_page(std::string_view template_text, std::string_view title,
                       std::string_view data, std::string& page) {
    page.clear();
    std::string text = crlf_to_lf(template_text);

    const size_t data_at = text.find(kDataMarker);
    if (data_at == std::string::npos) return false;
    std::string statement = "var data = ";
    statement.append(data);
    statement.push_back(';');
    text.replace(data_at, kDataMarker.size(), statement);

    const size_t title_at = text.find(kTitleMarker);
    if (title_at == std::string::npos) return false;
    std::string title_element = "<title>";
    title_element.append(title);
    title_element.append("</title>");
    text.replace(title_at, kTitleMarker.size(), title_element);

    page = lf_to_crlf(text);
    return true;
}

ReportStatus write_report_page(std::string_view title, std::string_view data, const std::string& template_path,
                               const std::string& output_path) {
    std::string template_text;
    if (template_path.empty() || !read_whole_file(template_path, template_text))
        return ReportStatus::TemplateMissing;

    std::string page;
    if (!build_report_page(template_text, title, data, page)) return ReportStatus::TemplateInvalid;

    if (!write_file_replacing(output_path, page)) return ReportStatus::WriteFailed;
    return ReportStatus::Written;
}

}  // namespace quen::exports
