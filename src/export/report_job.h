#pragma once
// One report export job: the records to write and where, and the writing of
// its page that every kind of report shares.
#include <string>
#include <string_view>

#include "export/report_json.h"
#include "export/report_page.h"
#include "records/model/record_model.h"

namespace quen::exports {

// The caller builds one on its stack for one call. `destination` is a folder
// the caller has created (UTF-8). `template_path` empty means "template.html"
// beside the program.
struct ReportJob {
    std::string destination;
    std::string template_path;

    ReportJob(std::string destination_folder, std::string template_file)
        : destination(std::move(destination_folder)), template_path(std::move(template_file)) {}
    ReportJob(const ReportJob&) = delete;
    ReportJob& operator=(const ReportJob&) = delete;
    virtual ~ReportJob() = default;
};

// Checked contact records in display order.
struct ContactExport : ReportJob {
    const records::ContactList& contacts;

    ContactExport(const records::ContactList& list, std::string destination_folder,
                  std::string template_file = {})
        : ReportJob(std::move(destination_folder), std::move(template_file)), contacts(list) {}
};

// Checked message-thread records in display order.
struct MessageExport : ReportJob {
    const records::ThreadList& threads;

    MessageExport(const records::ThreadList& list, std::string destination_folder,
                  std::string template_file = {})
        : ReportJob(std::move(destination_folder), std::move(template_file)), threads(list) {}
};

// Writes the row table as the page destination + "/" + title + ".html", titled
// `title`, from the job's template.
ReportStatus write_job_page(const ReportJob& job, std::string_view title, const RowTable& rows);

}  // namespace quen::exports
