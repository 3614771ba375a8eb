#include "export/report_folders.h"

#include <filesystem>
#include <system_error>

#include "export/export_contacts.h"
#include "export/export_messages.h"
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

namespace {

bool make_folder(const std::string& path, std::string& error) {
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    if (ec || !std::filesystem::is_directory(path, ec)) {
        error = "cannot create folder " + path + (ec ? ": " + ec.message() : "");
        return false;
    }
    return true;
}

template <typename Record>
std::vector<Record*> checked_only(const std::vector<Record*>& list) {
    std::vector<Record*> out;
    for (Record* record : list)
        if (record != nullptr && record->checked) out.push_back(record);
    return out;
}

}  // namespace

PhoneReports write_phone_reports(const records::ContactList& contacts, const records::ThreadList& threads,
                                 const std::string& out_dir, std::string time_text,
                                 const std::string& template_path) {
    PhoneReports result;
    if (out_dir.empty()) {
        result.error = "no output folder given";
        return result;
    }
    const std::string page_template = template_or_default(template_path);
    std::error_code ec;
    if (page_template.empty() || !std::filesystem::is_regular_file(page_template, ec)) {
        result.error = "cannot read the template page " +
                       (page_template.empty() ? std::string(kTemplateName) : page_template);
        return result;
    }
    if (time_text.empty()) time_text = platform::local_time_text("%Y%m%d%H%M%S");
    result.output_folder = out_dir + "/" + output_folder_name(time_text);
    if (!make_folder(result.output_folder, result.error)) return result;

    const records::ContactList chosen_contacts = checked_only(contacts);
    if (!chosen_contacts.empty()) {
        const std::string folder =
            result.output_folder + "/" +
            report_folder_name(counted_label("Contacts", static_cast<long long>(contacts.size())),
                               static_cast<long long>(chosen_contacts.size()));
        if (!make_folder(folder, result.error)) return result;
        const ReportStatus status =
            export_contacts(ContactExport(chosen_contacts, folder, page_template));
        if (status != ReportStatus::Written) {
            result.error = folder + "/Contacts.html: " + report_status_text(status);
            return result;
        }
        result.contacts_page = folder + "/Contacts.html";
    }

    const records::ThreadList chosen_threads = checked_only(threads);
    if (!chosen_threads.empty()) {
        const std::string folder =
            result.output_folder + "/" +
            report_folder_name(counted_label("Messages", static_cast<long long>(threads.size())),
                               static_cast<long long>(chosen_threads.size()));
        if (!make_folder(folder, result.error)) return result;
        const ReportStatus status =
            export_messages(MessageExport(chosen_threads, folder, page_template));
        if (status != ReportStatus::Written) {
            result.error = folder + "/Messages.html: " + report_status_text(status);
            return result;
        }
        result.messages_page = folder + "/Messages.html";
    }
    result.ok = true;
    return result;
}

}  // namespace quen::exports
