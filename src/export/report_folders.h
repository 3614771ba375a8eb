#pragma once
// The folder layout of a recovery's contacts and messages:
//   <chosen folder>/Retrivane<%Y%m%d%H%M%S>/Contacts (<n>)/Contacts.html .vcf .csv
//   <chosen folder>/Retrivane<%Y%m%d%H%M%S>/Messages (<n>)/Messages.html .xml .csv
// where n is the number of records written. A kind with nothing to write
// gets no folder.
#include <string>
#include <string_view>
#include <vector>

#include "export/export_formats.h"
#include "export/report_page.h"
#include "records/model/record_model.h"

namespace quen::exports {

// "Retrivane" followed by the time text ("%Y%m%d%H%M%S", no separator).
std::string output_folder_name(std::string_view time_text);

// The label of a tree item with a count: "%s (%d)", e.g. "Contacts (128)".
std::string counted_label(std::string_view name, long long count);

// The folder for n records of a tree item: the item's label cut before its
// first "(" followed by "(n)". "Contacts (25)" with 12 gives "Contacts (12)".
std::string report_folder_name(std::string_view item_label, long long n);

struct PhoneReports {
    bool ok = false;
    std::string error;          // what failed and where, when !ok
    std::string output_folder;  // the Retrivane folder
    std::string contacts_page;  // empty when no contact was checked
    std::string messages_page;  // empty when no thread was checked
    std::vector<std::string> files;  // every file written: contacts' first, then messages'
};

// Writes the checked contacts and threads of the lists the way the recovery
// does, in the chosen formats, into out_dir/Retrivane<time_text> (created; an
// existing one is not an error). An empty time_text means the current local
// time. An empty template_path means "template.html" beside the program; with
// html chosen, a template that cannot be read fails before any folder is
// created. A file that cannot be written does not stop the others.
PhoneReports write_phone_reports(const records::ContactList& contacts, const records::ThreadList& threads,
                                 const std::string& out_dir, std::string time_text = {},
                                 const std::string& template_path = {},
                                 ExportFormats formats = ExportFormats::all());

// A short text for a status, for messages ("the page cannot be written").
std::string report_status_text(ReportStatus status);

}  // namespace quen::exports
