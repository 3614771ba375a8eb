#include "export/report_job.h"

namespace quen::exports {

ReportStatus write_job_page(const ReportJob& job, std::string_view title, const RowTable& rows) {
    std::string output_path = job.destination + "/";
    output_path.append(title);
    output_path.append(".html");
    return write_report_page(title, serialize_row_table(rows), template_or_default(job.template_path), output_path);
}

}  // namespace quen::exports
