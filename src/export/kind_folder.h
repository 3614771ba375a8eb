#pragma once
// One kind of record saved into its own folder, in every chosen format:
//   <output folder>/Contacts (<n>)/Contacts.html, Contacts.vcf, Contacts.csv
//   <output folder>/Messages (<n>)/Messages.html, Messages.xml, Messages.csv
// The window's recovery and the command line both save through these two
// calls, so the folders and files they write are the same.
#include <string>
#include <string_view>
#include <vector>

#include "export/export_formats.h"
#include "records/model/record_model.h"

namespace quen::exports {

struct ExportOptions {
    ExportFormats formats = ExportFormats::all();
    std::string template_path;  // empty: "template.html" beside the program
};

struct KindFiles {
    bool ok = true;
    std::string error;               // every failure, "; " between them, when !ok
    std::string folder;              // the kind's folder; empty when there was nothing to write
    std::vector<std::string> files;  // the files written: page first, then vcf or xml, then csv
};

// The records the user left checked, in list order (null entries dropped).
template <typename Record>
std::vector<Record*> checked_records(const std::vector<Record*>& list) {
    std::vector<Record*> out;
    for (Record* record : list)
        if (record != nullptr && record->checked) out.push_back(record);
    return out;
}

// Creates output_folder/report_folder_name(item_label, n), n = chosen.size(),
// and writes the chosen contacts into it in each chosen format. An empty list,
// or formats that write no contact file, create nothing. A format that fails
// does not stop the others: every file that can be written is written.
KindFiles write_contacts_folder(const std::string& output_folder, std::string_view item_label,
                                const records::ContactList& chosen, const ExportOptions& options);

// The same for message threads.
KindFiles write_messages_folder(const std::string& output_folder, std::string_view item_label,
                                const records::ThreadList& chosen, const ExportOptions& options);

}  // namespace quen::exports
