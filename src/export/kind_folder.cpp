#include "export/kind_folder.h"

#include <filesystem>
#include <system_error>

#include "export/csv_file.h"
#include "export/export_contacts.h"
#include "export/export_messages.h"
#include "export/file_output.h"
#include "export/report_folders.h"
#include "export/sms_backup_xml.h"
#include "export/vcard_file.h"

namespace quen::exports {
namespace {

void fail(KindFiles& result, const std::string& what) {
    result.ok = false;
    if (!result.error.empty()) result.error += "; ";
    result.error += what;
}

// The kind's folder, named after its tree item with the count of records.
bool make_kind_folder(KindFiles& result, const std::string& output_folder, std::string_view item_label,
                      size_t count) {
    const std::string path = output_folder + "/" + report_folder_name(item_label, static_cast<long long>(count));
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    if (ec || !std::filesystem::is_directory(path, ec)) {
        fail(result, "cannot create folder " + path + (ec ? ": " + ec.message() : ""));
        return false;
    }
    result.folder = path;
    return true;
}

void page(KindFiles& result, const std::string& path, ReportStatus status) {
    if (status == ReportStatus::Written) result.files.push_back(path);
    else fail(result, path + ": " + report_status_text(status));
}

void file(KindFiles& result, const std::string& path, const std::string& bytes) {
    if (write_file_replacing(path, bytes)) result.files.push_back(path);
    else fail(result, path + ": the file cannot be written");
}

}  // namespace

KindFiles write_contacts_folder(const std::string& output_folder, std::string_view item_label,
                                const records::ContactList& chosen, const ExportOptions& options) {
    KindFiles result;
    if (chosen.empty() || !options.formats.writes_contacts() ||
        !make_kind_folder(result, output_folder, item_label, chosen.size()))
        return result;
    const std::string& folder = result.folder;
    if (options.formats.has(ExportFormat::Html))
        page(result, folder + "/Contacts.html", export_contacts(ContactExport(chosen, folder, options.template_path)));
    if (options.formats.has(ExportFormat::Vcard)) file(result, folder + "/Contacts.vcf", vcard_text(chosen));
    if (options.formats.has(ExportFormat::Csv))
        file(result, folder + "/Contacts.csv", csv_text(contact_csv_rows(chosen)));
    return result;
}

KindFiles write_messages_folder(const std::string& output_folder, std::string_view item_label,
                                const records::ThreadList& chosen, const ExportOptions& options) {
    KindFiles result;
    if (chosen.empty() || !options.formats.writes_messages() ||
        !make_kind_folder(result, output_folder, item_label, chosen.size()))
        return result;
    const std::string& folder = result.folder;
    if (options.formats.has(ExportFormat::Html))
        page(result, folder + "/Messages.html", export_messages(MessageExport(chosen, folder, options.template_path)));
    if (options.formats.has(ExportFormat::SmsXml)) file(result, folder + "/Messages.xml", sms_backup_xml(chosen));
    if (options.formats.has(ExportFormat::Csv))
        file(result, folder + "/Messages.csv", csv_text(message_csv_rows(chosen)));
    return result;
}

}  // namespace quen::exports
