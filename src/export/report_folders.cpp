#include "export/report_folders.h"

#include <filesystem>
#include <system_error>

#include "export/kind_folder.h"
#include "platform/local_time.h"

namespace quen::exports {

std::string output_folder_name(std::string_view time_text) {
    std::string name = "Retrivane";
    name.append(time_text);
    return name;
}

std::string counted_label(std::string_view name, long long count) {
    std::string label(name);
    label.append(" (");
    label.append(std::to_string(count));
    label.push_back(')');
    return label;
}

std::string report_folder_name(std::string_view item_label, long long n) {
    std::string name(item_label.substr(0, item_label.find('(')));
    name.push_back('(');
    name.append(std::to_string(n));
    name.push_back(')');
    return name;
}

std::string report_status_text(ReportStatus status) {
    switch (status) {
        case ReportStatus::Written: return "written";
        case ReportStatus::Nothing: return "nothing to write";
        case ReportStatus::TemplateMissing: return "the template page cannot be read";
        case ReportStatus::TemplateInvalid: return "the template page lacks its markers";
        case ReportStatus::WriteFailed: return "the page cannot be written";
    }
    return "unknown";
}

PhoneReports write_phone_reports(const records::ContactList& contacts, const records::ThreadList& threads,
                                 const std::string& out_dir, std::string time_text,
                                 const std::string& template_path, ExportFormats formats) {
    PhoneReports result;
    if (out_dir.empty()) {
        result.error = "no output folder given";
        return result;
    }
    const ExportOptions options{formats, template_or_default(template_path)};
    std::error_code ec;
    if (formats.has(ExportFormat::Html) &&
        (options.template_path.empty() || !std::filesystem::is_regular_file(options.template_path, ec))) {
        result.error = "cannot read the template page " +
                       (options.template_path.empty() ? std::string(kTemplateName) : options.template_path);
        return result;
    }
    if (time_text.empty()) time_text = platform::local_time_text("%Y%m%d%H%M%S");
    result.output_folder = out_dir + "/" + output_folder_name(time_text);
    std::filesystem::create_directories(result.output_folder, ec);
    if (ec || !std::filesystem::is_directory(result.output_folder, ec)) {
        result.error = "cannot create folder " + result.output_folder + (ec ? ": " + ec.message() : "");
        return result;
    }

    const KindFiles contact_files =
        write_contacts_folder(result.output_folder, counted_label("Contacts", static_cast<long long>(contacts.size())),
                              checked_records(contacts), options);
    const KindFiles message_files =
        write_messages_folder(result.output_folder, counted_label("Messages", static_cast<long long>(threads.size())),
                              checked_records(threads), options);
    for (const KindFiles* kind : {&contact_files, &message_files}) {
        result.files.insert(result.files.end(), kind->files.begin(), kind->files.end());
        if (kind->ok) continue;
        if (!result.error.empty()) result.error += "; ";
        result.error += kind->error;
    }
    auto written = [&](const KindFiles& kind, const char* name) {
        for (const std::string& path : kind.files)
            if (std::filesystem::path(path).filename() == name) return path;
        return std::string();
    };
    result.contacts_page = written(contact_files, "Contacts.html");
    result.messages_page = written(message_files, "Messages.html");
    result.ok = contact_files.ok && message_files.ok;
    return result;
}

}  // namespace quen::exports
